#pragma once

#include "changesource.h"

#include <QList>
#include <QLoggingCategory>
#include <QMetaType>
#include <QObject>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcModel)

class PEQSNode;
class UpdateQueue;
Q_DECLARE_OPAQUE_POINTER(PEQSNode*)
Q_DECLARE_METATYPE(PEQSNode*)

// Where the parameter tree speaks: every value change is announced here with the index of
// its parameter, and every change the user made is queued (once) for writing to the device,
// in the update queue the hub owns.
class ParamHub : public QObject
{
    Q_OBJECT
public:
    explicit ParamHub(QObject* parent = nullptr);

    // Announces a parameter's new value; a user's change is also queued for writing.
    void announce(int paramIndex, ChangeSource source);

    // While set, a value taken as the device's is announced and queued as the user's: undo
    // puts back a wire value, and it must be written like the edit it reverses.
    void setDeviceValuesAsUser(bool on) { deviceValuesAsUser = on; }

    UpdateQueue* updateQueue() const { return queue; }
    void enqueueParamIndexForUpdate(int paramIndex);
    bool dequeueParamIndex(int& paramIndex);
    void clearQueueOfUpdates();
    // Whether the parameter waits to be written: the user changed it since it was last sent.
    bool isQueued(int paramIndex) const;

    void requestCrossover(int channelIndex) { Q_EMIT crossoverRequested(channelIndex); }
    void requestEqualizer(PEQSNode* node) { Q_EMIT equalizerRequested(node); }

Q_SIGNALS:
    void valueChanged(int paramIndex, ChangeSource source);
    // On every attempt to queue, also when the parameter was queued already.
    void paramEnqueuedForUpdate();
    // The user chose a preset: not a write, the window asks the device to switch.
    void presetChanged();
    void crossoverRequested(int channelIndex);
    void equalizerRequested(PEQSNode* node);
    // Whenever an output's label is set; a blank label comes as "Output N".
    void channelLabelChanged(int channelIndex, const QString& label);

private:
    UpdateQueue* queue;
    bool deviceValuesAsUser = false;
};
