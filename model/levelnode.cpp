#include "levelnode.h"

#include "volumeslider.h"
#include "wirevalue.h"

#include <QProgressBar>
#include <algorithm>

namespace {
const int floorDb = -150;

QString levelText(int db)
{
    return QStringLiteral("%1 dB").arg(db);
}
} // namespace

LevelNode::LevelNode(const NodeArgs& args)
    : Node(args, QStringLiteral("Level"), make_path_segment(18), QStringLiteral("signal_level")),
      bar(new QProgressBar)
{
    readOnly = true;
    bar->setTextVisible(true);
    bar->setRange(floorDb, 0);
    bar->setValue(floorDb);
    bar->setFormat(levelText(floorDb));
    registerParam(args, bar);
}

QByteArray LevelNode::serialize() const
{
    return QByteArray(4, '\0');
}

// A NaN level is accepted and ignored; anything else shows in whole decibels.
bool LevelNode::deserialize(const QByteArray& data)
{
    if (data.size() != 4)
        return false;
    const float db = readFloatLE(data);
    if (std::isnan(db))
        return true;
    const int level = std::max(truncateToInt(double(db)), floorDb);
    const bool wasBlocked = bar->blockSignals(true);
    // The bar ends at 0 dB; a louder level fills it (out of range it would keep its old fill).
    bar->setValue(std::min(level, bar->maximum()));
    bar->setFormat(levelText(level));
    bar->blockSignals(wasBlocked);
    if (boundSlider)
        boundSlider->setLevelSilently(level);
    return true;
}

void LevelNode::anchor() {}

void LevelNode::bind(VolumeSlider* vs)
{
    boundSlider = vs;
}
