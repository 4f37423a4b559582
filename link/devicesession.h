#pragma once

#include "deviceprotocol.h"
#include "node.h" // complete: Qt 6's moc needs the signals' pointee types

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

class HIDThread;
class ParamTree;
class SessionPrompter;
class UpdateQueue;

// The conversation with the device, and the only sender of requests. Keeps one request
// in flight and lets commands that arrive meanwhile wait their turn; each tick probes
// the link and, once the device answers, reads every parameter into the tree; writes
// the parameters the update queue names as they are edited; writes what a settings
// file set; polls the levels; writes a preset change and reads back what it brought;
// writes a plugin image and verifies it; sends the service commands.
// GUI thread only: the worker's answers arrive through the event loop.
class DeviceSession : public QObject
{
    Q_OBJECT
public:
    // Inputs of the automaton. Commands raised while a request is in flight wait in
    // order; ticks and completions are never kept.
    enum Input
    {
        ParamEnqueued = 0,
        TimerTick = 1,
        WriteAll = 2,
        ReadAll = 3,
        PresetChanged = 4,
        WritePlugin = 5,
        Reboot = 6,
        RunBootloader = 7,
        RequestComplete = 8,
    };
    Q_ENUM(Input)

    // Which request is in flight.
    enum State
    {
        Idle = 0,
        UpdatingParam = 1,
        PollingLevels = 2,
        WritingAll = 3,
        ReadingAll = 4,
        WritingPlugin = 5,
        VerifyingPlugin = 6,
        WritingPreset = 7,
        AwaitingServiceReply = 8,
    };
    Q_ENUM(State)

    enum class PluginPhase
    {
        Writing,
        Verifying,
    };
    Q_ENUM(PluginPhase)

    // The tree and the queue outlive the session; the prompter too.
    DeviceSession(ParamTree* tree, UpdateQueue* queue, SessionPrompter& prompter,
                  QObject* parent = nullptr);
    ~DeviceSession() override;

    State state() const { return currentState; }
    bool isIdle() const { return currentState == Idle; }
    bool isConnected() const { return connected; }
    bool readsLevels() const { return readLevels; }
    // The link could not open the device the last time it tried.
    bool openFailed() const;

public Q_SLOTS:
    // Called once a second by the front end: probes the link, and polls the levels
    // when asked to. Dropped while a request is in flight.
    void tick();
    void readAll();
    // Writes what a settings file set, in tree order (Write All); a file loaded while the
    // previous file's Write All still waits for its turn joins it.
    void writeLoaded(const QList<Node*>& nodes);
    // The preset node changed: write it, then read what the chosen preset holds.
    void writePreset();
    void writePlugin(const QByteArray& image);
    // The image of a file; a file that cannot be opened is ignored.
    void writePluginFile(const QString& fileName);
    // Both ask the prompter first.
    void reboot();
    void runBootloader();
    // Polling applies every level on each tick; otherwise only the probe is read.
    void setReadLevels(bool on);

Q_SIGNALS:
    void connectionChanged(bool connected);
    // Read All or Write All began (true) or ended (false). Meanwhile the tree's values
    // are in transit, so a front end keeps the user's edits out.
    void bulkTransferChanged(bool running);
    // The pass under way and how far it got, in image bytes.
    void pluginProgress(DeviceSession::PluginPhase phase, int done, int total);
    // Plugin writing is over, whatever the outcome; the prompter's message follows.
    void pluginFinished();
    // The device did not acknowledge the write of `node`, or answered its read during
    // Read All with no value: the tree may not hold what the device holds.
    void paramRefused(const Node* node);

private Q_SLOTS:
    void onRequestComplete(QByteArray response);

private:
    void runAutomaton(Input in);
    void dispatchIdle(Input in);
    bool completeRequest();
    void startReadAll();
    bool startPluginPass();
    bool continuePluginWriting();
    bool continuePluginVerification();
    void finishPlugin(const QString& message);

    void send(const QByteArray& frame);
    // False when there is no node: past the end of a subset.
    bool sendRead(const Node* node);
    bool sendWrite(const Node* node);
    bool sendNextUpdate();
    bool sendNextOfWriteAll();
    bool sendNextPluginChunk();
    bool sendPluginReadBack();
    // Takes the last response as the answer to the read of `node`, the parameter at
    // `index` of its subset, and puts its value into the node when `apply`. Returns
    // whether it was a well-formed answer to a read, whatever its status.
    bool takeReadAnswer(Node* node, int index, bool apply);
    bool userChangeWaiting(const Node* node) const;
    bool checkWriteResponse(const Node* node);
    bool checkReadBack();

    ParamTree* tree;
    UpdateQueue* queue;
    SessionPrompter& prompter;
    HIDThread* worker;

    State currentState = Idle;
    QList<Input> inputQueue;
    QByteArray lastResponse;
    bool connected = false;
    bool readLevels = false;
    int paramIndex = 0;               // within the subset being transferred
    QSet<const Node*> pendingWrites;  // set by files whose Write All has not started
    QList<const Node*> writeAllNodes; // what the Write All in progress sends, in order
    QByteArray pluginImage;
    int pluginOffset = 0;
    int pluginChunkCount = 0;
    int pluginRestarts = 0;
};
