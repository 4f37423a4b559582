// Figures of the device link against the emulated processor:
//  (a) reading all 165 parameters at 1 ms per report, as a ratio to the link's floor and
//      to a bare client that does the same reads with nothing but hidapi;
//  (b) host overhead of one exchange at latency 0, from the request handed to the
//      worker to the response arriving on the GUI thread;
//  (c) writing and verifying a 64 KiB plugin at 1 ms per report, as a ratio to its floor;
//  (d) an undo at 1 ms per report: from the call to the old value held by the processor,
//      and to its write acknowledged.
// The floor is the number of reports that crossed the bus times the time per report.
#include "bareclient.h"
#include "channelparamnodes.h"
#include "deviceprotocol.h"
#include "edithistory.h"
#include "emulatedprocessor.h"
#include "firmwaretable.h"
#include "hidthread.h"
#include "mainwindow.h"
#include "outputnode.h"
#include "paramhub.h"
#include "paramtree.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs requests one after another, each built from the previous response (or the
// start), until `next` returns an empty frame, as the automaton chains them.
void runChain(HIDThread& thread, const std::function<QByteArray(const QByteArray*)>& next)
{
    QEventLoop loop;
    QObject context;
    QObject::connect(
        &thread, &HIDThread::requestComplete, &context,
        [&](QByteArray response) {
            const QByteArray request = next(&response);
            if (request.isEmpty())
                loop.quit();
            else
                thread.makeRequest(request);
        },
        Qt::QueuedConnection);
    thread.makeRequest(next(nullptr));
    loop.exec();
}

// Every parameter's path, by parameter index, from the tree's flattened path tree: the
// table the device resolves request paths with. Empty when an index is missing or twice.
std::vector<BareClient::Bytes> pathsByIndex(const QVector<path_tree_item>& tree)
{
    using Bytes = BareClient::Bytes;
    std::vector<Bytes> paths;
    bool ok = true;
    std::function<void(int, const Bytes&, int)> walk = [&](int list, const Bytes& prefix,
                                                           int depth) {
        if (depth > 8) { // paths are at most a few segments long; deeper is a loop
            ok = false;
            return;
        }
        for (int i = list; i < tree.size() && path_tree_item_not_null(tree[i]); ++i) {
            Bytes path = prefix;
            uint8_t segment[2];
            path.insert(path.end(), segment,
                        segment + serialize_path_segment(path_tree_item_segment(tree[i]), segment));
            const unsigned value = path_tree_item_value(tree[i]);
            if (value & PATH_TREE_INNER_FLAG) {
                walk(int(value & 0x7FFF), path, depth + 1);
                continue;
            }
            if (paths.size() <= value)
                paths.resize(value + 1);
            ok = ok && paths[value].empty();
            paths[value] = path;
        }
    };
    walk(0, Bytes(), 0);
    ok = ok && std::none_of(paths.begin(), paths.end(), [](const Bytes& p) { return p.empty(); });
    return ok ? paths : std::vector<Bytes>();
}

struct Run
{
    double seconds;
    double floorSeconds;
};

