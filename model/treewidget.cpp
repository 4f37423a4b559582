#include "treewidget.h"

TreeWidget::TreeWidget(QWidget* parent) : QTreeWidget(parent)
{
    qRegisterMetaType<PEQSNode*>("PEQSNode*");
}

void TreeWidget::enqueueParamIndexForUpdate(int paramIndex)
{
    if (showingDeviceValues)
        return;
    if (!queued.contains(paramIndex)) {
        queue.append(paramIndex);
        queued.insert(paramIndex);
    }
    Q_EMIT paramEnqueuedForUpdate();
}

bool TreeWidget::dequeueParamIndex(int& paramIndex)
{
    if (queue.isEmpty())
        return false;
    paramIndex = queue.takeFirst();
    queued.remove(paramIndex);
    return true;
}

void TreeWidget::clearQueueOfUpdates()
{
    queued.clear();
    queue.clear();
}

void TreeWidget::onWidgetChanged()
{
    const QObject* source = sender();
    if (!source)
        return;
    bool ok = false;
    const int paramIndex = source->property("paramIndex").toInt(&ok);
    if (!ok)
        return;
    enqueueParamIndexForUpdate(paramIndex);
}

void TreeWidget::onCheckboxToggled(bool)
{
    onWidgetChanged();
}

void TreeWidget::onDoubleSpinBoxValueChanged(double)
{
    onWidgetChanged();
}

void TreeWidget::onPresetChanged(int)
{
    Q_EMIT presetChanged();
}

void TreeWidget::onComboBoxChanged(int)
{
    onWidgetChanged();
}

void TreeWidget::onXoverButtonClicked()
{
    const auto [channelIndex, valid] = getChannelIndex();
    if (valid)
        Q_EMIT xoverButtonClicked(channelIndex);
}

void TreeWidget::onPEQButtonClicked()
{
    const QObject* source = sender();
    if (!source)
        return;
    const QVariant value = source->property("peqsNode");
    PEQSNode* node = nullptr;
    const int type = qMetaTypeId<PEQSNode*>();
    if (value.userType() == type)
        node = value.value<PEQSNode*>();
    else if (value.canConvert(type))
        node = value.value<PEQSNode*>();
    Q_EMIT peqButtonClicked(node);
}

void TreeWidget::onPEQChanged()
{
    onWidgetChanged();
}

void TreeWidget::onXoverChanged()
{
    onWidgetChanged();
}

void TreeWidget::onChannelLabelChanged(const QString& text)
{
    const auto [channelIndex, valid] = getChannelIndex();
    if (!valid)
        return;
    const QString label = text.isEmpty() ? QStringLiteral("Output %1").arg(channelIndex + 1) : text;
    Q_EMIT channelLabelChanged(channelIndex, label);
}

std::pair<int, bool> TreeWidget::getChannelIndex()
{
    const QObject* source = sender();
    if (!source)
        return {0, false};
    bool ok = false;
    const int channelIndex = source->property("channelIndex").toInt(&ok);
    return {ok ? channelIndex : 0, ok};
}
