#include "checkboxnode.h"

#include "settingsjson.h"

CheckBoxNode::CheckBoxNode(const NodeArgs& args, const QString& name, path_segment segment)
    : Node(args, name, segment, QStringLiteral("checkbox"))
{
    registerParam(args);
}

QByteArray CheckBoxNode::serialize() const
{
    return QByteArray(1, checked ? '\x01' : '\x00');
}

bool CheckBoxNode::deserialize(const QByteArray& data)
{
    if (data.size() != 1)
        return false;
    setChecked(data.at(0) != 0, ChangeSource::Device);
    return true;
}

void CheckBoxNode::constructJson(QJsonObject& parent) const
{
    parent.insert(name, checked);
}

void CheckBoxNode::readJson(const QJsonObject& parent, SettingsLoad& load)
{
    const QJsonValue value = parent.value(name);
    if (value.isUndefined())
        return;
    if (!value.isBool()) {
        load.refuse(this);
        return;
    }
    setChecked(value.toBool(), ChangeSource::File);
    load.accept(this);
}

void CheckBoxNode::setChecked(bool on, ChangeSource source)
{
    checked = on;
    announce(source);
}
