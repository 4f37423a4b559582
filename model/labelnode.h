#pragma once

#include "node.h"

// A channel's name, up to 16 characters; travels as 16 UCS-4 code points.
class LabelNode : public Node
{
public:
    static constexpr int maxLength = 16; // code points; the device keeps no more

    explicit LabelNode(const NodeArgs& args);

    QByteArray serialize() const override;
    bool deserialize(const QByteArray& data) override;

    QString text() const { return label; }
    // Every setting is announced as the channel's label; the user's is also written.
    void setText(const QString& text, ChangeSource source);

private:
    QString label;
};
