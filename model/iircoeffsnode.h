#pragma once

#include "iircoeffs.h"
#include "node.h"

// Shows the five coefficients of one section read-only under its filter's row. Not a
// parameter and not addressable; its filter keeps it out of its `children`.
class IIRCoeffsNode : public Node
{
public:
    IIRCoeffsNode(NodeArgs& args, QString name);
    void anchor() override;
    void updateFields(const IIRCoeffs& coeffs);

private:
    QTreeWidgetItem* rows[5] = {};
};
