#pragma once

#include "node.h"

#include <QPointer>

class QProgressBar;
class VolumeSlider;

// The live signal level in whole decibels, read from the device and never written.
class LevelNode : public Node
{
public:
    explicit LevelNode(const NodeArgs& args);

    QByteArray serialize() const override;
    bool deserialize(const QByteArray& data) override;
    void anchor() override;

    void bind(VolumeSlider* vs);

private:
    QProgressBar* bar;
    QPointer<VolumeSlider> boundSlider;
};
