#pragma once

#include "node.h"

#include <QList>
#include <QString>
#include <QStringList>

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

    // An index beyond the options is kept as it is: the device reported it, and picking an
    // option instead would write that option back.
    void setCurrentIndex(int index, ChangeSource source);
    // The value: an option's index, or the unknown index the device reported.
    int currentIndex() const { return current; }
    const QStringList& optionTexts() const { return options; }
    // The items an editor offers: the options, then "Unknown (N)" while the value is N.
    QStringList itemTexts() const;
    // The item an editor shows for the value.
    int currentItem() const;

protected:
    // Whether the user's choice is written to the device; the preset is not, it is announced.
    bool userChoiceIsWritten = true;

private:
    // The index an option text or an "Unknown (N)" text stands for, or -1.
    int indexOfText(const QString& text) const;

    QStringList options;
    int current = 0;
};
