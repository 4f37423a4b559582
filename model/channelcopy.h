#pragma once

#include <QList>

class Node;
class ParamTree;

// What of a channel "Paste settings" may take; never its label, which names the channel.
enum ChannelPart
{
    EqualizerPart = 1,
    CrossoverPart = 2,
    LevelPart = 4, // volume, mute, invert, delay
    RoutingPart = 8,
};

// The parameters of `channel` (an input or output node) that the parts cover, in tree order.
// Two channels of one kind list matching parameters at the same positions.
QList<Node*> channelPartParams(const Node* channel, int parts);

// Gives `to` the values `from` holds in the parts, as the user's edits, setting only those
// that differ, so that only they are written. Returns how many it set.
int copyChannelParts(ParamTree* tree, const Node* from, const Node* to, int parts);
