#include "emulatedprocessor.h"

#include "firmwaretable.h"

#include <QtEndian>
#include <cmath>
#include <cstring>
#include <thread>
#ifdef __linux__
#include <sys/prctl.h>
#endif

struct hid_device_
{
    uint64_t generation;
};

namespace {

constexpr int reportSize = 64;
constexpr int maxPiece = 62;
constexpr uint8_t outputReportId = 2;
constexpr uint8_t inputReportId = 1;
constexpr uint8_t lastReportFlag = 0x80;
constexpr uint32_t serviceConfirmation = 0x5A17C3E9;
constexpr int presetParam = 0;       // "Preset"
constexpr int firstPresetParam = 13; // the DAC settings and every channel follow

QByteArray statusOnly(uint8_t command, uint8_t status)
{
    QByteArray out;
    out.append(char(command));
    out.append(char(status));
    return out;
}

int32_t readInt32(const QByteArray& frame, int offset)
{
    return qFromLittleEndian<qint32>(reinterpret_cast<const uchar*>(frame.constData() + offset));
}

bool isReadOnlyKind(const char* kind)
{
    return std::strcmp(kind, "signal_level") == 0 || std::strcmp(kind, "version") == 0;
}

QByteArray floatBytes(float value)
{
    QByteArray out(4, '\0');
    qToLittleEndian<float>(value, reinterpret_cast<uchar*>(out.data()));
    return out;
}

// The emulated bus keeps its own time: waits of the calling thread end when the report
// is due, not up to the kernel's default 50 us timer slack later.
void tightenTimerSlack()
{
#ifdef __linux__
    thread_local bool done = false;
    if (!done) {
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        done = true;
    }
#endif
}

} // namespace

EmulatedProcessor& EmulatedProcessor::instance()
{
    static EmulatedProcessor processor;
    return processor;
}

EmulatedProcessor::EmulatedProcessor()
{
    pathTree = buildFirmwarePathTree();
    resetLocked();
}

// CRC-16/X-25 (reflected 0x1021, init 0xFFFF, final complement), bit by bit as a
// small firmware would compute it; the host must agree byte for byte.
uint16_t EmulatedProcessor::crc16(const QByteArray& data)
{
    uint16_t crc = 0xFFFF;
    for (char c : data) {
        crc ^= uint8_t(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0x8408) : uint16_t(crc >> 1);
    }
    return uint16_t(~crc);
}

void EmulatedProcessor::reset()
{
    std::lock_guard<std::mutex> lock(mutex);
    resetLocked();
    arrived.notify_all();
}

void EmulatedProcessor::resetLocked()
{
    values.clear();
    for (int i = 0; i < firmwareParamCount; ++i)
        values.append(firmwareParamInitialValue(firmwareParams[i]));
    presetBanks = QVector<QVector<QByteArray>>(4, values);
    plugin.clear();
    pluggedIn = false;
    openRefused = false;
    ignoredWritePaths.clear();
    ++generation;
    offBusUntil = Clock::time_point();
    latency = std::chrono::microseconds(1000);
    serviceOffBus = std::chrono::milliseconds(200);
    outBusyUntil = lastAnswerAt = Clock::time_point();
    assembly.clear();
    inputQueue.clear();
    faults.clear();
    pluginRefusals.clear();
    pathStatus.clear();
    readBackStep = 58;
    levelsMoving = true;
    bootTime = Clock::now();
    requests.clear();
    reports.clear();
    reportsRead = 0;
    requestsReceived = 0;
    reboots = 0;
    bootloaderStarts = 0;
}

void EmulatedProcessor::plugInDemo()
{
    reset();
    static const char* const labels[] = {"Tweeter L", "Tweeter R", "Mid L", "Mid R",
                                         "Woofer L",  "Woofer R",  "Sub L", "Sub R"};
    std::lock_guard<std::mutex> lock(mutex);
    for (int output = 0; output < 8; ++output) {
        const int k = 37 + 16 * output;
        QByteArray label(64, '\0');
        const QByteArray text(labels[output]);
        for (int i = 0; i < text.size(); ++i)
            label[4 * i] = text[i];
        values[k] = label;
        values[k + 2] = floatBytes(output < 6 ? -3.0f : 0.0f);         // volume
        values[k + 5] = QByteArray(1, output >= 6 ? '\1' : '\0');      // subwoofer channel
        values[k + 13] = floatBytes(output < 2 ? 0.35f : 0.0f);        // delay
        values[k + 14] = QByteArray(1, output % 2 == 0 ? '\1' : '\0'); // from input 1
        values[k + 15] = QByteArray(1, output % 2 == 1 ? '\1' : '\0'); // from input 2
    }
    values[2] = floatBytes(-20.0f); // master volume
    presetBanks = QVector<QVector<QByteArray>>(4, values);
    for (int output = 0; output < 8; ++output)
        presetBanks[1][37 + 16 * output + 2] = floatBytes(-10.0f); // a quieter preset 2
    pluggedIn = true;
}

