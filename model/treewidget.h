#pragma once

#include <QList>
#include <QMetaType>
#include <QSet>
#include <QTreeWidget>
#include <utility>

class PEQSNode;
Q_DECLARE_OPAQUE_POINTER(PEQSNode*)
Q_DECLARE_METATYPE(PEQSNode*)

// The hub: every node's row lives here, and every user edit of a node's widget
// arrives here and is queued (once) for writing to the device.
class TreeWidget : public QTreeWidget
{
    Q_OBJECT
public:
    explicit TreeWidget(QWidget* parent = nullptr);

    void enqueueParamIndexForUpdate(int paramIndex);
    bool dequeueParamIndex(int& paramIndex);
    void clearQueueOfUpdates();
    // Whether the parameter waits to be written: the user changed it since it was last sent.
    bool isQueued(int paramIndex) const { return queued.contains(paramIndex); }
    // While values that came from the device are put into the widgets, a change signal
    // they raise is no edit: it queues nothing, so the device is not sent back its own.
    void setShowingDeviceValues(bool showing) { showingDeviceValues = showing; }

Q_SIGNALS:
    void paramEnqueuedForUpdate();
    void presetChanged();
    void xoverButtonClicked(int channelIndex);
    void peqButtonClicked(PEQSNode* node);
    void channelLabelChanged(int channelIndex, const QString& label);

public Q_SLOTS:
    void onWidgetChanged();
    void onCheckboxToggled(bool);
    void onDoubleSpinBoxValueChanged(double);
    void onPresetChanged(int);
    void onComboBoxChanged(int);
    void onXoverButtonClicked();
    void onPEQButtonClicked();
    void onPEQChanged();
    void onXoverChanged();
    void onChannelLabelChanged(const QString& text);

private:
    std::pair<int, bool> getChannelIndex();

    QList<int> queue;
    QSet<int> queued;
    bool showingDeviceValues = false;
};
