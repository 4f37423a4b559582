#include "channellink.h"

#include "edithistory.h"
#include "outputnode.h"
#include "paramhub.h"
#include "paramtree.h"

namespace {
// The parts of an output a link carries over; they are named as in channelcopy.
bool isLinkedPart(const Node* child)
{
    return child->name == QLatin1String("PEQ") || child->name == QLatin1String("Xover");
}
} // namespace

ChannelLink::ChannelLink(ParamTree* tree, EditHistory* history, QObject* parent)
    : QObject(parent), tree(tree), history(history), links(tree->outputCount() / 2, false)
{
    connect(tree->hub, &ParamHub::valueChanged, this, [this](int paramIndex, ChangeSource source) {
        // What the device or a file holds is taken as it is: each output keeps its own.
        if (source == ChangeSource::User && !mirroring &&
            !(this->history && this->history->isRestoring()))
            mirror(paramIndex);
    });
}

bool ChannelLink::isLinked(int output) const
{
    const int pair = pairOf(output);
    return output >= 0 && pair < links.size() && links.at(pair);
}

void ChannelLink::setLinked(int output, bool linked)
{
    const int pair = pairOf(output);
    if (output < 0 || pair >= links.size() || links.at(pair) == linked)
        return;
    links[pair] = linked;
    Q_EMIT linkChanged(pair, linked);
}

QList<int> ChannelLink::linkedPairs() const
{
    QList<int> pairs;
    for (int pair = 0; pair < links.size(); ++pair)
        if (links.at(pair))
            pairs.append(pair + 1);
    return pairs;
}

void ChannelLink::setLinkedPairs(const QList<int>& pairs)
{
    for (int pair = 0; pair < links.size(); ++pair)
        setLinked(pair * 2, pairs.contains(pair + 1));
}

void ChannelLink::mirror(int paramIndex)
{
    const Node* node = tree->getParamNode(ParamTree::All, paramIndex);
    if (!node || node->readOnly)
        return;
    // The way down from the output to the parameter, child by child.
    QVector<int> path;
    const Node* part = node;
    for (; part->parent && !dynamic_cast<const OutputNode*>(part->parent); part = part->parent)
        path.prepend(part->parent->children.indexOf(const_cast<Node*>(part)));
    const Node* output = part->parent;
    if (!output || !isLinkedPart(part))
        return;
    path.prepend(output->children.indexOf(const_cast<Node*>(part)));
    int index = 0;
    while (index < tree->outputCount() && tree->getOutputNode(index) != output)
        ++index;
    if (!isLinked(index))
        return;

    const Node* partner = tree->getOutputNode(index ^ 1);
    for (int step : qAsConst(path)) {
        if (!partner || step < 0 || step >= partner->children.size())
            return;
        partner = partner->children.at(step);
    }
    const QByteArray value = node->serialize();
    if (partner->paramIndex < 0 || partner->readOnly || partner->serialize() == value)
        return;
    // The partner's change comes back through the hub: it must not be mirrored again.
    mirroring = true;
    tree->restoreParam(partner->paramIndex, value);
    mirroring = false;
}
