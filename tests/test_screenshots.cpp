#include <QDir>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <QtTest>
#include <algorithm>

namespace {

const QStringList themes = {"light", "dark"};
const QStringList views = {"outputs", "inputs",    "routing",  "dac",
                           "remote",  "crossover", "equalizer"};

QImage shot(const QString& name)
{
    return QImage(QDir(TONVISE_SCREENSHOTS_DIR).filePath(name + ".png"))
        .convertToFormat(QImage::Format_RGB32);
}

QHash<QRgb, int> histogram(const QImage& image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    return counts;
}

QRgb mostCommon(const QImage& image)
{
    const QHash<QRgb, int> counts = histogram(image);
    return std::max_element(counts.constBegin(), counts.constEnd()).key();
}

double share(const QImage& image, QRgb colour)
{
    return histogram(image).value(colour) / double(image.width() * image.height());
}

// A pixel of `inner` right of or below one of `border`: a filled, outlined button.
bool outlinedFill(const QImage& image, QRgb border, QRgb inner)
{
    for (int y = 0; y + 1 < image.height(); ++y)
        for (int x = 0; x + 1 < image.width(); ++x)
            if (image.pixel(x, y) == border &&
                (image.pixel(x + 1, y) == inner || image.pixel(x, y + 1) == inner))
                return true;
    return false;
}

} // namespace

class TestScreenshots : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QDir(TONVISE_SCREENSHOTS_DIR).removeRecursively();
        QProcess tool;
        tool.setProcessChannelMode(QProcess::ForwardedChannels);
        tool.start(TONVISE_SCREENSHOTS_TOOL, {TONVISE_SCREENSHOTS_DIR});
        QVERIFY(tool.waitForFinished(240000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), 0);
    }

    // Every view in both themes, connected (green underline) with the values read; the
    // window behind the top bar, and in the dark theme the tab area's frame filling most.
    void everyViewInItsThemesColours()
    {
        for (const QString& theme : themes)
            for (const QString& view : views)
                QVERIFY2(!shot(theme + '-' + view).isNull(), qPrintable(theme + '-' + view));
        for (const char* view : {"outputs", "routing", "remote"}) {
            const QImage light = shot(QStringLiteral("light-") + view);
            const QImage dark = shot(QStringLiteral("dark-") + view);
            QVERIFY(share(light, qRgb(0, 255, 0)) > 0 && share(dark, qRgb(0, 255, 0)) > 0);
            QCOMPARE(mostCommon(light), qRgb(255, 255, 255));
            QCOMPARE(mostCommon(light.copy(0, 0, light.width(), 80)), qRgb(255, 255, 255));
            QCOMPARE(mostCommon(dark.copy(0, 0, dark.width(), 80)), qRgb(0x0e, 0x1f, 0x3b));
            QCOMPARE(mostCommon(dark), qRgb(0x13, 0x23, 0x3f));
        }
        // The graph fills much of each dialog: white in the light theme, black in the dark one.
        // Both dialogs open within a 1366 x 768 screen.
        for (const char* dialog : {"crossover", "equalizer"}) {
            for (const QString& theme : themes) {
                const QImage image = shot(theme + '-' + dialog);
                QVERIFY2(image.width() <= 1280 && image.height() <= 700, dialog);
            }
            QVERIFY(share(shot(QStringLiteral("dark-") + dialog), qRgb(0, 0, 0)) > 0.25);
            QVERIFY(share(shot(QStringLiteral("light-") + dialog), qRgb(0, 0, 0)) < 0.02);
            QVERIFY(share(shot(QStringLiteral("light-") + dialog), qRgb(255, 255, 255)) > 0.5);
        }
        // The muted output: #143c79 inside a red outline.
        QVERIFY(outlinedFill(shot("dark-outputs"), qRgb(255, 0, 0), qRgb(0x14, 0x3c, 0x79)));
    }
};

QTEST_MAIN(TestScreenshots)
#include "test_screenshots.moc"
