#include "devicesession.h"

#include "devicenodes.h"
#include "hidthread.h"
#include "linklog.h"
#include "node.h"
#include "paramtree.h"
#include "sessionprompter.h"
#include "updatequeue.h"

#include <QFile>

namespace {

// A device that keeps refusing the first chunk with code 8 would otherwise restart
// the pass forever while the front end waits.
constexpr int maxPluginRestarts = 10;
constexpr int restartCode = 8;

} // namespace

DeviceSession::DeviceSession(ParamTree* tree, UpdateQueue* queue, SessionPrompter& prompter,
                             QObject* parent)
    : QObject(parent), tree(tree), queue(queue), prompter(prompter), worker(new HIDThread(this))
{
    // The worker starts with the first request; its answers arrive through the event loop.
    connect(worker, &HIDThread::requestComplete, this, &DeviceSession::onRequestComplete,
            Qt::QueuedConnection);
    connect(queue, &UpdateQueue::paramEnqueued, this, [this] { runAutomaton(ParamEnqueued); });
}

// The worker, a child, stops before the object goes: it waits for an exchange under way.
DeviceSession::~DeviceSession() = default;

bool DeviceSession::openFailed() const
{
    return worker->openFailed();
}

void DeviceSession::tick()
{
    runAutomaton(TimerTick);
}

void DeviceSession::readAll()
{
    runAutomaton(ReadAll);
}

void DeviceSession::writeLoaded(const QList<Node*>& nodes)
{
    const bool writeAllWaiting = !pendingWrites.isEmpty();
    for (const Node* node : nodes)
        pendingWrites.insert(node);
    if (!writeAllWaiting && !pendingWrites.isEmpty())
        runAutomaton(WriteAll);
}

void DeviceSession::writePreset()
{
    runAutomaton(PresetChanged);
}

void DeviceSession::writePlugin(const QByteArray& image)
{
    // Replaced at once: a pass still waiting for its turn writes the latest image.
    pluginImage = image;
    runAutomaton(WritePlugin);
}

void DeviceSession::writePluginFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcLink) << "Plugin file not readable:" << fileName << file.errorString();
        return;
    }
    // Offsets travel as signed 32-bit numbers: refuse before anything is read or sent.
    if (file.size() > 0 && !DeviceProtocol::pluginSizeSupported(file.size())) {
        prompter.showMessage(QStringLiteral("Error: can't start plugin writing."));
        return;
    }
    writePlugin(file.readAll());
}

void DeviceSession::reboot()
{
    if (prompter.confirm(QStringLiteral("Reboot device?")))
        runAutomaton(Reboot);
}

void DeviceSession::runBootloader()
{
    if (prompter.confirm(QStringLiteral("Run bootloader?")))
        runAutomaton(RunBootloader);
}

void DeviceSession::setReadLevels(bool on)
{
    readLevels = on;
}

void DeviceSession::onRequestComplete(QByteArray response)
{
    qCDebug(lcLink) << "answer" << response.toHex(' ');
    lastResponse = response;
    runAutomaton(RequestComplete);
}

void DeviceSession::runAutomaton(Input in)
{
    if (currentState != Idle && in != TimerTick && in != RequestComplete)
        inputQueue.append(in);
    for (;;) {
        if (currentState != Idle) {
            if (in != RequestComplete || completeRequest())
                return;
        } else {
            dispatchIdle(in);
            if (currentState != Idle)
                return;
        }
        // A message box's nested event loop may have started a request meanwhile.
        if (currentState != Idle || inputQueue.isEmpty())
            return;
        in = inputQueue.takeFirst();
    }
}

void DeviceSession::dispatchIdle(Input in)
{
    switch (in) {
    case ParamEnqueued:
        if (sendNextUpdate())
            currentState = UpdatingParam;
        break;
    case TimerTick:
        paramIndex = 0;
        if (sendRead(tree->getParamNode(ParamTree::Levels, paramIndex)))
            currentState = PollingLevels;
        break;
    case WriteAll: {
        // Only what the files set: a member a file did not hold, or one it refused, keeps
        // the value the device has.
        writeAllNodes.clear();
        for (const Node* node : *tree->subsetToList(ParamTree::Settings)) {
            if (pendingWrites.contains(node))
                writeAllNodes.append(node);
        }
        pendingWrites.clear();
        paramIndex = 0;
        if (sendNextOfWriteAll()) {
            currentState = WritingAll;
            Q_EMIT bulkTransferChanged(true);
        }
        break;
    }
    case ReadAll:
        startReadAll();
        break;
    case PresetChanged:
        if (sendWrite(tree->getPresetNode()))
            currentState = WritingPreset;
        break;
    case WritePlugin:
        pluginRestarts = 0;
        if (!startPluginPass()) {
            prompter.showMessage(QStringLiteral("Error: can't start plugin writing."));
            break;
        }
        currentState = WritingPlugin;
        Q_EMIT pluginProgress(PluginPhase::Writing, 0, pluginImage.size());
        break;
    case Reboot:
        send(DeviceProtocol::rebootRequest());
        currentState = AwaitingServiceReply;
        break;
    case RunBootloader:
        send(DeviceProtocol::runBootloaderRequest());
        currentState = AwaitingServiceReply;
        break;
    case RequestComplete:
        break; // a stray completion
    }
}

