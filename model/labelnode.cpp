#include "labelnode.h"

#include "paramhub.h"
#include "segmentid.h"

#include <QVector>
#include <QtEndian>

LabelNode::LabelNode(const NodeArgs& args)
    : Node(args, QStringLiteral("Label"), make_path_segment(SegmentId::Label),
           QStringLiteral("label"))
{
    persistent = false;
    registerParam(args);
}

QByteArray LabelNode::serialize() const
{
    QByteArray data(maxLength * 4, '\0');
    const QVector<uint> codePoints = label.toUcs4();
    for (int i = 0; i < codePoints.size() && i < maxLength; ++i)
        qToLittleEndian<quint32>(codePoints[i], data.data() + 4 * i);
    return data;
}

bool LabelNode::deserialize(const QByteArray& data)
{
    if (data.size() != maxLength * 4)
        return false;
    // Code point by code point: QString::fromUcs4 takes a leading U+FEFF for a byte-order
    // mark and reads one out of range as other characters, so a label would not read back.
    QString text;
    for (int i = 0; i < maxLength; ++i) {
        const quint32 c = qFromLittleEndian<quint32>(data.constData() + 4 * i);
        if (c == 0)
            break;
        if (c > 0xFFFF && c <= 0x10FFFF)
            text.append(QChar(QChar::highSurrogate(c))).append(QChar(QChar::lowSurrogate(c)));
        else
            text.append(c > 0xFFFF || QChar::isSurrogate(c) ? QChar(QChar::ReplacementCharacter)
                                                            : QChar(ushort(c)));
    }
    setText(text, ChangeSource::Device);
    return true;
}

void LabelNode::setText(const QString& text, ChangeSource source)
{
    label = text.left(maxLength); // as an editor of that length would keep it
    if (hub) {
        // The parent is a channel whose indexed segment carries the 1-based channel number.
        const int channelIndex = int(getParentPathSegment().bytes[1]) - 1;
        Q_EMIT hub->channelLabelChanged(
            channelIndex,
            label.isEmpty() ? QStringLiteral("Output %1").arg(channelIndex + 1) : label);
    }
    announce(source);
}
