#pragma once

#include "node.h"

#include <memory>

class QLabel;

// A version text the device reports in a 32-byte block; never written back.
class VersionNode : public Node
{
public:
    VersionNode(const NodeArgs& args, const QString& name, path_segment segment);

    QByteArray serialize() const override;
    bool deserialize(const QByteArray& data) override;
    void anchor() override;

    void bind(std::shared_ptr<QLabel> label);
    QString text() const;

private:
    QLabel* label;
    std::shared_ptr<QLabel> boundLabel;
};
