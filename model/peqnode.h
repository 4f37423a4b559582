#pragma once

#include "iircoeffs.h"
#include "node.h"

class IIRCoeffsNode;

// One parametric-EQ band: parameters and their designed section, sent to the device
// together as one 33-byte block.
class PEQNode : public Node
{
public:
    PEQNode(NodeArgs& args, int number);
    ~PEQNode() override;

    QByteArray serialize() const override;
    bool deserialize(const QByteArray& data) override;
    void constructJson(QJsonObject& parent) const override;
    void readJson(const QJsonObject& parent, SettingsLoad& load) override;
    void anchor() override;

    PEQParams getPEQParams();
    void setPEQParamsAndCoeffs(PEQParams params, PEQCoeffs coeffs);
    void updateFields();

    const PEQCoeffs& coefficients() const { return coeffs; }

private:
    QTreeWidgetItem* typeRow = nullptr;
    QTreeWidgetItem* freqRow = nullptr;
    QTreeWidgetItem* qRow = nullptr;
    QTreeWidgetItem* gainRow = nullptr;
    IIRCoeffsNode* coeffsNode = nullptr;
    PEQParams params;
    PEQCoeffs coeffs;
};

// Text the tree shows for an EQ type code; "None" for unknown codes.
QString peqTypeText(PEQType type);
