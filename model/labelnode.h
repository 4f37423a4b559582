#pragma once

#include "node.h"

class CustomLineEdit;

// A channel's name, up to 16 characters; travels as 16 UCS-4 code points.
class LabelNode : public Node
{
public:
    explicit LabelNode(const NodeArgs& args);

    QByteArray serialize() const override;
    bool deserialize(const QByteArray& data) override;
    void anchor() override;

    QString text() const;
    // Shows the text and queues the label for writing.
    void setText(const QString& text);

private:
    CustomLineEdit* editor;
};
