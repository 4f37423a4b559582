#include "comboboxnode.h"

#include "paramhub.h"
#include "settingsjson.h"

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
    : Node(args, name, segment, QStringLiteral("choice")), options(options), current(currentIndex)
{
    registerParam(args);
}

QByteArray ComboBoxNode::serialize() const
{
    return QByteArray(1, char(current));
}

bool ComboBoxNode::deserialize(const QByteArray& data)
{
    if (data.size() != 1)
        return false;
    setCurrentIndex(quint8(data.at(0)), ChangeSource::Device);
    return true;
}

// An unknown index is saved under the text it is shown with, which reads back as the index.
void ComboBoxNode::constructJson(QJsonObject& parent) const
{
    parent.insert(name, itemTexts().at(currentItem()));
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
    setCurrentIndex(index, ChangeSource::File);
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

void ComboBoxNode::setCurrentIndex(int index, ChangeSource source)
{
    if (index < 0 || index > maxIndex) {
        qCDebug(lcModel) << name << "ignores index" << index;
        return;
    }
    current = index;
    if (userChoiceIsWritten || source != ChangeSource::User) {
        announce(source);
        return;
    }
    if (hub) {
        Q_EMIT hub->valueChanged(paramIndex, source);
        Q_EMIT hub->presetChanged();
    }
}

QStringList ComboBoxNode::itemTexts() const
{
    QStringList items = options;
    if (current >= options.size())
        items << unknownText(current);
    return items;
}

int ComboBoxNode::currentItem() const
{
    return qMin(current, int(options.size()));
}