// Returns true while the operation goes on with a further request.
bool DeviceSession::completeRequest()
{
    switch (currentState) {
    case UpdatingParam:
        checkWriteResponse(tree->getParamNode(ParamTree::All, paramIndex));
        if (sendNextUpdate())
            return true;
        break;
    case PollingLevels: {
        const bool valid = takeReadAnswer(tree->getParamNode(ParamTree::Levels, paramIndex),
                                          paramIndex, readLevels);
        // Any well-formed answer to the probe, whatever its status, means connected.
        if (paramIndex == 0 && valid != connected) {
            connected = valid;
            qCDebug(lcLink) << (connected ? "device connected" : "device lost");
            Q_EMIT connectionChanged(connected);
            if (connected) {
                currentState = Idle;
                startReadAll();
                return currentState != Idle;
            }
        }
        if (readLevels) {
            ++paramIndex;
            if (sendRead(tree->getParamNode(ParamTree::Levels, paramIndex)))
                return true;
        }
        break;
    }
    case WritingAll:
        checkWriteResponse(writeAllNodes.value(paramIndex));
        ++paramIndex;
        if (sendNextOfWriteAll())
            return true;
        currentState = Idle;
        Q_EMIT bulkTransferChanged(false);
        break;
    case ReadingAll: {
        // The next read goes out before this answer is applied: putting a value into its
        // widgets takes a good part of an exchange, and the link would stand idle meanwhile.
        const int answered = paramIndex++;
        const bool more = sendRead(tree->getParamNode(ParamTree::All, paramIndex));
        Node* node = tree->getParamNode(ParamTree::All, answered);
        if (!takeReadAnswer(node, answered, true))
            Q_EMIT paramRefused(node);
        if (more)
            return true;
        // Edits made meanwhile are still queued, and so is their ParamEnqueued: they are
        // written next. The values read queued nothing.
        currentState = Idle;
        Q_EMIT bulkTransferChanged(false);
        break;
    }
    case WritingPlugin:
        return continuePluginWriting();
    case VerifyingPlugin:
        return continuePluginVerification();
    case WritingPreset:
        currentState = Idle;
        if (checkWriteResponse(tree->getPresetNode())) {
            startReadAll();
            return currentState != Idle;
        }
        break;
    case AwaitingServiceReply: // the device restarts; its answer says nothing
    case Idle:
        break;
    }
    currentState = Idle;
    return false;
}

void DeviceSession::startReadAll()
{
    paramIndex = 0;
    if (sendRead(tree->getParamNode(ParamTree::All, paramIndex))) {
        currentState = ReadingAll;
        Q_EMIT bulkTransferChanged(true);
    }
}

// Plugin writing: chunks in order, then the whole image read back and compared.

bool DeviceSession::startPluginPass()
{
    pluginOffset = 0;
    pluginChunkCount = 0;
    return DeviceProtocol::pluginSizeSupported(pluginImage.size()) && sendNextPluginChunk();
}

bool DeviceSession::continuePluginWriting()
{
    const DeviceProtocol::WritePluginResult r =
        DeviceProtocol::checkWritePluginResponse(lastResponse);
    if (r.ok) {
        Q_EMIT pluginProgress(PluginPhase::Writing, pluginOffset, pluginImage.size());
        if (sendNextPluginChunk())
            return true;
        pluginOffset = 0;
        if (!sendPluginReadBack()) {
            currentState = Idle;
            finishPlugin(QStringLiteral("Error: can't start plugin verification."));
            return false;
        }
        currentState = VerifyingPlugin;
        Q_EMIT pluginProgress(PluginPhase::Verifying, 0, pluginImage.size());
        return true;
    }
    // The device may refuse the first chunk of a pass until it is ready for the image.
    if (r.code == restartCode && pluginChunkCount == 1 && pluginRestarts < maxPluginRestarts) {
        ++pluginRestarts;
        if (startPluginPass()) {
            Q_EMIT pluginProgress(PluginPhase::Writing, 0, pluginImage.size());
            return true;
        }
    }
    qCWarning(lcLink) << "Plugin chunk refused at" << pluginOffset << "with code" << r.code;
    currentState = Idle;
    finishPlugin(QStringLiteral("Error: can't write plugin (%1/%2, code=%3)")
                     .arg(pluginOffset)
                     .arg(pluginImage.size())
                     .arg(r.code));
    return false;
}

