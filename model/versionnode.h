#pragma once

#include "node.h"

// A version text the device reports in a 32-byte block; never written back.
class VersionNode : public Node
{
public:
    VersionNode(const NodeArgs& args, const QString& name, path_segment segment);

    QByteArray serialize() const override;
    bool deserialize(const QByteArray& data) override;

    QString text() const { return version; }

private:
    QString version;
};
