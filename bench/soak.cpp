// Soak: the demo processor at 1 ms per report with "Read Levels" on, and random edits
// on every kind of control and dialog of the window (strip faders and spin boxes, combo
// boxes and their popups, check boxes and buttons, tabs, channel labels, the crossover
// and equalizer dialogs, settings saved and loaded, Read All) for a set time. Prints the
// resident memory, the heap in use and its growth after warm-up, and the number of top-level
// windows at the start, each minute and at the end, and the exchanges made.
//   soak [--seconds N] [--seed S]        (default 600 s)
#include "channelcontrol.h"
#include "customcombobox.h"
#include "customdoublespinbox.h"
#include "emulatedprocessor.h"
#include "inputnode.h"
#include "mainwindow.h"
#include "outputnode.h"
#include "paramtree.h"
#include "resourceinit.h"
#include "steadycachestyle.h"
#include "volumeslider.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QInputDialog>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <functional>
#include <malloc.h>
#include <random>
#include <unistd.h>

namespace {

// Live heap blocks: what the program holds, as opposed to pages the allocator keeps.
long heapKiB()
{
    const struct mallinfo2 info = mallinfo2();
    return long((info.uordblks + info.hblkhd) / 1024);
}

long residentKiB()
{
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Top-level windows by class, counted once the windows closed a moment ago are gone.
QMap<QByteArray, int> windowsByClass()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QMap<QByteArray, int> windows;
    for (QWidget* window : QApplication::topLevelWidgets())
        ++windows[window->metaObject()->className()];
    return windows;
}

int total(const QMap<QByteArray, int>& windows)
{
    int sum = 0;
    for (const int count : windows)
        sum += count;
    return sum;
}

// The classes whose count changed, e.g. " (+2 QInputDialog)": what did not close.
QByteArray changes(const QMap<QByteArray, int>& before, const QMap<QByteArray, int>& after)
{
    QMap<QByteArray, int> keys = before;
    keys.insert(after);
    QByteArrayList out;
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        const int change = after.value(it.key()) - before.value(it.key());
        if (change != 0)
            out << QByteArray(change > 0 ? "+" : "") + QByteArray::number(change) + ' ' + it.key();
    }
    return out.isEmpty() ? QByteArray() : " (" + out.join(", ") + ')';
}

template <typename T> QList<T*> visible(QObject* root)
{
    QList<T*> out;
    for (T* widget : root->findChildren<T*>()) {
        if (widget->isVisible() && widget->isEnabled())
            out << widget;
    }
    return out;
}

// Answers whatever modal dialog the edits opened, as a user would.
void answerDialogs(const QString& settingsPath, std::mt19937& rng)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    if (auto* files = qobject_cast<QFileDialog*>(modal)) {
        const QFileInfo info(settingsPath);
        files->setDirectory(info.absolutePath());
        if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(info.fileName());
        // Queued: replacing a file asks first, and this timer must be free to answer it.
        QMetaObject::invokeMethod(
            files, [files] { static_cast<QDialog*>(files)->accept(); }, Qt::QueuedConnection);
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        if (QAbstractButton* yes = box->button(QMessageBox::Yes))
            yes->click(); // replacing the settings file
        else
            box->accept();
    } else if (auto* input = qobject_cast<QInputDialog*>(modal)) {
        input->setTextValue(QStringLiteral("Soak %1").arg(rng() % 1000));
        input->accept();
    }
}

class Soak
{
public:
    Soak(MainWindow& window, const QString& settingsPath, unsigned seed)
        : window(window), settingsPath(settingsPath), rng(seed)
    {}

