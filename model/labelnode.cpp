#include "labelnode.h"

#include "customlineedit.h"
#include "treewidget.h"

#include <QVector>
#include <QtEndian>

namespace {
const int labelLength = 16; // code points; the device keeps no more
}

LabelNode::LabelNode(const NodeArgs& args)
    : Node(args, QStringLiteral("Label"), make_path_segment(41), QStringLiteral("label")),
      editor(new CustomLineEdit)
{
    persistent = false;
    editor->setMaxLength(labelLength);
    registerParam(args, editor);
    editor->setProperty("paramIndex", paramIndex);
    QObject::connect(editor, &QLineEdit::editingFinished, args.treeWidget,
                     &TreeWidget::onWidgetChanged);
    // The parent is a channel whose indexed segment carries the 1-based channel number.
    editor->setProperty("channelIndex", int(getParentPathSegment().bytes[1]) - 1);
    QObject::connect(editor, &CustomLineEdit::editingFinishedWithValue, args.treeWidget,
                     &TreeWidget::onChannelLabelChanged);
}

QByteArray LabelNode::serialize() const
{
    QByteArray data(labelLength * 4, '\0');
    const QVector<uint> codePoints = editor->text().toUcs4();
    for (int i = 0; i < codePoints.size() && i < labelLength; ++i)
        qToLittleEndian<quint32>(codePoints[i], data.data() + 4 * i);
    return data;
}

bool LabelNode::deserialize(const QByteArray& data)
{
    if (data.size() != labelLength * 4)
        return false;
    // Code point by code point: QString::fromUcs4 takes a leading U+FEFF for a byte-order
    // mark and reads one out of range as other characters, so a label would not read back.
    QString text;
    for (int i = 0; i < labelLength; ++i) {
        const quint32 c = qFromLittleEndian<quint32>(data.constData() + 4 * i);
        if (c == 0)
            break;
        if (c > 0xFFFF && c <= 0x10FFFF)
            text.append(QChar(QChar::highSurrogate(c))).append(QChar(QChar::lowSurrogate(c)));
        else
            text.append(c > 0xFFFF || QChar::isSurrogate(c) ? QChar(QChar::ReplacementCharacter)
                                                            : QChar(ushort(c)));
    }
    editor->setTextAndEmitValue(text);
    return true;
}

void LabelNode::anchor() {}

QString LabelNode::text() const
{
    return editor->text();
}

void LabelNode::setText(const QString& text)
{
    editor->setTextAndEmitValue(text);
    Q_EMIT editor->editingFinished();
}