void EmulatedProcessor::plugIn()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!pluggedIn) {
        pluggedIn = true;
        bootTime = Clock::now();
    }
}

void EmulatedProcessor::unplug()
{
    std::lock_guard<std::mutex> lock(mutex);
    pluggedIn = false;
    leaveBusLocked(Clock::now(), std::chrono::milliseconds(0));
}

void EmulatedProcessor::leaveBusLocked(Clock::time_point now, std::chrono::milliseconds offBus)
{
    ++generation;
    offBusUntil = now + offBus;
    assembly.clear();
    inputQueue.clear();
    arrived.notify_all();
}

bool EmulatedProcessor::isOnBus() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return onBusLocked(Clock::now());
}

bool EmulatedProcessor::onBusLocked(Clock::time_point now) const
{
    return pluggedIn && now >= offBusUntil;
}

bool EmulatedProcessor::handleAlive(const hid_device_* device, Clock::time_point now) const
{
    return device && device->generation == generation && onBusLocked(now);
}

void EmulatedProcessor::setLatency(std::chrono::microseconds perReport)
{
    std::lock_guard<std::mutex> lock(mutex);
    latency = perReport;
}

void EmulatedProcessor::setServiceOffBusTime(std::chrono::milliseconds time)
{
    std::lock_guard<std::mutex> lock(mutex);
    serviceOffBus = time;
}

void EmulatedProcessor::dropAnswer(int nth)
{
    std::lock_guard<std::mutex> lock(mutex);
    faults[requestsReceived + nth].drop = true;
}

void EmulatedProcessor::corruptAnswerCrc(int nth)
{
    std::lock_guard<std::mutex> lock(mutex);
    faults[requestsReceived + nth].corruptCrc = true;
}

void EmulatedProcessor::truncateAnswer(int nth)
{
    std::lock_guard<std::mutex> lock(mutex);
    faults[requestsReceived + nth].truncate = true;
}

void EmulatedProcessor::delayAnswer(int nth, std::chrono::milliseconds delay)
{
    std::lock_guard<std::mutex> lock(mutex);
    faults[requestsReceived + nth].delay = delay;
}

void EmulatedProcessor::answerWithCommand(int nth, uint8_t command)
{
    std::lock_guard<std::mutex> lock(mutex);
    faults[requestsReceived + nth].command = command;
}

void EmulatedProcessor::answerWithStatus(int nth, uint8_t status)
{
    std::lock_guard<std::mutex> lock(mutex);
    faults[requestsReceived + nth].status = status;
}

void EmulatedProcessor::refusePluginChunks(const QList<int>& codes)
{
    std::lock_guard<std::mutex> lock(mutex);
    pluginRefusals = codes;
}

void EmulatedProcessor::setPathStatus(const QByteArray& path, int status)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (status == 0)
        pathStatus.remove(path);
    else
        pathStatus[path] = status;
}

void EmulatedProcessor::setReadBackStep(int bytes)
{
    std::lock_guard<std::mutex> lock(mutex);
    readBackStep = qMax(0, bytes);
}

void EmulatedProcessor::setLevelsMoving(bool moving)
{
    std::lock_guard<std::mutex> lock(mutex);
    levelsMoving = moving;
}

QByteArray EmulatedProcessor::value(int paramIndex) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return values.value(paramIndex);
}

void EmulatedProcessor::setValue(int paramIndex, const QByteArray& value)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (paramIndex >= 0 && paramIndex < values.size())
        values[paramIndex] = value;
}

QByteArray EmulatedProcessor::pluginImage() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return plugin;
}

void EmulatedProcessor::setPluginImage(const QByteArray& image)
{
    std::lock_guard<std::mutex> lock(mutex);
    plugin = image;
}

QList<QByteArray> EmulatedProcessor::requestLog() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return requests;
}

QList<QByteArray> EmulatedProcessor::outputReports() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return reports;
}

int EmulatedProcessor::inputReportsRead() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return reportsRead;
}

int EmulatedProcessor::requestCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return requestsReceived;
}

int EmulatedProcessor::openHandleCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return handles;
}

int EmulatedProcessor::rebootCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return reboots;
}

int EmulatedProcessor::bootloaderCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return bootloaderStarts;
}

void EmulatedProcessor::clearLogs()
{
    std::lock_guard<std::mutex> lock(mutex);
    requests.clear();
    reports.clear();
    reportsRead = 0;
}

void EmulatedProcessor::ignoreWritesTo(const QByteArray& path)
{
    std::lock_guard<std::mutex> lock(mutex);
    ignoredWritePaths.append(path);
}

void EmulatedProcessor::setOpenRefused(bool refused)
{
    std::lock_guard<std::mutex> lock(mutex);
    openRefused = refused;
}

