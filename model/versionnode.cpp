#include "versionnode.h"

namespace {
const int versionBlockSize = 32;
}

VersionNode::VersionNode(const NodeArgs& args, const QString& name, path_segment segment)
    : Node(args, name, segment, QStringLiteral("version"))
{
    readOnly = true;
    registerParam(args);
}

QByteArray VersionNode::serialize() const
{
    return QByteArray(versionBlockSize, '\0');
}

// The block must end in a zero byte, so the text is always terminated.
bool VersionNode::deserialize(const QByteArray& data)
{
    if (data.size() != versionBlockSize || data.at(versionBlockSize - 1) != 0)
        return false;
    version = QString::fromLatin1(data.constData(), int(qstrlen(data.constData())));
    announce(ChangeSource::Device);
    return true;
}