    // The crossover or equalizer dialog when one is open (they are modal), else null.
    QDialog* filterDialog() const
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        const QString name = dialog ? dialog->objectName() : QString();
        return name == QStringLiteral("CrossoverDialog") ||
                       name == QStringLiteral("EqualizerDialog")
                   ? dialog
                   : nullptr;
    }

    // One random edit; false while a file dialog, message box or input dialog is open.
    // An open crossover or equalizer dialog takes the edits, as it would a user's.
    bool step()
    {
        QDialog* dialog = filterDialog();
        if (QApplication::activeModalWidget() && !dialog)
            return false;
        ++edits;
        root = dialog ? static_cast<QWidget*>(dialog) : &window;
        const int dice = int(rng() % 1000);
        if (dice < 300)
            editSpinBox();
        else if (dice < 450)
            editFader();
        else if (dice < 600)
            editComboBox(dice < 460);
        else if (dice < 750)
            toggleButton();
        else if (dice < 800)
            switchTab();
        else if (dialog)
            dialog->reject();
        // Files and Read All only while the link is idle, as a user waits for the last
        // one: queued faster than the device carries them, transfers pile up without end.
        else if (dice >= 955 && !window.session()->isIdle())
            toggleButton();
        else if (dice < 870)
            window.getParamTree()->getOutputNode(int(rng() % 8))->requestCrossover();
        else if (dice < 940)
            openEqualizer();
        else if (dice < 955)
            renameOutput();
        else if (dice < 970)
            window.on_saveButton_clicked();
        else if (dice < 985)
            loadSettings();
        else
            window.on_actionRead_All_triggered();
        return true;
    }

    // Qt keeps a combo box's list window, with the drawing surface it gets when first shown
    // (some 120 KiB), as long as the combo box. Every list the edits reach is shown once
    // before the figures start, so that first showings do not count as growth.
    void showEveryListOnce()
    {
        const auto showLists = [](QWidget* root) {
            for (QComboBox* combo : visible<QComboBox>(root)) {
                combo->showPopup();
                QCoreApplication::processEvents();
                combo->hidePopup();
            }
        };
        showLists(&window);
        window.getParamTree()->getOutputNode(0)->requestCrossover();
        showLists(filterDialog());
        filterDialog()->reject();
        // An input's first band offers one type more: its list is the taller one.
        window.getParamTree()->getInputNode(0)->requestEqualizer();
        showLists(filterDialog());
        filterDialog()->reject();
    }

    // The crossover graph holds some 240 KiB for each output's curve it shows, and the edits
    // tick and untick them at random; heap figures are taken with the one curve the dialog
    // shows when opened for output 1, so that they compare like with like.
    long heapWithOneCrossoverCurve()
    {
        window.getParamTree()->getOutputNode(0)->requestCrossover();
        window.findChild<QDialog*>(QStringLiteral("CrossoverDialog"))->reject();
        return heapKiB();
    }

    int edits = 0;

