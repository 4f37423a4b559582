// Renders the main window on each tab and the crossover and equalizer dialogs, in the
// light and the dark theme, into PNG files: the screenshots of the README and of the
// theme checks. Runs offscreen (unless QT_QPA_PLATFORM says otherwise) against the emulated
// processor, with preferences in a temporary folder so the user's theme is untouched.
#include "channelcontrol.h"
#include "crossovercontrol.h"
#include "customdoublespinbox.h"
#include "emulatedprocessor.h"
#include "equalizercontrol.h"
#include "equalizerdialog.h"
#include "mainwindow.h"
#include "outputnode.h"
#include "resourceinit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFontDatabase>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace {

bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void settle()
{
    waitFor([] { return false; }, 100);
}

// Sets a filter as a user does: pick the type, type the numbers, leave the box.
void choose(QWidget* control, const char* combo, const char* type)
{
    auto* box = control->findChild<QComboBox*>(QLatin1String(combo));
    box->setCurrentIndex(box->findText(QLatin1String(type)));
}

void enter(QWidget* control, const char* name, double value)
{
    auto* box = control->findChild<CustomDoubleSpinBox*>(QLatin1String(name));
    box->setValue(value);
    Q_EMIT box->editingFinished();
}

bool save(QWidget* widget, const QDir& dir, const QString& name)
{
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    if (widget->grab().save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

// A measurement program's filter list previewed over the equalizer, whose graph shows the
// curve it would give; cancelled afterwards.
bool saveImportPreview(EqualizerDialog* equalizer, const QDir& dir, const QString& name)
{
    QTemporaryDir files;
    QFile list(files.filePath(QStringLiteral("room-eq.txt")));
    if (!list.open(QIODevice::WriteOnly))
        return false;
    list.write("Preamp: -4.1 dB\n"
               "Filter 1: ON LSC Fc 65 Hz Gain 4.0 dB Q 0.70\n"
               "Filter 2: ON PK Fc 142 Hz Gain -6.5 dB Q 4.20\n"
               "Filter 3: ON PK Fc 1850 Hz Gain 2.5 dB Q 1.80\n"
               "Filter 4: ON BP Fc 3000 Hz Q 2.00\n"
               "Filter 5: ON HS Fc 9000 Hz Gain -3.0 dB\n"
               "Filter 6: ON PK Fc 12000 Hz Gain -2.0 dB Q 3.00\n");
    list.close();
    equalizer->importFile(list.fileName());
    auto* preview = equalizer->findChild<QDialog*>(QStringLiteral("filterImportPreview"));
    if (!preview)
        return false;
    preview->resize(760, 300);
    settle();
    QPixmap picture = equalizer->grab();
    const QPixmap over = preview->grab();
    QPainter painter(&picture);
    painter.drawPixmap(picture.width() - over.width() - 24, picture.height() - over.height() - 60,
                       over);
    painter.end();
    preview->reject();
    settle();
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    if (picture.save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication app(argc, argv);
    if (argc != 2 || !QDir().mkpath(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "usage: tonvise-screenshots <directory>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    initTonviseResources();
    QFontDatabase::addApplicationFont(QStringLiteral(":Roboto-Regular.ttf"));
    QTemporaryDir preferences;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, preferences.path());

    EmulatedProcessor& processor = EmulatedProcessor::instance();
    processor.plugInDemo();
    processor.setLatency(std::chrono::microseconds(0));

    MainWindow window;
    window.show();
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("tabs"));
    // Connected, everything read, and the DAC tab the device asks for added.
    if (!waitFor(
            [&] {
                return window.session()->isConnected() && window.session()->isIdle() &&
                       tabs->count() == 5;
            },
            20000)) {
        std::fprintf(stderr, "the emulated processor did not connect\n");
        return 1;
    }

    // One output muted, crossovers for a three-way system, two EQ bands on a woofer.
    QWidget* outputTab = window.findChild<QWidget*>(QStringLiteral("outputTab"));
    ChannelControl* secondOutput = outputTab->findChildren<ChannelControl*>().at(1);
    secondOutput->findChild<QPushButton*>(QStringLiteral("mute"))->click();
    auto* crossover = window.findChild<QDialog*>(QStringLiteral("CrossoverDialog"));
    const QList<CrossoverControl*> outputs = crossover->findChildren<CrossoverControl*>();
    // Opened for the mid driver; tweeter and woofer drawn too.
    const auto openCrossover = [&] {
        window.getParamTree()->getOutputNode(2)->requestCrossover();
        for (int i : {0, 4})
            outputs.at(i)->findChild<QCheckBox*>(QStringLiteral("graphVisible"))->setChecked(true);
    };
    openCrossover();
    for (int i = 0; i < 6; ++i) {
        if (i < 4) {
            choose(outputs.at(i), "highpassType", "LR 24");
            enter(outputs.at(i), "highpassFrequency", i < 2 ? 3000 : 300);
        }
        if (i >= 2) {
            choose(outputs.at(i), "lowpassType", "LR 24");
            enter(outputs.at(i), "lowpassFrequency", i < 4 ? 3000 : 300);
        }
    }
    crossover->hide();
    auto* equalizer = window.findChild<QDialog*>(QStringLiteral("EqualizerDialog"));
    window.getParamTree()->getOutputNode(4)->requestEqualizer();
    const QList<EqualizerControl*> bands = equalizer->findChildren<EqualizerControl*>();
    choose(bands.at(0), "type", "Low Shelf");
    enter(bands.at(0), "frequency", 80);
    enter(bands.at(0), "gain", 4);
    choose(bands.at(1), "type", "Peak");
    enter(bands.at(1), "frequency", 1200);
    enter(bands.at(1), "q", 2);
    enter(bands.at(1), "gain", -5);
    equalizer->hide();
    waitFor([&] { return window.session()->isIdle(); }, 20000);

    bool ok = true;
    for (const QString& theme : {QStringLiteral("light"), QStringLiteral("dark")}) {
        if (theme == QLatin1String("dark"))
            window.reloadDarkStyle();
        else
            window.reloadLightStyle();
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            settle();
            QString tab = tabs->tabText(i).toLower();
            if (tab.startsWith(QLatin1String("ak")) || tab.startsWith(QLatin1String("dac")))
                tab = QStringLiteral("dac");
            ok &= save(&window, dir, theme + QLatin1Char('-') + tab);
        }
        tabs->setCurrentIndex(0);
        openCrossover();
        settle();
        ok &= save(crossover, dir, theme + QStringLiteral("-crossover"));
        crossover->hide();
        window.getParamTree()->getOutputNode(4)->requestEqualizer();
        settle();
        ok &= save(equalizer, dir, theme + QStringLiteral("-equalizer"));
        ok &= saveImportPreview(static_cast<EqualizerDialog*>(equalizer), dir,
                                theme + QStringLiteral("-import-preview"));
        equalizer->hide();
    }
    return ok ? 0 : 1;
}
