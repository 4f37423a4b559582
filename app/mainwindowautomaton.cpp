// The device loop of the main window: which request goes to the device next, the
// frames it sends through the HID worker and what it makes of the answers.
#include "mainwindow.h"

#include "devicenodes.h"
#include "hidthread.h"
#include "node.h"
#include "paramtree.h"
#include "paramtreeview.h"
#include "pluginwritingprogress.h"

#include <QAction>
#include <QDebug>

void MainWindow::runAutomaton(MainWindow::input in)
{
    if (state != Idle && in != TimerTick && in != RequestComplete)
        inputQueue.append(in);
    for (;;) {
        if (state != Idle) {
            if (in != RequestComplete || completeRequest())
                return;
        } else {
            dispatchIdle(in);
            if (state != Idle)
                return;
        }
        // A message box's nested event loop may have started a request meanwhile.
        if (state != Idle || inputQueue.isEmpty())
            return;
        in = inputQueue.takeFirst();
    }
}

void MainWindow::dispatchIdle(MainWindow::input in)
{
    switch (in) {
    case ParamEnqueued:
        if (makeUpdateRequest())
            state = UpdatingParam;
        break;
    case TimerTick:
        paramIndex = 0;
        if (makeReadParamRequest(ParamTree::Levels))
            state = PollingLevels;
        break;
    case WriteAll:
        writeAllNodes.clear();
        for (const Node* node : *paramTree->subsetToList(ParamTree::Settings)) {
            if (!fileWrites || fileWrites->contains(node))
                writeAllNodes.append(node);
        }
        fileWrites.reset();
        paramIndex = 0;
        if (makeWriteAllRequest()) {
            state = WritingAll;
            treeWidget->setEnabled(false);
        }
        break;
    case ReadAll:
        startReadAll();
        break;
    case PresetChanged:
        if (const Node* preset = paramTree->getPresetNode()) {
            hidThread->makeRequest(makeWriteParamRequest(preset));
            state = WritingPreset;
        }
        break;
    case WritePlugin:
        pluginRestarts = 0;
        if (!startPluginPass()) {
            showMessageBox(QStringLiteral("Error: can't start plugin writing."));
            break;
        }
        state = WritingPlugin;
        pluginProgress->show();
        break;
    case Reboot:
        makeRebootRequest();
        state = AwaitingServiceReply;
        break;
    case RunBootloader:
        makeRunBootloaderRequest();
        state = AwaitingServiceReply;
        break;
    case RequestComplete:
        break; // a stray completion
    }
}

bool MainWindow::completeRequest()
{
    switch (state) {
    case UpdatingParam:
        handleWriteParamResponse();
        if (makeUpdateRequest())
            return true;
        break;
    case PollingLevels: {
        const bool apply = readLevelsAction->isChecked();
        const ReadParamResult r = handleReadParamResponse(ParamTree::Levels, apply);
        if (paramIndex == 0 && r.valid != connected) {
            connected = r.valid;
            updateConnectionIndicator();
            if (connected) {
                state = Idle;
                startReadAll();
                return state != Idle;
            }
        }
        if (apply) {
            ++paramIndex;
            if (makeReadParamRequest(ParamTree::Levels))
                return true;
        }
        break;
    }
    case WritingAll:
        handleWriteParamResponse();
        ++paramIndex;
        if (makeWriteAllRequest())
            return true;
        treeWidget->setEnabled(true);
        break;
    case ReadingAll: {
        // The next read goes out before this answer is applied: putting a value into its
        // widgets takes a good part of an exchange, and the link would stand idle meanwhile.
        const int answered = paramIndex++;
        const bool more = makeReadParamRequest(ParamTree::All);
        handleReadParamResponse(ParamTree::All, true, answered);
        if (more)
            return true;
        // Edits made meanwhile are still queued, and so is their ParamEnqueued: they are
        // written next. The values read queued nothing (see handleReadParamResponse).
        state = Idle;
        treeWidget->setEnabled(true);
        break;
    }
    case WritingPlugin:
        return continuePluginWriting();
    case VerifyingPlugin:
        return continuePluginVerification();
    case WritingPreset:
        state = Idle;
        if (handleWriteParamResponse()) {
            startReadAll();
            return state != Idle;
        }
        break;
    case AwaitingServiceReply:
    default:
        break;
    }
    state = Idle;
    return false;
}

void MainWindow::startReadAll()
{
    paramIndex = 0;
    if (makeReadParamRequest(ParamTree::All)) {
        state = ReadingAll;
        treeWidget->setEnabled(false);
    }
}

void MainWindow::onRequestComplete(QByteArray response)
{
    lastResponse = response;
    runAutomaton(RequestComplete);
}

void MainWindow::onPresetChanged()
{
    runAutomaton(PresetChanged);
}

void MainWindow::onActionRebootTriggered()
{
    if (confirm(QStringLiteral("Reboot device?")))
        runAutomaton(Reboot);
}

