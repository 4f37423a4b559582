#include "testsupport.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGraphicsView>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QtTest>

// Stand-in for the response graph: the sheets select it by its class name alone.
class FrequencyResponseGraph : public QGraphicsView
{
    Q_OBJECT
};

namespace {

QString readSheet(const QString& resource)
{
    QFile file(resource);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The artwork the sheets and the form refer to, at the sizes they are drawn for.
const QMap<QString, QSize> imageSizes{
    {":/images/logo.png", {156, 73}},
    {":/images/zero.png", {28, 28}},
    {":/images/settings.png", {28, 28}},
    {":/images/settings_blue.png", {28, 28}},
    {":/images/checkbox_checked.png", {18, 18}},
    {":/images/checkbox_unchecked.png", {18, 18}},
    {":/images/combobox_arrow.png", {10, 7}},
    {":/images/combobox_arrow_blue.png", {12, 8}},
    {":/images/up_arrow_blue.png", {11, 6}},
    {":/images/down_arrow_blue.png", {11, 6}},
    {":/images/unmuted.png", {22, 20}},
    {":/images/unmuted_blue.png", {22, 20}},
    {":/images/muted.png", {22, 20}},
    {":/images/not_inverted.png", {31, 19}},
    {":/images/inverted.png", {31, 19}},
    {":/images/exit.png", {20, 19}},
    {":/images/app-icon.png", {256, 256}},
};

// Pixels only: the format and the device pixel ratio an @2x file name implies are ignored.
QImage normalized(const QImage& image)
{
    QImage plain = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    plain.setDevicePixelRatio(1.0);
    return plain;
}

bool near(QRgb a, QColor b, int tolerance = 3)
{
    return qAbs(qRed(a) - b.red()) <= tolerance && qAbs(qGreen(a) - b.green()) <= tolerance &&
           qAbs(qBlue(a) - b.blue()) <= tolerance;
}

int countNear(const QImage& image, QColor colour, int tolerance = 3)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += near(image.pixel(x, y), colour, tolerance) ? 1 : 0;
    return n;
}

// Stylesheet parse errors only show up as warnings: collect them while a sheet is applied.
QStringList collectedWarnings;
void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg && !message.contains("propagateSizeHints"))
        collectedWarnings << message;
}

// The parts of the main window the sheets style, with their object names and "className"s.
using Colours = QMap<QString, QColor>;

struct StandInWindow
{
    QMainWindow window;
    QPushButton* settingsButton = new QPushButton;
    QFrame* tabsFrame = new QFrame;
    QTabWidget* tabs = new QTabWidget;
    QPushButton* mute[2];
    QPushButton* invert;
    QCheckBox* routing[2];
    QDoubleSpinBox* volume = new QDoubleSpinBox;
    FrequencyResponseGraph* graph = new FrequencyResponseGraph;
    QMenu* menu = new QMenu(&window);

    StandInWindow()
    {
        auto* central = new QWidget(&window);
        auto* column = new QVBoxLayout(central);
        column->addWidget(settingsButton, 0, Qt::AlignRight);
        settingsButton->setObjectName(QStringLiteral("settingsButton"));
        settingsButton->setIcon(QIcon(QStringLiteral(":/images/zero.png")));
        column->addWidget(tabsFrame, 1);
        tabsFrame->setObjectName(QStringLiteral("tabsFrame"));
        (new QVBoxLayout(tabsFrame))->addWidget(tabs);
        auto* page = new QWidget;
        auto* strip = new QVBoxLayout(page);
        auto add = [&](auto* widget, const char* className, bool checked) {
            widget->setProperty("className", QLatin1String(className));
            widget->setCheckable(true);
            widget->setChecked(checked);
            strip->addWidget(widget);
            return widget;
        };
        for (int i = 0; i < 2; ++i) {
            mute[i] = add(new QPushButton, "mute-button", i == 0);
            mute[i]->setIconSize(QSize(22, 20));
            routing[i] = add(new QCheckBox, "routing-checkbox", i == 0);
        }
        invert = add(new QPushButton, "invert-button", true);
        invert->setIconSize(QSize(31, 19));
        volume->setObjectName(QStringLiteral("volume"));
        strip->addWidget(volume);
        tabs->addTab(page, QStringLiteral("Outputs"));
        graph->setScene(new QGraphicsScene(graph));
        column->addWidget(graph);
        menu->addAction(QStringLiteral("   Dark mode"))->setCheckable(true);
        menu->addAction(QStringLiteral("   About"));
        window.setCentralWidget(central);
        window.resize(600, 700);
    }
};

} // namespace

