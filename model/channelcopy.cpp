#include "channelcopy.h"

#include "node.h"
#include "paramtree.h"

#include <QStringList>

namespace {
void appendParams(const Node* node, QList<Node*>& params)
{
    for (Node* child : node->children) {
        if (child->paramIndex >= 0 && !child->readOnly)
            params.append(child);
        appendParams(child, params);
    }
}

QStringList namesOf(int parts)
{
    QStringList names;
    if (parts & EqualizerPart)
        names << QStringLiteral("PEQ");
    if (parts & CrossoverPart)
        names << QStringLiteral("Xover");
    if (parts & LevelPart)
        names << QStringLiteral("Volume") << QStringLiteral("Mute") << QStringLiteral("Invert")
              << QStringLiteral("Delay");
    if (parts & RoutingPart)
        names << QStringLiteral("Sources");
    return names;
}
} // namespace

QList<Node*> channelPartParams(const Node* channel, int parts)
{
    const QStringList names = namesOf(parts);
    QList<Node*> params;
    for (Node* child : channel->children) {
        if (!names.contains(child->name))
            continue;
        if (child->paramIndex >= 0 && !child->readOnly)
            params.append(child);
        appendParams(child, params);
    }
    return params;
}

int copyChannelParts(ParamTree* tree, const Node* from, const Node* to, int parts)
{
    const QList<Node*> source = channelPartParams(from, parts);
    const QList<Node*> target = channelPartParams(to, parts);
    if (from == to || source.size() != target.size())
        return 0;
    int set = 0;
    for (int i = 0; i < source.size(); ++i) {
        const QByteArray value = source.at(i)->serialize();
        if (target.at(i)->serialize() != value &&
            tree->restoreParam(target.at(i)->paramIndex, value))
            ++set;
    }
    return set;
}
