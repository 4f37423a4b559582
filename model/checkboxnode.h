#pragma once

#include "node.h"

#include <QPointer>

class CustomCheckBox;
class CustomPushButton;

// An on/off parameter; one byte on the wire.
class CheckBoxNode : public Node
{
public:
    CheckBoxNode(const NodeArgs& args, const QString& name, path_segment segment);

    QByteArray serialize() const override;
    bool deserialize(const QByteArray& data) override;
    void constructJson(QJsonObject& parent) const override;
    void readJson(const QJsonObject& parent, SettingsLoad& load) override;
    void anchor() override;

    void bind(CustomCheckBox* w);
    void bind(CustomPushButton* w);
    void setCheckedSilently(bool checked);
    bool isChecked() const;

private:
    CustomCheckBox* checkBox;
    QPointer<CustomCheckBox> boundCheckBox;
    QPointer<CustomPushButton> boundButton;
};
