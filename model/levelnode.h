#pragma once

#include "node.h"

// The live signal level in whole decibels, read from the device and never written.
class LevelNode : public Node
{
public:
    static constexpr int floorDb = -150;

    explicit LevelNode(const NodeArgs& args);

    QByteArray serialize() const override;
    bool deserialize(const QByteArray& data) override;

    int level() const { return db; }

private:
    int db = floorDb;
};