bool DeviceSession::continuePluginVerification()
{
    if (!checkReadBack()) {
        finishPlugin(QStringLiteral("Plugin verification failed!"));
    } else {
        Q_EMIT pluginProgress(PluginPhase::Verifying, pluginOffset, pluginImage.size());
        if (pluginOffset < pluginImage.size() && sendPluginReadBack())
            return true;
        finishPlugin(QStringLiteral(
            "The plugin has been written successfully! Restart the device, please."));
    }
    // The state stays VerifyingPlugin while the message is up, so inputs wait in the queue.
    currentState = Idle;
    return false;
}

void DeviceSession::finishPlugin(const QString& message)
{
    Q_EMIT pluginFinished();
    prompter.showMessage(message);
}

// Requests

void DeviceSession::send(const QByteArray& frame)
{
    qCDebug(lcLink) << "request" << frame.toHex(' ');
    worker->makeRequest(frame);
}

bool DeviceSession::sendRead(const Node* node)
{
    if (!node)
        return false;
    send(DeviceProtocol::readParamRequest(node->makePath()));
    return true;
}

bool DeviceSession::sendWrite(const Node* node)
{
    if (!node)
        return false;
    send(DeviceProtocol::writeParamRequest(node->makePath(), node->serialize()));
    return true;
}

bool DeviceSession::sendNextUpdate()
{
    const std::optional<int> next = queue->dequeue();
    if (!next)
        return false;
    paramIndex = *next;
    return sendWrite(tree->getParamNode(ParamTree::All, paramIndex));
}

bool DeviceSession::sendNextOfWriteAll()
{
    return sendWrite(writeAllNodes.value(paramIndex));
}

bool DeviceSession::sendNextPluginChunk()
{
    if (pluginOffset >= pluginImage.size())
        return false;
    int length = 0;
    const QByteArray frame = DeviceProtocol::writePluginRequest(pluginImage, pluginOffset, &length);
    pluginOffset += length;
    ++pluginChunkCount;
    send(frame);
    return true;
}

bool DeviceSession::sendPluginReadBack()
{
    if (pluginOffset >= pluginImage.size())
        return false;
    send(DeviceProtocol::readPluginRequest(pluginOffset));
    return true;
}

// Answers

bool DeviceSession::takeReadAnswer(Node* node, int index, bool apply)
{
    const DeviceProtocol::ReadParamResult r = DeviceProtocol::checkReadParamResponse(lastResponse);
    if (!r.valid)
        return false;
    if (!r.ok) {
        qCWarning(lcLink) << "Read param" << index << "refused with status" << r.status;
        if (apply && node && currentState == ReadingAll)
            Q_EMIT paramRefused(node);
        return true;
    }
    if (!apply || !node)
        return true;
    // Nothing in an answer names the parameter it is for; one that does not fit is not
    // this parameter's (a late answer to another request, say) and is not taken.
    const int size = node->serialize().size();
    if (r.value.size() != size) {
        qCWarning(lcLink) << "Read param" << index << "answered with" << r.value.size()
                          << "value bytes where" << size << "fit; value kept";
        return true;
    }
    if (userChangeWaiting(node))
        return true;
    node->deserialize(r.value); // a device's value is never queued
    return true;
}

// A value the user set while it was being read stays: it goes to the device next, so the
// value read is already out of date. The preset is not queued in the update queue but
// sent as its own input.
bool DeviceSession::userChangeWaiting(const Node* node) const
{
    if (node == tree->getPresetNode())
        return inputQueue.contains(PresetChanged);
    return queue->contains(node->paramIndex);
}

bool DeviceSession::checkWriteResponse(const Node* node)
{
    if (DeviceProtocol::checkWriteParamResponse(lastResponse))
        return true;
    Q_EMIT paramRefused(node);
    qCWarning(lcLink) << "Write param not acknowledged:" << lastResponse.toHex(' ');
    return false;
}

bool DeviceSession::checkReadBack()
{
    const DeviceProtocol::ReadBackResult r =
        DeviceProtocol::checkReadPluginResponse(lastResponse, pluginImage, pluginOffset);
    pluginOffset += r.compared;
    if (!r.equal && r.compared == 0)
        qCWarning(lcLink) << "Plugin read-back not accepted:" << lastResponse.toHex(' ');
    return r.equal;
}
