#include "comboboxnode.h"

#include "customcombobox.h"
#include "settingsjson.h"
#include "treewidget.h"

#include <QRegularExpression>

namespace {

// The value is one byte on the wire.
const int maxIndex = 255;

QString unknownText(int index)
{
    return QStringLiteral("Unknown (%1)").arg(index);
}

} // namespace

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
    return QByteArray(1, char(currentIndex()));
}

bool ComboBoxNode::deserialize(const QByteArray& data)
{
    if (data.size() != 1)
        return false;
    setCurrentIndexSilently(quint8(data.at(0)));
    return true;
}

// An unknown index is saved under the text it is shown with, which reads back as the index.
void ComboBoxNode::constructJson(QJsonObject& parent) const
{
    parent.insert(name, comboBox->currentText());
}

void ComboBoxNode::readJson(const QJsonObject& parent, SettingsLoad& load)
{
    const QJsonValue value = parent.value(name);
    if (value.isUndefined())
        return;
    const int index = value.isString() ? indexOfText(value.toString()) : -1;
    if (index < 0) {
        load.refuse(this);
        return;
    }
    setCurrentIndexSilently(index);
    load.accept(this);
}

int ComboBoxNode::indexOfText(const QString& text) const
{
    const int option = options.indexOf(text);
    if (option >= 0)
        return option;
    static const QRegularExpression unknown(QStringLiteral("^Unknown \\(([0-9]{1,3})\\)$"));
    const QRegularExpressionMatch match = unknown.match(text);
    const int index = match.hasMatch() ? match.captured(1).toInt() : -1;
    return index >= options.size() && index <= maxIndex ? index : -1;
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

// An index beyond the options is kept as it is, shown as an extra item "Unknown (N)" after
// them: picking the last option instead would write that option back to the device.
void ComboBoxNode::setCurrentIndexSilently(int index)
{
    if (index < 0 || index > maxIndex)
        return;
    const int unknownItem = options.size();
    unknownIndex = index >= unknownItem ? index : -1;
    for (CustomComboBox* box : {comboBox, firstBound.data(), secondBound.data()}) {
        if (!box)
            continue;
        const bool wasBlocked = box->blockSignals(true);
        if (unknownIndex < 0) {
            box->setCurrentIndex(index);
            if (box->count() > unknownItem)
                box->removeItem(unknownItem);
        } else {
            if (box->count() > unknownItem)
                box->setItemText(unknownItem, unknownText(unknownIndex));
            else
                box->addItem(unknownText(unknownIndex));
            box->setCurrentIndex(unknownItem);
        }
        box->blockSignals(wasBlocked);
    }
}

int ComboBoxNode::currentIndex() const
{
    const int item = comboBox->currentIndex();
    return item < options.size() ? item : unknownIndex;
}
