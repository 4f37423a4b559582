#include "mainwindow.h"
#include "resourceinit.h"
#include "steadycachestyle.h"
#ifdef TONVISE_DEMO
#include "emulatedprocessor.h"
#endif

#include <QApplication>
#include <QDebug>
#include <QFontDatabase>

int main(int argc, char* argv[])
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0) // both always on in Qt 6
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    // Lets icons and the themes' images use their @2x drawings on high-DPI screens.
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
#endif
    // Whole scale factors, as Qt 5 has them: Qt 6 would draw at 125 % or 150 % as well.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication::setStyle(new SteadyCacheStyle(QStringLiteral("Fusion")));
    QApplication app(argc, argv);
    initTonviseResources();

    const int fontId = QFontDatabase::addApplicationFont(QStringLiteral(":Roboto-Regular.ttf"));
    if (fontId >= 0) {
        const QStringList families = QFontDatabase::applicationFontFamilies(fontId);
        if (!families.isEmpty())
            qDebug() << "Font" << families.first() << "loaded";
    }

#ifdef TONVISE_DEMO
    // No hardware needed: the emulated processor is plugged in before the window looks for it.
    EmulatedProcessor::instance().plugInDemo();
#endif

    MainWindow window;
    window.show();
    return app.exec();
}
