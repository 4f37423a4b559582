#pragma once

#include "paramhub.h"

#include <QList>

// Empties the hub's queue of parameters to write, in the order a writer would take them.
inline QList<int> drain(ParamHub& hub)
{
    QList<int> indices;
    int index = -1;
    while (hub.dequeueParamIndex(index))
        indices << index;
    return indices;
}