private:
    double uniform(double low, double high)
    {
        return std::uniform_real_distribution<double>(low, high)(rng);
    }
    template <typename T> T* pick(const QList<T*>& list)
    {
        return list.isEmpty() ? nullptr : list.at(int(rng() % unsigned(list.size())));
    }

    void editSpinBox()
    {
        if (auto* box = pick(visible<CustomDoubleSpinBox>(root)))
            box->setValueWithSignals(uniform(box->minimum(), box->maximum()));
    }
    void editFader()
    {
        if (auto* fader = pick(visible<VolumeSlider>(root)))
            fader->setValueWithSignals(uniform(-60.0, 0.0));
    }
    void editComboBox(bool popup)
    {
        auto* combo = pick(visible<QComboBox>(root));
        if (!combo || combo->count() == 0)
            return;
        // A preset change reads everything back; a user waits for that as for Read All.
        if (combo->objectName() == QStringLiteral("presetValue") && !window.session()->isIdle())
            return;
        if (popup) {
            combo->showPopup();
            QCoreApplication::processEvents();
            combo->hidePopup();
        } else {
            combo->setCurrentIndex(int(rng() % unsigned(combo->count())));
        }
    }
    void toggleButton()
    {
        QList<QAbstractButton*> checkable;
        for (QAbstractButton* button : visible<QAbstractButton>(root)) {
            if (button->isCheckable())
                checkable << button;
        }
        if (QAbstractButton* button = pick(checkable))
            button->toggle();
    }
    void switchTab()
    {
        if (auto* tabs = pick(visible<QTabWidget>(root)))
            tabs->setCurrentIndex(int(rng() % unsigned(tabs->count())));
    }
    void openEqualizer()
    {
        const int channel = int(rng() % 10);
        if (channel < 8)
            window.getParamTree()->getOutputNode(channel)->requestEqualizer();
        else
            window.getParamTree()->getInputNode(channel - 8)->requestEqualizer();
    }
    void renameOutput()
    {
        QList<ChannelControl*> outputs;
        for (ChannelControl* strip : visible<ChannelControl>(&window)) {
            if (!strip->title().startsWith(QStringLiteral("  Input")))
                outputs << strip;
        }
        if (ChannelControl* strip = pick(outputs))
            Q_EMIT strip->titlePressed();
    }
    void loadSettings()
    {
        if (QFileInfo::exists(settingsPath))
            window.on_loadButton_clicked();
    }

    MainWindow& window;
    QWidget* root = nullptr; // where the generic edits go
    QString settingsPath;
    std::mt19937 rng;
};

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Started as main.cpp starts the program: its style, theme sheets, images and font.
    QApplication::setStyle(new SteadyCacheStyle(QStringLiteral("Fusion")));
    QApplication app(argc, argv);
    initTonviseResources();
    QFontDatabase::addApplicationFont(QStringLiteral(":Roboto-Regular.ttf"));
    int seconds = 600;
    unsigned seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--seed") == 0)
            seed = unsigned(std::atol(argv[i + 1]));
    }

    // Preferences and settings files stay in a directory of their own.
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    const QString settingsPath = dir.filePath(QStringLiteral("soak.json"));

    EmulatedProcessor& emu = EmulatedProcessor::instance();
    emu.plugInDemo();
    MainWindow window;
    window.resize(1280, 800);
    window.show();
    for (QMenu* menu : window.findChildren<QMenu*>()) {
        for (QAction* action : menu->actions()) {
            if (action->text() == QStringLiteral("   Read Levels"))
                action->setChecked(true);
        }
    }
    QElapsedTimer clock;
    clock.start();
    while (!(window.session()->isConnected() && window.session()->isIdle())) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        if (clock.elapsed() > 10000) {
            std::fprintf(stderr, "the demo processor did not connect\n");
            return 1;
        }
    }

    Soak soak(window, settingsPath, seed);
    soak.showEveryListOnce();

    const long startKiB = residentKiB();
    const int startExchanges = emu.requestCount();
    const QMap<QByteArray, int> startWindows = windowsByClass();
    std::printf("soak: %d s, seed %u; resident at start %ld KiB, heap %ld KiB, %d windows\n",
                seconds, seed, startKiB, heapKiB(), total(startWindows));
    std::fflush(stdout);

    std::mt19937 answerRng(seed + 1);
    QTimer answers;
    QObject::connect(&answers, &QTimer::timeout, [&] { answerDialogs(settingsPath, answerRng); });
    answers.start(20);
    QTimer edits;
    QObject::connect(&edits, &QTimer::timeout, [&] {
        if (clock.elapsed() >= qint64(seconds) * 1000) {
            if (QDialog* dialog = soak.filterDialog())
                dialog->reject();
            else if (!QApplication::activeModalWidget())
                app.quit();
            return;
        }
        soak.step();
        // The emulator keeps every request and report for tests to inspect; that memory
        // is not the tool's.
        emu.clearLogs();
    });
    clock.restart();
    edits.start(10);
    // The first minute builds caches (fonts, stylesheet rules, pixmaps); growth after it is
    // what would point to a leak.
    const int warmUpSeconds = qMin(60, seconds / 3);
    bool warmedUp = false;
    long warmUpKiB = 0;
    long warmUpHeapKiB = 0;
    int warmUpExchanges = 0;
    // A file dialog, message box or label editor runs in an event loop of its own and holds
    // a window and memory until that loop has returned: figures wait for it.
    std::function<void(std::function<void()>)> outsideDialogs = [&](std::function<void()> take) {
        if (QThread::currentThread()->loopLevel() > 1)
            QTimer::singleShot(50, [&outsideDialogs, take] { outsideDialogs(take); });
        else
            take();
    };
    QTimer minutes;
    const auto reportMinute = [&] {
        const QMap<QByteArray, int> windows = windowsByClass();
        const long heap = soak.heapWithOneCrossoverCurve();
        const QByteArray growth =
            warmedUp
                ? QString::asprintf(" (%+ld KiB since warm-up)", heap - warmUpHeapKiB).toLatin1()
                : QByteArray();
        std::printf("  %3lld s: resident %ld KiB, heap %ld KiB%s, %d windows%s, %d exchanges, "
                    "%d edits\n",
                    clock.elapsed() / 1000, residentKiB(), heap, growth.constData(), total(windows),
                    changes(startWindows, windows).constData(), emu.requestCount() - startExchanges,
                    soak.edits);
        std::fflush(stdout);
    };
    QObject::connect(&minutes, &QTimer::timeout, [&] { outsideDialogs(reportMinute); });
    minutes.start(60000);
    const auto takeWarmUp = [&] {
        warmedUp = true;
        warmUpKiB = residentKiB();
        warmUpHeapKiB = soak.heapWithOneCrossoverCurve();
        warmUpExchanges = emu.requestCount() - startExchanges;
        std::printf("  warmed up after %d s: resident %ld KiB, heap %ld KiB\n", warmUpSeconds,
                    warmUpKiB, warmUpHeapKiB);
        std::fflush(stdout);
    };
    QTimer::singleShot(warmUpSeconds * 1000, [&] { outsideDialogs(takeWarmUp); });
    app.exec();

    // Let the last operation finish, so its memory counts too.
    const double elapsedSeconds = clock.elapsed() / 1000.0;
    QElapsedTimer settle;
    settle.start();
    while (!window.session()->isIdle() && settle.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    if (!window.session()->isIdle())
        std::printf("the device session was still busy 10 s after the last edit (state %d)\n",
                    int(window.session()->state()));
    const long endKiB = residentKiB();
    const long endHeapKiB = soak.heapWithOneCrossoverCurve();
    const int exchanges = emu.requestCount() - startExchanges;
    std::printf("resident at end %ld KiB: growth %ld KiB since start, %ld KiB since warm-up "
                "(%.2f KiB per 1000 exchanges after it); %d exchanges (%.0f/s), %d edits\n",
                endKiB, endKiB - startKiB, endKiB - warmUpKiB,
                1000.0 * double(endKiB - warmUpKiB) / qMax(1, exchanges - warmUpExchanges),
                exchanges, exchanges / elapsedSeconds, soak.edits);
    const QMap<QByteArray, int> endWindows = windowsByClass();
    std::printf("heap in use at end %ld KiB: %+ld KiB after warm-up; windows: %d at start, %d at "
                "end%s\n",
                endHeapKiB, endHeapKiB - warmUpHeapKiB, total(startWindows), total(endWindows),
                changes(startWindows, endWindows).constData());
    return 0;
}