void MainWindow::onActionRunBootloaderTriggered()
{
    if (confirm(QStringLiteral("Run bootloader?")))
        runAutomaton(RunBootloader);
}

// Frames and senders

QByteArray MainWindow::makeReadParamRequest(const Node* node)
{
    return DeviceProtocol::readParamRequest(node->makePath());
}

QByteArray MainWindow::makeWriteParamRequest(const Node* node)
{
    return DeviceProtocol::writeParamRequest(node->makePath(), node->serialize());
}

bool MainWindow::makeReadParamRequest(ParamTree::ParamSubset subset)
{
    const Node* node = paramTree->getParamNode(subset, paramIndex);
    if (!node)
        return false;
    hidThread->makeRequest(makeReadParamRequest(node));
    return true;
}

bool MainWindow::makeWriteParamRequest(ParamTree::ParamSubset subset)
{
    const Node* node = paramTree->getParamNode(subset, paramIndex);
    if (!node)
        return false;
    hidThread->makeRequest(makeWriteParamRequest(node));
    return true;
}

bool MainWindow::makeWriteAllRequest()
{
    if (paramIndex >= writeAllNodes.size())
        return false;
    hidThread->makeRequest(makeWriteParamRequest(writeAllNodes.at(paramIndex)));
    return true;
}

bool MainWindow::makeUpdateRequest()
{
    if (!paramTree->hub->dequeueParamIndex(paramIndex))
        return false;
    return makeWriteParamRequest(ParamTree::All);
}

bool MainWindow::makeWritePluginRequest()
{
    if (pluginOffset >= pluginImage.size())
        return false;
    int length = 0;
    const QByteArray frame = DeviceProtocol::writePluginRequest(pluginImage, pluginOffset, &length);
    pluginOffset += length;
    ++pluginChunkCount;
    hidThread->makeRequest(frame);
    return true;
}

bool MainWindow::makeReadPluginRequest()
{
    if (pluginOffset >= pluginImage.size())
        return false;
    hidThread->makeRequest(DeviceProtocol::readPluginRequest(pluginOffset));
    return true;
}

bool MainWindow::makeRebootRequest()
{
    hidThread->makeRequest(DeviceProtocol::rebootRequest());
    return true;
}

bool MainWindow::makeRunBootloaderRequest()
{
    hidThread->makeRequest(DeviceProtocol::runBootloaderRequest());
    return true;
}

// Response handlers

MainWindow::ReadParamResult MainWindow::handleReadParamResponse(ParamTree::ParamSubset subset,
                                                                bool apply)
{
    return handleReadParamResponse(subset, apply, paramIndex);
}

MainWindow::ReadParamResult MainWindow::handleReadParamResponse(ParamTree::ParamSubset subset,
                                                                bool apply, int index)
{
    ReadParamResult result;
    const DeviceProtocol::ReadParamResult r = DeviceProtocol::checkReadParamResponse(lastResponse);
    if (!r.valid)
        return result;
    result.valid = true;
    if (!r.ok) {
        qDebug() << "Read param" << index << "refused with status" << r.status;
        return result;
    }
    Node* node = paramTree->getParamNode(subset, index);
    if (!apply || !node) {
        result.ok = true;
        return result;
    }
    // Nothing in an answer names the parameter it is for; one that does not fit is not
    // this parameter's (a late answer to another request, say) and is not taken.
    const int size = node->serialize().size();
    if (r.value.size() != size) {
        qDebug() << "Read param" << index << "answered with" << r.value.size()
                 << "value bytes where" << size << "fit; value kept";
        return result;
    }
    result.ok = true;
    if (userChangeWaiting(node))
        return result;
    result.changed = node->deserialize(r.value); // a device's value is never queued
    return result;
}

// A value the user set while it was being read stays: it goes to the device next, so the
// value read is already out of date. The preset is not queued in the tree view but sent
// as its own input.
bool MainWindow::userChangeWaiting(const Node* node) const
{
    if (node == paramTree->getPresetNode())
        return inputQueue.contains(PresetChanged);
    return paramTree->hub->isQueued(node->paramIndex);
}

bool MainWindow::handleWriteParamResponse()
{
    if (DeviceProtocol::checkWriteParamResponse(lastResponse))
        return true;
    qDebug() << "Write param not acknowledged:" << lastResponse.toHex(' ');
    return false;
}

DeviceProtocol::WritePluginResult MainWindow::handleWritePluginResponse()
{
    return DeviceProtocol::checkWritePluginResponse(lastResponse);
}

bool MainWindow::handleReadPluginResponse()
{
    const DeviceProtocol::ReadBackResult r =
        DeviceProtocol::checkReadPluginResponse(lastResponse, pluginImage, pluginOffset);
    pluginOffset += r.compared;
    if (!r.equal && r.compared == 0)
        qDebug() << "Plugin read-back not accepted:" << lastResponse.toHex(' ');
    return r.equal;
}
