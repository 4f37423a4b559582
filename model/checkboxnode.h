#pragma once

#include "node.h"

// An on/off parameter; one byte on the wire.
class CheckBoxNode : public Node
{
public:
    CheckBoxNode(const NodeArgs& args, const QString& name, path_segment segment);

    QByteArray serialize() const override;
    bool deserialize(const QByteArray& data) override;
    void constructJson(QJsonObject& parent) const override;
    void readJson(const QJsonObject& parent, SettingsLoad& load) override;

    void setChecked(bool checked, ChangeSource source);
    bool isChecked() const { return checked; }

private:
    bool checked = false;
};
