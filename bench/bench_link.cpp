// Figures of the device link against the emulated processor:
//  (a) reading all 165 parameters at 1 ms per report, as a ratio to the link's floor;
//  (b) host overhead of one exchange at latency 0, from the request handed to the
//      worker to the response arriving on the GUI thread;
//  (c) writing and verifying a 64 KiB plugin at 1 ms per report, as a ratio to its floor.
// The floor is the number of reports that crossed the bus times the time per report.
#include "deviceprotocol.h"
#include "emulatedprocessor.h"
#include "firmwaretable.h"
#include "hidthread.h"
#include "mainwindow.h"

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

    // (a) Read All by the window's automaton, values applied to the tree
    emu.setLatency(std::chrono::milliseconds(1));
    std::vector<double> readAllRatios;
    double readAllSeconds = 0;
    {
        MainWindow window;
        for (int run = 0; run < 7; ++run) {
            emu.clearLogs();
            QElapsedTimer clock;
            clock.start();
            window.runAutomaton(MainWindow::ReadAll);
            while (window.automatonState() != MainWindow::Idle)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            readAllSeconds = clock.nsecsElapsed() * 1e-9;
            const int reports = emu.outputReports().size() + emu.inputReportsRead();
            readAllRatios.push_back(readAllSeconds / (reports * 1e-3));
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
                readAllSeconds, median(readAllRatios), readAllRatios.size());
    std::printf("(b) host overhead per exchange at latency 0: median %.1f us (%zu exchanges)\n",
                median(overhead), overhead.size());
    std::printf("(c) 64 KiB plugin write + verify, 1 ms/report: %.2f s, ratio to floor %.3f "
                "(median of %zu)\n",
                pluginSeconds, median(pluginRatios), pluginRatios.size());
    return 0;
}