bool EmulatedProcessor::isListed() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return onBusLocked(Clock::now());
}

hid_device_* EmulatedProcessor::open()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (openRefused || !onBusLocked(Clock::now()))
        return nullptr;
    ++handles;
    return new hid_device_{generation};
}

void EmulatedProcessor::close(hid_device_* device)
{
    if (!device)
        return;
    std::lock_guard<std::mutex> lock(mutex);
    --handles;
    delete device;
}

int EmulatedProcessor::write(hid_device_* device, const unsigned char* data, size_t length)
{
    tightenTimerSlack();
    Clock::time_point doneAt;
    {
        std::lock_guard<std::mutex> lock(mutex);
        const Clock::time_point now = Clock::now();
        if (!handleAlive(device, now) || !data || length < 2 || length > reportSize + 1)
            return -1;
        QByteArray report(reinterpret_cast<const char*>(data), int(length));
        reports.append(report);
        doneAt = std::max(now, outBusyUntil) + latency;
        outBusyUntil = doneAt;

        const int pieceLength = uint8_t(report[1]) & 0x7F;
        if (uint8_t(report[0]) != outputReportId || pieceLength > maxPiece ||
            pieceLength > report.size() - 2) {
            assembly.clear(); // a report the firmware cannot parse ends the frame
        } else {
            assembly.append(report.mid(2, pieceLength));
            if (uint8_t(report[1]) & lastReportFlag) {
                const QByteArray received = assembly;
                assembly.clear();
                frameReceived(received, doneAt);
            }
        }
    }
    if (doneAt > Clock::now())
        std::this_thread::sleep_until(doneAt);
    return int(length);
}

void EmulatedProcessor::frameReceived(const QByteArray& received, Clock::time_point at)
{
    // A frame whose CRC does not match is ignored, as if it never arrived.
    if (received.size() < 2)
        return;
    const QByteArray frame = received.left(received.size() - 2);
    const uint16_t crc = uint16_t(uint8_t(received[received.size() - 2]) |
                                  uint8_t(received[received.size() - 1]) << 8);
    if (crc != crc16(frame))
        return;
    requests.append(frame);
    ++requestsReceived;
    const Fault fault = faults.take(requestsReceived);

    bool dropsOffBus = false;
    QByteArray response = fault.status && !frame.isEmpty()
                              ? statusOnly(uint8_t(frame[0]), fault.status)
                              : answer(frame, dropsOffBus);
    if (fault.drop)
        return;
    if (fault.command >= 0)
        response[0] = char(fault.command);
    const uint16_t responseCrc = crc16(response);
    response.append(char(responseCrc & 0xFF));
    response.append(char(responseCrc >> 8));
    if (fault.corruptCrc)
        response[response.size() - 1] = char(response[response.size() - 1] ^ 0x5A);

    Clock::time_point availableAt = std::max(at, lastAnswerAt) + fault.delay;
    for (int offset = 0; offset < response.size(); offset += maxPiece) {
        const int piece = qMin(maxPiece, response.size() - offset);
        const bool last = offset + piece >= response.size();
        QByteArray report(reportSize, '\0');
        report[0] = char(inputReportId);
        report[1] = char(piece | (last && !fault.truncate ? lastReportFlag : 0));
        std::memcpy(report.data() + 2, response.constData() + offset, size_t(piece));
        availableAt += latency;
        inputQueue.push_back({report, availableAt, last && dropsOffBus});
        if (fault.truncate)
            break;
    }
    lastAnswerAt = availableAt;
    arrived.notify_all();
}

int EmulatedProcessor::read(hid_device_* device, unsigned char* data, size_t length, int timeoutMs)
{
    tightenTimerSlack();
    std::unique_lock<std::mutex> lock(mutex);
    const Clock::time_point deadline = timeoutMs < 0
                                           ? Clock::time_point::max()
                                           : Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (!handleAlive(device, now) || !data)
            return -1;
        if (!inputQueue.empty() && inputQueue.front().availableAt <= now) {
            const InputReport report = inputQueue.front();
            inputQueue.pop_front();
            ++reportsRead;
            const size_t count = qMin(length, size_t(report.bytes.size()));
            std::memcpy(data, report.bytes.constData(), count);
            if (report.dropsOffBusAfter)
                leaveBusLocked(now, serviceOffBus);
            return int(count);
        }
        if (now >= deadline)
            return 0;
        Clock::time_point wakeAt = deadline;
        if (!inputQueue.empty())
            wakeAt = std::min(wakeAt, inputQueue.front().availableAt);
        if (wakeAt == Clock::time_point::max())
            arrived.wait(lock);
        else
            arrived.wait_until(lock, wakeAt);
    }
}

