#pragma once

#include "changesource.h"

#include <QList>
#include <QObject>
#include <QVector>

class EditHistory;
class Node;
class ParamTree;

// Left/right pairs of outputs (1+2, 3+4, 5+6, 7+8: the two sides of one way). While a pair
// is linked, every equalizer band or crossover side the user sets on one output is set to
// the same wire value on the other, as the user's edit too, so that it is written and
// undone with it. Levels are left alone: grouping the strips moves those.
class ChannelLink : public QObject
{
    Q_OBJECT
public:
    // `history` may be null; with one, nothing is mirrored while it puts values back (it
    // restores both outputs from its own record).
    ChannelLink(ParamTree* tree, EditHistory* history, QObject* parent = nullptr);

    static int pairOf(int output) { return output / 2; }
    int pairCount() const { return links.size(); }
    bool isLinked(int output) const;
    // Links or unlinks the pair `output` belongs to; neither output's values change.
    void setLinked(int output, bool linked);
    // The linked pairs, numbered from 1 (1 is outputs 1+2); set all at once for a preset.
    QList<int> linkedPairs() const;
    void setLinkedPairs(const QList<int>& pairs);

Q_SIGNALS:
    void linkChanged(int pair, bool linked);

private:
    void mirror(int paramIndex);

    ParamTree* tree;
    EditHistory* history;
    QVector<bool> links;
    bool mirroring = false;
};
