#include "channellink.h"

#include "channelcopy.h"
#include "edithistory.h"
#include "outputnode.h"
#include "paramhub.h"
#include "paramtree.h"

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
    // The parts a link carries over, listed alike for both outputs of a pair.
    constexpr int parts = EqualizerPart | CrossoverPart;
    for (int output = 0; output < tree->outputCount(); ++output) {
        if (!isLinked(output))
            continue;
        const QList<Node*> own = channelPartParams(tree->getOutputNode(output), parts);
        for (int i = 0; i < own.size(); ++i) {
            if (own.at(i)->paramIndex != paramIndex)
                continue;
            const QList<Node*> partner = channelPartParams(tree->getOutputNode(output ^ 1), parts);
            const QByteArray value = own.at(i)->serialize();
            if (i >= partner.size() || partner.at(i)->serialize() == value)
                return;
            // The partner's change comes back through the hub: it must not be mirrored again.
            mirroring = true;
            tree->restoreParam(partner.at(i)->paramIndex, value);
            mirroring = false;
            return;
        }
    }
}
