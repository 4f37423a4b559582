#include "paramhub.h"

#include "updatequeue.h"

Q_LOGGING_CATEGORY(lcModel, "tonvise.model")

ParamHub::ParamHub(QObject* parent) : QObject(parent), queue(new UpdateQueue(this))
{
    qRegisterMetaType<PEQSNode*>("PEQSNode*");
    qRegisterMetaType<ChangeSource>("ChangeSource");
    connect(queue, &UpdateQueue::paramEnqueued, this, &ParamHub::paramEnqueuedForUpdate);
}

void ParamHub::announce(int paramIndex, ChangeSource source)
{
    if (deviceValuesAsUser && source == ChangeSource::Device)
        source = ChangeSource::User;
    Q_EMIT valueChanged(paramIndex, source);
    if (source == ChangeSource::User)
        enqueueParamIndexForUpdate(paramIndex);
}

void ParamHub::enqueueParamIndexForUpdate(int paramIndex)
{
    queue->enqueue(paramIndex);
}

bool ParamHub::dequeueParamIndex(int& paramIndex)
{
    const std::optional<int> next = queue->dequeue();
    if (next)
        paramIndex = *next;
    return next.has_value();
}

void ParamHub::clearQueueOfUpdates()
{
    queue->clear();
}

bool ParamHub::isQueued(int paramIndex) const
{
    return queue->contains(paramIndex);
}
