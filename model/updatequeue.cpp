#include "updatequeue.h"

UpdateQueue::UpdateQueue(QObject* parent) : QObject(parent) {}

void UpdateQueue::enqueue(int paramIndex)
{
    if (!queued.contains(paramIndex)) {
        queue.append(paramIndex);
        queued.insert(paramIndex);
    }
    Q_EMIT paramEnqueued();
}

std::optional<int> UpdateQueue::dequeue()
{
    if (queue.isEmpty())
        return std::nullopt;
    const int paramIndex = queue.takeFirst();
    queued.remove(paramIndex);
    return paramIndex;
}

void UpdateQueue::clear()
{
    queued.clear();
    queue.clear();
}
