#include "paramhub.h"

Q_LOGGING_CATEGORY(lcModel, "tonvise.model")

ParamHub::ParamHub(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<PEQSNode*>("PEQSNode*");
    qRegisterMetaType<ChangeSource>("ChangeSource");
}

void ParamHub::announce(int paramIndex, ChangeSource source)
{
    Q_EMIT valueChanged(paramIndex, source);
    if (source == ChangeSource::User)
        enqueueParamIndexForUpdate(paramIndex);
}

void ParamHub::enqueueParamIndexForUpdate(int paramIndex)
{
    if (!queued.contains(paramIndex)) {
        queue.append(paramIndex);
        queued.insert(paramIndex);
    }
    Q_EMIT paramEnqueuedForUpdate();
}

bool ParamHub::dequeueParamIndex(int& paramIndex)
{
    if (queue.isEmpty())
        return false;
    paramIndex = queue.takeFirst();
    queued.remove(paramIndex);
    return true;
}

void ParamHub::clearQueueOfUpdates()
{
    queued.clear();
    queue.clear();
}
