#include "versionnode.h"

#include <QLabel>

namespace {
const int versionBlockSize = 32;
}

VersionNode::VersionNode(const NodeArgs& args, const QString& name, path_segment segment)
    : Node(args, name, segment, QStringLiteral("version")), label(new QLabel)
{
    readOnly = true;
    registerParam(args, label);
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
    const QString text = QString::fromLatin1(data.constData(), int(qstrlen(data.constData())));
    label->setText(text);
    if (boundLabel)
        boundLabel->setText(text);
    return true;
}

void VersionNode::anchor() {}

void VersionNode::bind(std::shared_ptr<QLabel> label)
{
    boundLabel = std::move(label);
}

QString VersionNode::text() const
{
    return label->text();
}
