#pragma once

#include "node.h"

#include <QPointer>

#include <QList>
#include <QString>

class CustomComboBox;

// A choice among fixed options; the option index is one byte on the wire, the option
// text is what a settings file holds.
class ComboBoxNode : public Node
{
public:
    ComboBoxNode(const NodeArgs& args, const QString& name, path_segment segment,
                 const QList<QString>& options, int currentIndex);

    QByteArray serialize() const override;
    bool deserialize(const QByteArray& data) override;
    void constructJson(QJsonObject& parent) const override;
    void readJson(const QJsonObject& parent, SettingsLoad& load) override;
    void anchor() override;

    void bind(CustomComboBox* cb);
    void bindSecond(CustomComboBox* cb);
    void setCurrentIndexSilently(int index);
    // The value: an option's index, or the unknown index the device reported.
    int currentIndex() const;

private:
    void bindAs(QPointer<CustomComboBox>& slot, CustomComboBox* cb);
    // The index an option text or an "Unknown (N)" text stands for, or -1.
    int indexOfText(const QString& text) const;

    QList<QString> options;
    int unknownIndex = -1; // what the extra item after the options stands for; -1 without one
    CustomComboBox* comboBox;
    QPointer<CustomComboBox> firstBound;
    QPointer<CustomComboBox> secondBound;
};
