#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QVector>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdint.h>

#include "pathaddress.h"

struct hid_device_;

// A stand-in for the audio processor at the far end of the USB link: device-side
// report framing and CRC, a firmware model that answers the six commands from its
// own parameter table, plugin storage, moving levels, and faults on demand. The
// hidapi functions of this library talk to the one instance. Thread-safe: tests
// steer it from the GUI thread while the HID worker exchanges reports.
class EmulatedProcessor
{
public:
    // Status bytes of this firmware (0 is success).
    enum Status : uint8_t
    {
        StatusOk = 0,
        StatusUnknownPath = 1,
        StatusMalformed = 2,
        StatusWrongSize = 3,
        StatusReadOnly = 4,
        StatusBadConfirmation = 5,
        StatusUnknownCommand = 0xFE,
    };

    static EmulatedProcessor& instance();

    // Back to the factory state: unplugged, table values, no plugin, no faults, empty
    // logs, 1 ms per report, moving levels.
    void reset();
    // Factory state, plugged in, with labels, routing and levels a newcomer expects.
    void plugInDemo();

    void plugIn();
    // Leaves the bus: open handles fail from now on and must be reopened.
    void unplug();
    bool isOnBus() const;
    // Stays listed on the bus but every open fails, as with a device node the user may not
    // open (no udev rule).
    void setOpenRefused(bool refused);
    // Time each 64-byte report takes on the bus, in either direction.
    void setLatency(std::chrono::microseconds perReport);
    // How long a reboot or a bootloader start keeps the device off the bus.
    void setServiceOffBusTime(std::chrono::milliseconds time);

    // Faults, counting requests from now on: 1 is the next request.
    void dropAnswer(int nth);
    void corruptAnswerCrc(int nth);
    // Only the first report of the answer arrives, and without its last-report flag.
    void truncateAnswer(int nth);
    void delayAnswer(int nth, std::chrono::milliseconds delay);
    // The answer starts with this command byte instead of the request's.
    void answerWithCommand(int nth, uint8_t command);
    // The request is not carried out; the answer is its command byte and this status.
    void answerWithStatus(int nth, uint8_t status);
    // Answer the next plugin chunks with these codes in turn (0 accepts the chunk).
    void refusePluginChunks(const QList<int>& codes);
    // Answer every parameter request on this path with `status` (0 removes the fault).
    void setPathStatus(const QByteArray& path, int status);
    // Acknowledge writes on this path but keep the value, as a processor whose write was lost.
    void ignoreWritesTo(const QByteArray& path);
    // Image bytes per plugin read-back answer (0 answers with none).
    void setReadBackStep(int bytes);
    void setLevelsMoving(bool moving);

    // The value as the device holds it now (levels: their last stored value).
    QByteArray value(int paramIndex) const;
    void setValue(int paramIndex, const QByteArray& value);
    QByteArray pluginImage() const;
    void setPluginImage(const QByteArray& image);

    // Request frames received with a good CRC, without the CRC, oldest first.
    QList<QByteArray> requestLog() const;
    // Raw output reports as written by the host.
    QList<QByteArray> outputReports() const;
    int inputReportsRead() const;
    int requestCount() const;
    int openHandleCount() const;
    int rebootCount() const;
    int bootloaderCount() const;
    void clearLogs();

    // The hidapi side. Listed: on the bus, whether or not it may be opened.
    bool isListed() const;
    hid_device_* open();
    void close(hid_device_* device);
    int write(hid_device_* device, const unsigned char* data, size_t length);
    int read(hid_device_* device, unsigned char* data, size_t length, int timeoutMs);

    static uint16_t crc16(const QByteArray& data);

private:
    using Clock = std::chrono::steady_clock;
    struct Fault
    {
        bool drop = false;
        bool corruptCrc = false;
        bool truncate = false;
        std::chrono::milliseconds delay{0};
        int command = -1;
        uint8_t status = 0;
    };
    struct InputReport
    {
        QByteArray bytes;
        Clock::time_point availableAt;
        bool dropsOffBusAfter = false;
    };

    EmulatedProcessor();
    void resetLocked();
    bool onBusLocked(Clock::time_point now) const;
    bool handleAlive(const hid_device_* device, Clock::time_point now) const;
    void leaveBusLocked(Clock::time_point now, std::chrono::milliseconds offBus);
    void frameReceived(const QByteArray& frame, Clock::time_point at);
    QByteArray answer(const QByteArray& request, bool& dropsOffBus);
    QByteArray answerParam(const QByteArray& request);
    QByteArray answerReadPlugin(const QByteArray& request);
    QByteArray answerWritePlugin(const QByteArray& request);
    QByteArray levelValue(int paramIndex) const;
    void selectPreset(int preset);
    QByteArray currentValue(int paramIndex) const;

    mutable std::mutex mutex; // guards everything below; readers wait on `arrived`
    std::condition_variable arrived;

    QVector<QByteArray> values;
    // Each of the four presets keeps its own channel and DAC settings; choosing a
    // preset stores the current ones and brings back the chosen one's.
    QVector<QVector<QByteArray>> presetBanks;
    QVector<path_tree_item> pathTree;
    QByteArray plugin;
    bool pluggedIn = false;
    bool openRefused = false;
    Clock::time_point offBusUntil;
    uint64_t generation = 1; // bumped whenever the device leaves the bus
    std::chrono::microseconds latency{1000};
    std::chrono::milliseconds serviceOffBus{200};
    Clock::time_point outBusyUntil;
    Clock::time_point lastAnswerAt;
    QByteArray assembly; // payload of the request being received
    std::deque<InputReport> inputQueue;
    QMap<int, Fault> faults; // by request number
    QList<int> pluginRefusals;
    QMap<QByteArray, int> pathStatus;
    QList<QByteArray> ignoredWritePaths;
    int readBackStep = 58;
    bool levelsMoving = true;
    Clock::time_point bootTime;

    QList<QByteArray> requests;
    QList<QByteArray> reports;
    int reportsRead = 0;
    int requestsReceived = 0;
    int handles = 0;
    int reboots = 0;
    int bootloaderStarts = 0;
};
