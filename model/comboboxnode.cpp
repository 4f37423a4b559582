#include "comboboxnode.h"

#include "customcombobox.h"
#include "settingsjson.h"
#include "treewidget.h"

ComboBoxNode::ComboBoxNode(const NodeArgs& args, const QString& name, path_segment segment,
                           const QList<QString>& options, int currentIndex)
    : Node(args, name, segment, QStringLiteral("choice")), options(options),
      comboBox(new CustomComboBox)
{
    comboBox->addItems(options);
    comboBox->setCurrentIndex(currentIndex);
    registerParam(args, comboBox);
    // Choosing a preset is not a write: the hub announces it and the window reloads.
    if (name == QLatin1String("Preset")) {
        QObject::connect(comboBox, qOverload<int>(&QComboBox::currentIndexChanged), args.treeWidget,
                         &TreeWidget::onPresetChanged);
    } else {
        comboBox->setProperty("paramIndex", paramIndex);
        QObject::connect(comboBox, qOverload<int>(&QComboBox::currentIndexChanged), args.treeWidget,
                         &TreeWidget::onComboBoxChanged);
    }
}

QByteArray ComboBoxNode::serialize() const
{
    return QByteArray(1, char(comboBox->currentIndex()));
}

bool ComboBoxNode::deserialize(const QByteArray& data)
{
    if (data.size() != 1)
        return false;
    int index = quint8(data.at(0));
    if (index >= comboBox->count())
        index = comboBox->count() - 1;
    setCurrentIndexSilently(index);
    return true;
}

void ComboBoxNode::constructJson(QJsonObject& parent) const
{
    parent.insert(name, comboBox->currentText());
}

void ComboBoxNode::readJson(const QJsonObject& parent, SettingsLoad& load)
{
    const QJsonValue value = parent.value(name);
    if (value.isUndefined())
        return;
    const int index = value.isString() ? options.indexOf(value.toString()) : -1;
    if (index < 0) {
        load.refuse(this);
        return;
    }
    setCurrentIndexSilently(index);
    load.accept(this);
}

void ComboBoxNode::anchor() {}

// The bound box carries no "paramIndex": its edits reach the hub through ours.
void ComboBoxNode::bindAs(QPointer<CustomComboBox>& slot, CustomComboBox* cb)
{
    slot = cb;
    for (int i = 0; i < comboBox->count(); ++i)
        cb->addItem(comboBox->itemText(i));
    QObject::connect(comboBox, qOverload<int>(&QComboBox::currentIndexChanged), cb,
                     &CustomComboBox::setCurrentIndexSilently);
    QObject::connect(cb, qOverload<int>(&QComboBox::currentIndexChanged), comboBox,
                     &QComboBox::setCurrentIndex);
}

void ComboBoxNode::bind(CustomComboBox* cb)
{
    bindAs(firstBound, cb);
}

void ComboBoxNode::bindSecond(CustomComboBox* cb)
{
    bindAs(secondBound, cb);
}

void ComboBoxNode::setCurrentIndexSilently(int index)
{
    comboBox->setCurrentIndexSilently(index);
    if (firstBound)
        firstBound->setCurrentIndexSilently(index);
    if (secondBound)
        secondBound->setCurrentIndexSilently(index);
}

int ComboBoxNode::currentIndex() const
{
    return comboBox->currentIndex();
}
