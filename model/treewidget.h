#pragma once

#include <QMetaType>
#include <QTreeWidget>
#include <utility>

class PEQSNode;
class UpdateQueue;
Q_DECLARE_OPAQUE_POINTER(PEQSNode*)
Q_DECLARE_METATYPE(PEQSNode*)

// The hub: every node's row lives here, and every user edit of a node's widget
// arrives here and is queued (once) for writing to the device, in the update queue
// the hub owns.
class TreeWidget : public QTreeWidget
{
    Q_OBJECT
public:
    explicit TreeWidget(QWidget* parent = nullptr);

    UpdateQueue* updateQueue() const { return queue; }
    void enqueueParamIndexForUpdate(int paramIndex);
    bool dequeueParamIndex(int& paramIndex);
    void clearQueueOfUpdates();

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

    UpdateQueue* queue;
};