Run timed(EmulatedProcessor& emu, HIDThread& thread,
          const std::function<QByteArray(const QByteArray*)>& next)
{
    emu.clearLogs();
    QElapsedTimer clock;
    clock.start();
    runChain(thread, next);
    const double seconds = clock.nsecsElapsed() * 1e-9;
    const int reports = emu.outputReports().size() + emu.inputReportsRead();
    return {seconds, reports * 1e-3};
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    EmulatedProcessor& emu = EmulatedProcessor::instance();
    emu.reset();
    emu.plugIn();
    HIDThread thread;

    // (a) Read All by the window's device session, values applied to the tree, each run
    // followed by the bare client's reads of the same paths
    emu.setLatency(std::chrono::milliseconds(1));
    std::vector<BareClient::Bytes> paths;
    {
        ParamTree tree;
        paths = pathsByIndex(tree.constructPathTree());
    }
    BareClient bare;
    if (paths.size() != 165 || !bare.isOpen()) {
        std::fprintf(stderr, "bare client: %zu paths, device %s\n", paths.size(),
                     bare.isOpen() ? "open" : "not found");
        return 1;
    }
    std::vector<double> readAllRatios, readAllSeconds, bareSeconds, toBare, undoMs, undoAckMs;
    int readAllReports = 0, bareReports = 0;
    {
        MainWindow window;
        // The window's first level probe finds the device and reads everything, which
        // clears the edit history: let it happen before anything is measured.
        while (!window.session()->isConnected() || !window.session()->isIdle())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        for (int run = 0; run < 7; ++run) {
            emu.clearLogs();
            QElapsedTimer clock;
            clock.start();
            window.session()->readAll();
            while (!window.session()->isIdle())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            readAllSeconds.push_back(clock.nsecsElapsed() * 1e-9);
            readAllReports = emu.outputReports().size() + emu.inputReportsRead();
            readAllRatios.push_back(readAllSeconds.back() / (readAllReports * 1e-3));

            emu.clearLogs();
            std::vector<BareClient::Bytes> values;
            clock.start();
            const int read = bare.readAll(paths, values);
            bareSeconds.push_back(clock.nsecsElapsed() * 1e-9);
            bareReports = emu.outputReports().size() + emu.inputReportsRead();
            if (read != int(paths.size())) {
                std::fprintf(stderr, "bare client read %d of %zu parameters\n", read, paths.size());
                return 1;
            }
            toBare.push_back(readAllSeconds.back() / bareSeconds.back());
        }

        // (d) an undo, from the call to the old value written on the processor
        VolumeNode* volume = window.getParamTree()->getOutputNode(0)->volumeNode();
        const auto settle = [&window] {
            while (!window.session()->isIdle())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        };
        for (int run = 0; run < 21; ++run) {
            const QByteArray old = volume->serialize();
            volume->setValue(-10.0 - run, ChangeSource::User);
            settle();
            QElapsedTimer clock;
            clock.start();
            window.history()->undo();
            while (emu.value(volume->paramIndex) != old)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            undoMs.push_back(clock.nsecsElapsed() * 1e-6);
            settle();
            undoAckMs.push_back(clock.nsecsElapsed() * 1e-6);
        }
    }

    // (b) host overhead per exchange
    emu.setLatency(std::chrono::microseconds(0));
    std::vector<double> overhead;
    QElapsedTimer clock;
    const QByteArray probe =
        DeviceProtocol::readParamRequest(firmwareParamPath(firmwareParams[21]));
    int exchanges = 0;
    runChain(thread, [&](const QByteArray* response) {
        if (response)
            overhead.push_back(clock.nsecsElapsed() * 1e-3);
        if (++exchanges > 5000)
            return QByteArray();
        clock.start();
        return probe;
    });

    // (c) 64 KiB plugin, written and read back
    emu.setLatency(std::chrono::milliseconds(1));
    QByteArray image(64 * 1024, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char((i * 131) >> 3);
    std::vector<double> pluginRatios;
    double pluginSeconds = 0;
    for (int run = 0; run < 3; ++run) {
        int offset = 0;
        bool verifying = false;
        bool failed = false;
        const Run r = timed(emu, thread, [&](const QByteArray* response) {
            if (response && !verifying) {
                if (!DeviceProtocol::checkWritePluginResponse(*response).ok)
                    failed = true;
            } else if (response) {
                const auto check =
                    DeviceProtocol::checkReadPluginResponse(*response, image, offset);
                failed = failed || !check.equal;
                offset += check.compared;
            }
            if (failed)
                return QByteArray();
            if (!verifying && offset < image.size()) {
                int length = 0;
                const QByteArray frame = DeviceProtocol::writePluginRequest(image, offset, &length);
                offset += length;
                return frame;
            }
            if (!verifying) {
                verifying = true;
                offset = 0;
            }
            return offset < image.size() ? DeviceProtocol::readPluginRequest(offset) : QByteArray();
        });
        if (failed) {
            std::fprintf(stderr, "plugin verification failed\n");
            return 1;
        }
        pluginRatios.push_back(r.seconds / r.floorSeconds);
        pluginSeconds = r.seconds;
    }

    std::printf("(a) Read All, 165 parameters, 1 ms/report: %.3f s, ratio to floor %.3f (median "
                "of %zu)\n",
                median(readAllSeconds), median(readAllRatios), readAllRatios.size());
    std::printf("    bare client, same reads: %.3f s; Read All / bare client %.3fx, %+.0f us per "
                "parameter (median of %zu paired runs; %d and %d reports)\n",
                median(bareSeconds), median(toBare),
                (median(readAllSeconds) - median(bareSeconds)) * 1e6 / double(paths.size()),
                toBare.size(), readAllReports, bareReports);
    std::printf("(b) host overhead per exchange at latency 0: median %.1f us (%zu exchanges)\n",
                median(overhead), overhead.size());
    std::printf("(c) 64 KiB plugin write + verify, 1 ms/report: %.2f s, ratio to floor %.3f "
                "(median of %zu)\n",
                pluginSeconds, median(pluginRatios), pluginRatios.size());
    // The emulated processor takes a value as its last report arrives; the answer follows.
    std::printf("(d) undo of a volume edit, 1 ms/report: processor holds the old value after "
                "%.2f ms, write acknowledged after %.2f ms (medians of %zu undos)\n",
                median(undoMs), median(undoAckMs), undoMs.size());
    return 0;
}
