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
    QVector<uint> codePoints;
    for (int i = 0; i < labelLength; ++i) {
        const quint32 c = qFromLittleEndian<quint32>(data.constData() + 4 * i);
        if (c == 0)
            break;
        codePoints.append(c);
    }
    editor->setTextAndEmitValue(QString::fromUcs4(codePoints.constData(), codePoints.size()));
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
