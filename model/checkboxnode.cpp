#include "checkboxnode.h"

#include "customcheckbox.h"
#include "custompushbutton.h"
#include "settingsjson.h"
#include "treewidget.h"

CheckBoxNode::CheckBoxNode(const NodeArgs& args, const QString& name, path_segment segment)
    : Node(args, name, segment, QStringLiteral("checkbox")), checkBox(new CustomCheckBox)
{
    registerParam(args, checkBox);
    checkBox->setProperty("paramIndex", paramIndex);
    QObject::connect(checkBox, &QCheckBox::toggled, args.treeWidget,
                     &TreeWidget::onCheckboxToggled);
}

QByteArray CheckBoxNode::serialize() const
{
    return QByteArray(1, checkBox->isChecked() ? '\x01' : '\x00');
}

bool CheckBoxNode::deserialize(const QByteArray& data)
{
    if (data.size() != 1)
        return false;
    setCheckedSilently(data.at(0) != 0);
    return true;
}

void CheckBoxNode::constructJson(QJsonObject& parent) const
{
    parent.insert(name, checkBox->isChecked());
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
    setCheckedSilently(value.toBool());
    load.accept(this);
}

void CheckBoxNode::anchor() {}

// A user toggle of the bound widget toggles ours, and ours reaches the hub.
void CheckBoxNode::bind(CustomCheckBox* w)
{
    boundCheckBox = w;
    QObject::connect(checkBox, &QCheckBox::toggled, w, &CustomCheckBox::setCheckedSilently);
    QObject::connect(w, &QCheckBox::toggled, checkBox, &QCheckBox::setChecked);
}

void CheckBoxNode::bind(CustomPushButton* w)
{
    boundButton = w;
    QObject::connect(checkBox, &QCheckBox::toggled, w, &CustomPushButton::setCheckedSilently);
    QObject::connect(w, &QPushButton::toggled, checkBox, &QCheckBox::setChecked);
}

void CheckBoxNode::setCheckedSilently(bool checked)
{
    checkBox->setCheckedSilently(checked);
    if (boundCheckBox)
        boundCheckBox->setCheckedSilently(checked);
    if (boundButton)
        boundButton->setCheckedSilently(checked);
}

bool CheckBoxNode::isChecked() const
{
    return checkBox->isChecked();
}
