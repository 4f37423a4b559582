#pragma once

#include "paramhub.h"
#include "updatequeue.h"

#include <QList>
#include <optional>

// Empties a queue of parameters to write, in the order a writer would take them.
inline QList<int> drain(UpdateQueue& queue)
{
    QList<int> indices;
    while (const std::optional<int> index = queue.dequeue())
        indices << *index;
    return indices;
}

inline QList<int> drain(ParamHub& hub)
{
    return drain(*hub.updateQueue());
}