QByteArray EmulatedProcessor::answer(const QByteArray& request, bool& dropsOffBus)
{
    if (request.isEmpty())
        return statusOnly(0, StatusUnknownCommand);
    const uint8_t command = uint8_t(request[0]);
    switch (command) {
    case 0x01:
    case 0x02:
        return answerParam(request);
    case 0x03:
        return answerReadPlugin(request);
    case 0x04:
        return answerWritePlugin(request);
    case 0x05:
    case 0x06:
        if (request.size() != 5 || uint32_t(readInt32(request, 1)) != serviceConfirmation)
            return statusOnly(command, StatusBadConfirmation);
        // The answer goes out first; the device restarts once the host has it.
        dropsOffBus = true;
        if (command == 0x05)
            ++reboots;
        else
            ++bootloaderStarts;
        return statusOnly(command, StatusOk);
    default:
        return statusOnly(command, StatusUnknownCommand);
    }
}

QByteArray EmulatedProcessor::answerParam(const QByteArray& request)
{
    const uint8_t command = uint8_t(request[0]);
    if (request.size() < 2)
        return statusOnly(command, StatusMalformed);
    const int pathLength = uint8_t(request[1]);
    if (request.size() < 2 + pathLength)
        return statusOnly(command, StatusMalformed);
    const QByteArray path = request.mid(2, pathLength);
    const int index =
        find_param_index(pathTree.constData(), pathTree.size(),
                         reinterpret_cast<const uint8_t*>(path.constData()), pathLength);
    if (index < 0 || index >= values.size())
        return statusOnly(command, StatusUnknownPath);
    if (pathStatus.contains(path))
        return statusOnly(command, uint8_t(pathStatus.value(path)));

    const FirmwareParam& param = firmwareParams[index];
    if (command == 0x01)
        return statusOnly(command, StatusOk) + currentValue(index);

    const QByteArray value = request.mid(2 + pathLength);
    if (isReadOnlyKind(param.kind))
        return statusOnly(command, StatusReadOnly);
    if (value.size() != param.size)
        return statusOnly(command, StatusWrongSize);
    if (index == presetParam && value != values[index])
        selectPreset(uint8_t(value[0]));
    if (!ignoredWritePaths.contains(path))
        values[index] = value;
    return statusOnly(command, StatusOk);
}

void EmulatedProcessor::selectPreset(int preset)
{
    const int previous = uint8_t(values[presetParam][0]);
    if (preset >= presetBanks.size() || previous >= presetBanks.size())
        return;
    for (int i = firstPresetParam; i < values.size(); ++i) {
        if (!isReadOnlyKind(firmwareParams[i].kind)) {
            presetBanks[previous][i] = values[i];
            values[i] = presetBanks[preset][i];
        }
    }
}

QByteArray EmulatedProcessor::currentValue(int paramIndex) const
{
    if (levelsMoving && std::strcmp(firmwareParams[paramIndex].kind, "signal_level") == 0)
        return levelValue(paramIndex);
    return values[paramIndex];
}

// Music-like levels: a slow swell per channel with a faster flutter on top.
QByteArray EmulatedProcessor::levelValue(int paramIndex) const
{
    const double t = std::chrono::duration<double>(Clock::now() - bootTime).count();
    const double phase = paramIndex * 0.7;
    const double level =
        -24.0 + 14.0 * std::sin(0.9 * t + phase) + 5.0 * std::sin(7.3 * t + 2.0 * phase);
    return floatBytes(float(std::min(0.0, level)));
}

QByteArray EmulatedProcessor::answerReadPlugin(const QByteArray& request)
{
    if (request.size() != 5)
        return statusOnly(0x03, StatusMalformed);
    const int32_t offset = readInt32(request, 1);
    if (offset < 0)
        return statusOnly(0x03, StatusMalformed);
    QByteArray out = statusOnly(0x03, StatusOk);
    if (offset < plugin.size())
        out += plugin.mid(offset, readBackStep);
    return out;
}

QByteArray EmulatedProcessor::answerWritePlugin(const QByteArray& request)
{
    if (request.size() < 5)
        return statusOnly(0x04, StatusMalformed);
    if (!pluginRefusals.isEmpty()) {
        const int code = pluginRefusals.takeFirst();
        if (code != 0)
            return statusOnly(0x04, uint8_t(code));
    }
    const int32_t offset = readInt32(request, 1);
    const QByteArray chunk = request.mid(5);
    // Chunks arrive in whole 32-bit words.
    if (offset < 0 || chunk.size() % 4 != 0)
        return statusOnly(0x04, StatusMalformed);
    if (offset == 0)
        plugin.clear(); // a new image starts
    if (plugin.size() < offset + chunk.size())
        plugin.resize(offset + chunk.size());
    std::memcpy(plugin.data() + offset, chunk.constData(), size_t(chunk.size()));
    return statusOnly(0x04, StatusOk);
}