class TestThemes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initTestResources(); }

    // Each image at its size with its @2x copy beside it; the sheets name only those.
    void artworkAndTheSheetsReferences()
    {
        for (auto it = imageSizes.cbegin(); it != imageSizes.cend(); ++it) {
            QCOMPARE(QImage(it.key()).size(), it.value());
            const QString twice = QString(it.key()).replace(".png", "@2x.png");
            QCOMPARE(QImage(twice).size(), it.value() * 2);
        }
        // The settings button's own icon is empty: the theme draws the gear instead.
        QImage empty(28, 28, QImage::Format_ARGB32_Premultiplied);
        empty.fill(Qt::transparent);
        QCOMPARE(normalized(QImage(QStringLiteral(":/images/zero.png"))), empty);

        static const QRegularExpression url(QStringLiteral("url\\(\"?([^)\"]*)\"?\\)"));
        for (const QString sheet : {":/light.qss", ":/blue.qss"}) {
            int count = 0;
            for (auto it = url.globalMatch(readSheet(sheet)); it.hasNext(); ++count) {
                const QString path = it.next().captured(1).trimmed();
                const QString base = QString(path).remove(QStringLiteral("@2x"));
                QVERIFY2(imageSizes.contains(base), qPrintable(path + " is not known artwork"));
                QCOMPARE(QImage(path).size(), imageSizes[base] * (path == base ? 1 : 2));
            }
            // Settings image, check box pair, an arrow and the four mute/invert images, 1x and 2x.
            QVERIFY2(count >= 12, qPrintable(sheet));
        }
    }

    // What each theme paints where; read from the window's picture, since a transparent
    // button shows what lies behind it.
    void themesRenderTheirColours_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("unmutedIcon");
        QTest::addColumn<Colours>("colour");
        QTest::newRow("light") << ":/light.qss"
                               << ":/images/unmuted.png"
                               << Colours{{"window", Qt::white},      {"frameBorder", "#cccccc"},
                                          {"frameInside", Qt::white}, {"graph", Qt::white},
                                          {"muteOn", "#254980"},      {"muteOff", Qt::white},
                                          {"muteEdge", "#254980"},    {"gear", "#254980"},
                                          {"spinBox", Qt::white}};
        QTest::newRow("dark") << ":/blue.qss"
                              << ":/images/unmuted_blue.png"
                              << Colours{{"window", "#0e1f3b"},      {"frameBorder", "#686868"},
                                         {"frameInside", "#13233f"}, {"graph", Qt::black},
                                         {"muteOn", "#143c79"},      {"muteOff", "#1b3d77"},
                                         {"muteEdge", "#ff0000"},    {"gear", Qt::white},
                                         {"spinBox", "#1b2c4a"}};
    }
    void themesRenderTheirColours()
    {
        QFETCH(QString, sheet);
        QFETCH(QString, unmutedIcon);
        QFETCH(Colours, colour);
        StandInWindow w;
        collectedWarnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
        w.window.setStyleSheet(readSheet(sheet));
        w.window.show();
        const bool exposed = QTest::qWaitForWindowExposed(&w.window);
        const QImage shot = w.window.grab().toImage();
        qInstallMessageHandler(previous);
        QVERIFY(exposed);
        QVERIFY2(collectedWarnings.isEmpty(), qPrintable(collectedWarnings.join('\n')));
        // Kept beside the test binary for a look at the whole theme.
        shot.save(QStringLiteral("themes-%1.png").arg(QLatin1String(QTest::currentDataTag())));

        auto expect = [&](QWidget* widget, QPoint p, const char* name) {
            const QRgb pixel = shot.pixel(widget->mapTo(&w.window, p));
            QVERIFY2(near(pixel, colour[name]),
                     qPrintable(name + QStringLiteral(": ") + QColor(pixel).name()));
        };
        expect(w.window.centralWidget(), QPoint(2, 2), "window");
        expect(w.tabsFrame, QPoint(0, w.tabsFrame->height() / 2), "frameBorder");
        expect(w.tabsFrame, QPoint(3, w.tabsFrame->height() / 2), "frameInside");
        expect(w.graph->viewport(), w.graph->viewport()->rect().center(), "graph");
        // The mute button beside its icon, checked and not; dark draws a red outline.
        expect(w.mute[0], QPoint(4, w.mute[0]->height() / 2), "muteOn");
        expect(w.mute[1], QPoint(4, w.mute[1]->height() / 2), "muteOff");
        expect(w.mute[0], QPoint(0, w.mute[0]->height() / 2), "muteEdge");
        expect(w.volume, QPoint(3, 3), "spinBox");

        // The selected tab is underlined in the accent colour, two pixels deep.
        const QRect firstTab = w.tabs->tabBar()->tabRect(0);
        QVERIFY(countNear(w.tabs->tabBar()->grab(firstTab).toImage(), QColor("#254980")) >=
                firstTab.width() * 2 - 4);

        // The icons come from the sheet alone, follow the check state, and high-DPI
        // screens get the @2x drawing rather than the small one scaled up.
        const QList<std::tuple<QPushButton*, QSize, QIcon::State, QString>> icons{
            {w.mute[0], {22, 20}, QIcon::On, ":/images/muted.png"},
            {w.mute[0], {22, 20}, QIcon::Off, unmutedIcon},
            {w.mute[0], {44, 40}, QIcon::On, ":/images/muted@2x.png"},
            {w.invert, {31, 19}, QIcon::On, ":/images/inverted.png"},
            {w.invert, {31, 19}, QIcon::Off, ":/images/not_inverted.png"}};
        for (const auto& [button, size, state, image] : icons)
            QCOMPARE(normalized(button->icon().pixmap(size, QIcon::Normal, state).toImage()),
                     normalized(QImage(image)));
        // The muted icon's red cross is on screen when checked, absent when not.
        QVERIFY(countNear(w.mute[0]->grab().toImage(), QColor("#ff5b5b"), 40) > 5);
        QCOMPARE(countNear(w.mute[1]->grab().toImage(), QColor("#ff5b5b"), 40), 0);

        QVERIFY(countNear(w.settingsButton->grab().toImage(), colour["gear"], 8) > 60);
        // Check boxes draw the project's indicator images.
        QVERIFY(countNear(w.routing[0]->grab().toImage(), QColor("#2f66c8"), 6) > 100);
        QCOMPARE(countNear(w.routing[1]->grab().toImage(), QColor("#2f66c8"), 6), 0);

        // The settings menu is navy in the dark theme only, its check box entry drawn with
        // the unticked image (white).
        w.menu->ensurePolished();
        w.menu->adjustSize();
        const QImage menu = w.menu->grab().toImage();
        const bool dark = sheet == ":/blue.qss";
        QCOMPARE(countNear(menu, "#0e1f3b") > menu.width() * menu.height() / 2, dark);
        if (dark)
            QVERIFY(countNear(menu, Qt::white, 0) > 100);
    }
};

QTEST_MAIN(TestThemes)
#include "test_themes.moc"
