#include "levelnode.h"

#include "segmentid.h"
#include "wirevalue.h"

#include <algorithm>
#include <cmath>

LevelNode::LevelNode(const NodeArgs& args)
    : Node(args, QStringLiteral("Level"), make_path_segment(SegmentId::Level),
           QStringLiteral("signal_level"))
{
    readOnly = true;
    registerParam(args);
}

QByteArray LevelNode::serialize() const
{
    return QByteArray(4, '\0');
}

// A NaN level is accepted and ignored; anything else is kept in whole decibels.
bool LevelNode::deserialize(const QByteArray& data)
{
    if (data.size() != 4)
        return false;
    const float level = readFloatLE(data);
    if (std::isnan(level))
        return true;
    db = std::max(truncateToInt(double(level)), int(floorDb));
    announce(ChangeSource::Device);
    return true;
}
