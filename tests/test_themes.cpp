#include "testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGraphicsView>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QtTest>

// Stand-in for the response graph: the sheets select it by its class name alone.
class FrequencyResponseGraph : public QGraphicsView
{
    Q_OBJECT
public:
    using QGraphicsView::QGraphicsView;
};

namespace {

QString readSheet(const QString& resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// The artwork the sheets and the form refer to, at the sizes they are drawn for.
const QMap<QString, QSize>& imageSizes()
{
    static const QMap<QString, QSize> sizes{
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
    return sizes;
}

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
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += near(image.pixel(x, y), colour, tolerance) ? 1 : 0;
    }
    return n;
}

// Pixels that differ clearly from the image's top-left pixel (the background).
int inkPixels(const QImage& image)
{
    const QRgb background = image.pixel(0, 0);
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += qAbs(qGray(p) - qGray(background)) > 60 ? 1 : 0;
        }
    }
    return n;
}

QString hex(QRgb p)
{
    return QColor(p).name();
}

// Stylesheet parse errors only show up as warnings: collect them while a sheet is applied.
QStringList collectedWarnings;
void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg && !message.contains("propagateSizeHints"))
        collectedWarnings << message;
}

// Stand-in for the fader: the sheets give its scale text a colour by class name.
class VolumeSlider : public QWidget
{
    Q_OBJECT
public:
    explicit VolumeSlider(QWidget* parent) : QWidget(parent)
    {
        auto* layout = new QHBoxLayout(this);
        auto* slider = new QSlider(Qt::Vertical, this);
        slider->setRange(0, 1230);
        slider->setValue(1128);
        layout->addWidget(slider);
    }
};

// A window laid out like the main window, made of stand-ins that carry the object
// names and "className" values of the top bar, the tabs, the strips and the dialogs.
struct StandInWindow
{
    struct Strip
    {
        QGroupBox* box;
        QCheckBox* group;
        QDoubleSpinBox* volume;
        QPushButton* mute;
        QPushButton* invert;
    };

    QMainWindow window;
    QPushButton* settingsButton;
    QFrame* tabsFrame;
    QTabWidget* tabs;
    QList<Strip> strips;
    QList<QPushButton*> popupButtons;
    QCheckBox* routingOn;
    QCheckBox* routingOff;
    FrequencyResponseGraph* graph;
    QMenu* menu;

    StandInWindow()
    {
        auto* central = new QWidget(&window);
        auto* column = new QVBoxLayout(central);

        auto* top = new QHBoxLayout;
        column->addLayout(top);
        auto* logo = new QLabel(central);
        logo->setPixmap(QPixmap(QStringLiteral(":/images/logo.png")));
        top->addWidget(logo);
        for (const char* label : {"Preset", "Input"}) {
            top->addWidget(new QLabel(QLatin1String(label), central));
            auto* combo = new QComboBox(central);
            combo->addItems({QStringLiteral("Preset 1"), QStringLiteral("Preset 2")});
            combo->setProperty("className", QStringLiteral("preset-combobox"));
            top->addWidget(combo);
        }
        top->addStretch();
        for (const char* text : {"Save", "Load", "Connecting"}) {
            auto* b = new QPushButton(QLatin1String(text), central);
            b->setProperty("className", QStringLiteral("top-button"));
            top->addWidget(b);
            if (b->text() == QLatin1String("Connecting"))
                b->setObjectName(QStringLiteral("connectButton"));
        }
        settingsButton = new QPushButton(central);
        settingsButton->setObjectName(QStringLiteral("settingsButton"));
        settingsButton->setIcon(QIcon(QStringLiteral(":/images/zero.png")));
        settingsButton->setProperty("className", QString());
        top->addWidget(settingsButton);

        auto* middle = new QHBoxLayout;
        column->addLayout(middle, 1);
        tabsFrame = new QFrame(central);
        tabsFrame->setObjectName(QStringLiteral("tabsFrame"));
        auto* tabsLayout = new QVBoxLayout(tabsFrame);
        tabs = new QTabWidget(tabsFrame);
        tabsLayout->addWidget(tabs);
        middle->addWidget(tabsFrame, 1);

        auto* outputs = new QWidget;
        auto* outputRow = new QHBoxLayout(outputs);
        strips << makeStrip(outputs, QStringLiteral("  Output 1  "), true)
               << makeStrip(outputs, QStringLiteral("  Output 2  "), false);
        for (const Strip& strip : strips)
            outputRow->addWidget(strip.box);
        auto* routing = new QVBoxLayout;
        outputRow->addLayout(routing);
        auto routingBox = [&](bool checked) {
            auto* c = new QCheckBox(outputs);
            c->setProperty("className", QStringLiteral("routing-checkbox"));
            c->setChecked(checked);
            routing->addWidget(c);
            return c;
        };
        routingOn = routingBox(true);
        routingOff = routingBox(false);
        auto* harmonic = new QSlider(Qt::Horizontal, outputs);
        harmonic->setRange(-100, 100);
        harmonic->setValue(30);
        routing->addWidget(harmonic);
        auto* popup = new QFrame(outputs);
        popup->setProperty("className", QStringLiteral("preset-popup-frame"));
        auto* popupLayout = new QVBoxLayout(popup);
        popupLayout->setContentsMargins(0, 0, 0, 0);
        popupLayout->setSpacing(0);
        for (int i = 1; i <= 4; ++i) {
            auto* b = new QPushButton(QStringLiteral("Preset %1").arg(i), popup);
            b->setProperty("className", QStringLiteral("preset-popup-button"));
            b->setCheckable(true);
            b->setChecked(i == 2);
            popupLayout->addWidget(b);
            popupButtons << b;
        }
        routing->addWidget(popup);
        routing->addStretch();
        tabs->addTab(outputs, QStringLiteral("Outputs"));
        tabs->addTab(new QWidget, QStringLiteral("Inputs"));
        tabs->addTab(new QWidget, QStringLiteral("Routing"));

        auto* masterFrame = new QFrame(central);
        masterFrame->setObjectName(QStringLiteral("masterVolumeFrame"));
        auto* masterLayout = new QVBoxLayout(masterFrame);
        const Strip master = makeStrip(masterFrame, QStringLiteral("  Master  "), false);
        master.group->hide();
        for (const char* name : {"volumeSource", "spdifCable"}) {
            auto* combo = new QComboBox(master.box);
            combo->setObjectName(QLatin1String(name));
            combo->addItem(QLatin1String(name));
            master.box->layout()->addWidget(combo);
        }
        masterLayout->addWidget(master.box);
        middle->addWidget(masterFrame);

        graph = new FrequencyResponseGraph(central);
        graph->setScene(new QGraphicsScene(graph));
        graph->setMinimumHeight(120);
        column->addWidget(graph);

        menu = new QMenu(&window);
        QAction* dark = menu->addAction(QStringLiteral("   Dark mode"));
        dark->setCheckable(true);
        menu->addAction(QStringLiteral("   About"));

        window.setCentralWidget(central);
        window.resize(1000, 760);
    }

    static Strip makeStrip(QWidget* parent, const QString& title, bool checked)
    {
        Strip s;
        s.box = new QGroupBox(title, parent);
        s.box->setObjectName(QStringLiteral("ChannelControl"));
        auto* layout = new QVBoxLayout(s.box);
        s.group = new QCheckBox(QStringLiteral("Group"), s.box);
        s.group->setProperty("className", QStringLiteral("group-checkbox"));
        s.group->setChecked(checked);
        layout->addWidget(s.group);
        layout->addWidget(new VolumeSlider(s.box), 1);
        s.volume = new QDoubleSpinBox(s.box);
        s.volume->setObjectName(QStringLiteral("volume"));
        s.volume->setSuffix(QStringLiteral(" dB"));
        s.volume->setRange(-70, 0);
        layout->addWidget(s.volume);
        auto* row = new QHBoxLayout;
        layout->addLayout(row);
        auto button = [&](const char* name, QSize iconSize) {
            auto* b = new QPushButton(s.box);
            b->setObjectName(QLatin1String(name));
            b->setProperty("className", QStringLiteral("%1-button").arg(QLatin1String(name)));
            b->setCheckable(true);
            b->setChecked(checked);
            b->setIconSize(iconSize);
            row->addWidget(b);
            return b;
        };
        s.mute = button("mute", QSize(22, 20));
        s.invert = button("invert", QSize(31, 19));
        for (const QString& text : {QStringLiteral("Xover"), QStringLiteral("PEQ")}) {
            auto* b = new QPushButton(text, s.box);
            b->setObjectName(text.toLower());
            b->setProperty("className", text.toLower() + QStringLiteral("-button"));
            layout->addWidget(b);
        }
        return s;
    }
};

} // namespace

class TestThemes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initTestResources(); }

    void artworkHasItsSizes()
    {
        for (auto it = imageSizes().cbegin(); it != imageSizes().cend(); ++it) {
            const QImage image(it.key());
            QVERIFY2(!image.isNull(), qPrintable(it.key()));
            QCOMPARE(image.size(), it.value());
            // The high-DPI copy beside it, drawn from the same source at twice the size.
            QString twice = it.key();
            twice.insert(twice.lastIndexOf(QLatin1Char('.')), QStringLiteral("@2x"));
            const QImage large(twice);
            QVERIFY2(!large.isNull(), qPrintable(twice));
            QCOMPARE(large.size(), it.value() * 2);
        }
        // Nothing else is carried: every image in the resources is one of those above.
        const QStringList carried = QDir(QStringLiteral(":/images")).entryList(QDir::Files);
        QCOMPARE(carried.size(), imageSizes().size() * 2);
        for (const QString& name : carried) {
            const QString path = QStringLiteral(":/images/") + name;
            QVERIFY2(imageSizes().contains(QString(path).remove(QStringLiteral("@2x"))),
                     qPrintable(path));
        }
        // The settings button's own icon is empty: the theme draws the gear instead.
        const QImage zero = normalized(QImage(QStringLiteral(":/images/zero.png")));
        for (int y = 0; y < zero.height(); ++y) {
            for (int x = 0; x < zero.width(); ++x)
                QCOMPARE(qAlpha(zero.pixel(x, y)), 0);
        }
    }

    void sheetsNameOnlyExistingArtwork_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::newRow("light") << QStringLiteral(":/light.qss");
        QTest::newRow("dark") << QStringLiteral(":/blue.qss");
    }
    void sheetsNameOnlyExistingArtwork()
    {
        QFETCH(QString, sheet);
        const QString text = readSheet(sheet);
        QVERIFY(!text.isEmpty());
        static const QRegularExpression url(QStringLiteral("url\\(\"?([^)\"]*)\"?\\)"));
        int count = 0;
        for (auto it = url.globalMatch(text); it.hasNext(); ++count) {
            QString path = it.next().captured(1).trimmed();
            // A high-DPI copy is drawn at twice the size of the image it stands for.
            const int scale = path.contains(QLatin1String("@2x")) ? 2 : 1;
            const QString base = QString(path).remove(QStringLiteral("@2x"));
            QVERIFY2(imageSizes().contains(base), qPrintable(path + " is not known artwork"));
            QCOMPARE(QImage(path).size(), imageSizes().value(base) * scale);
        }
        // Settings image, check box pair, an arrow and the four mute/invert images (1x and
        // 2x) at least.
        QVERIFY(count >= 12);
    }

    void themesRenderTheirColours_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QColor>("window");
        QTest::addColumn<QColor>("graph");
        QTest::addColumn<QColor>("muteOn");
        QTest::addColumn<QColor>("muteOff");
        QTest::addColumn<QColor>("muteEdge");
        QTest::addColumn<QString>("unmutedIcon");
        QTest::addColumn<QColor>("gear");
        QTest::addColumn<QColor>("spinBox");
        QTest::addColumn<QColor>("frameBorder");
        QTest::addColumn<QColor>("frameInside");
        QTest::newRow("light") << QStringLiteral(":/light.qss") << QColor(Qt::white)
                               << QColor(Qt::white) << QColor("#254980") << QColor(Qt::white)
                               << QColor("#254980") << QStringLiteral(":/images/unmuted.png")
                               << QColor("#254980") << QColor(Qt::white) << QColor("#cccccc")
                               << QColor(Qt::white);
        QTest::newRow("dark") << QStringLiteral(":/blue.qss") << QColor("#0e1f3b")
                              << QColor(Qt::black) << QColor("#143c79") << QColor("#1b3d77")
                              << QColor("#ff0000") << QStringLiteral(":/images/unmuted_blue.png")
                              << QColor(Qt::white) << QColor("#1b2c4a") << QColor("#686868")
                              << QColor("#13233f");
    }
    void themesRenderTheirColours()
    {
        QFETCH(QString, sheet);
        QFETCH(QColor, window);
        QFETCH(QColor, graph);
        QFETCH(QColor, muteOn);
        QFETCH(QColor, muteOff);
        QFETCH(QColor, muteEdge);
        QFETCH(QString, unmutedIcon);
        QFETCH(QColor, gear);
        QFETCH(QColor, spinBox);
        QFETCH(QColor, frameBorder);
        QFETCH(QColor, frameInside);

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

        auto at = [&](QWidget* widget, QPoint p) {
            return shot.pixel(widget->mapTo(&w.window, p));
        };
        QVERIFY2(near(shot.pixel(2, 2), window), qPrintable(hex(shot.pixel(2, 2))));

        const QPoint frameEdge(0, w.tabsFrame->height() / 2);
        QVERIFY2(near(at(w.tabsFrame, frameEdge), frameBorder),
                 qPrintable(hex(at(w.tabsFrame, frameEdge))));
        const QPoint frameInner(3, w.tabsFrame->height() / 2);
        QVERIFY2(near(at(w.tabsFrame, frameInner), frameInside),
                 qPrintable(hex(at(w.tabsFrame, frameInner))));
        // The selected tab is underlined in the accent colour, two pixels deep.
        const QRect firstTab = w.tabs->tabBar()->tabRect(0);
        QVERIFY(countNear(w.tabs->tabBar()->grab(firstTab).toImage(), QColor("#254980")) >=
                firstTab.width() * 2 - 4);

        const QImage plot = w.graph->viewport()->grab().toImage();
        const QPoint middle = plot.rect().center();
        QVERIFY2(near(plot.pixel(middle), graph), qPrintable(hex(plot.pixel(middle))));

        // The mute button's background beside its icon, checked and not; read from the
        // window's picture, since a transparent button shows what lies behind it.
        const QPoint inside(4, w.strips[0].mute->height() / 2);
        QVERIFY2(near(at(w.strips[0].mute, inside), muteOn),
                 qPrintable(hex(at(w.strips[0].mute, inside))));
        QVERIFY2(near(at(w.strips[1].mute, inside), muteOff),
                 qPrintable(hex(at(w.strips[1].mute, inside))));
        // Dark: a red outline round the checked button; light: the fill reaches the edge.
        const QPoint edge(0, w.strips[0].mute->height() / 2);
        QVERIFY2(near(at(w.strips[0].mute, edge), muteEdge),
                 qPrintable(hex(at(w.strips[0].mute, edge))));
        const QImage on = w.strips[0].mute->grab().toImage();
        const QImage off = w.strips[1].mute->grab().toImage();

        // The icons come from the sheet alone and follow the check state.
        const QSize muteSize(22, 20);
        QCOMPARE(normalized(
                     w.strips[0].mute->icon().pixmap(muteSize, QIcon::Normal, QIcon::On).toImage()),
                 normalized(QImage(QStringLiteral(":/images/muted.png"))));
        QCOMPARE(
            normalized(
                w.strips[0].mute->icon().pixmap(muteSize, QIcon::Normal, QIcon::Off).toImage()),
            normalized(QImage(unmutedIcon)));
        const QSize invertSize(31, 19);
        QCOMPARE(
            normalized(
                w.strips[0].invert->icon().pixmap(invertSize, QIcon::Normal, QIcon::On).toImage()),
            normalized(QImage(QStringLiteral(":/images/inverted.png"))));
        QCOMPARE(
            normalized(
                w.strips[1].invert->icon().pixmap(invertSize, QIcon::Normal, QIcon::Off).toImage()),
            normalized(QImage(QStringLiteral(":/images/not_inverted.png"))));
        // High-DPI screens get the @2x drawing, not the small one scaled up.
        QCOMPARE(
            normalized(
                w.strips[0].mute->icon().pixmap(muteSize * 2, QIcon::Normal, QIcon::On).toImage()),
            normalized(QImage(QStringLiteral(":/images/muted@2x.png"))));
        // The muted icon's red cross is on screen when checked, absent when not.
        QVERIFY(countNear(on, QColor("#ff5b5b"), 40) > 5);
        QVERIFY(countNear(off, QColor("#ff5b5b"), 40) == 0);

        // The settings button shows the theme's gear.
        QVERIFY(countNear(w.settingsButton->grab().toImage(), gear, 8) > 60);

        // Check boxes draw the project's indicator images.
        const QColor tickBox("#2f66c8");
        QVERIFY(countNear(w.routingOn->grab().toImage(), tickBox, 6) > 100);
        QCOMPARE(countNear(w.routingOff->grab().toImage(), tickBox, 6), 0);

        const QImage spin = w.strips[0].volume->grab().toImage();
        QVERIFY2(near(spin.pixel(3, 3), spinBox), qPrintable(hex(spin.pixel(3, 3))));

        // The popup's current entry is bold: the same text leaves clearly more ink.
        const int bold = inkPixels(w.popupButtons[1]->grab().toImage());
        const int regular = inkPixels(w.popupButtons[2]->grab().toImage());
        QVERIFY2(bold > regular * 1.15,
                 qPrintable(QStringLiteral("%1 vs %2").arg(bold).arg(regular)));
    }

    void settingsMenuIsNavyOnlyInTheDarkTheme()
    {
        StandInWindow w;
        w.window.setStyleSheet(readSheet(QStringLiteral(":/blue.qss")));
        // A shown window is polished; only then does a new sheet reach its children.
        w.window.ensurePolished();
        w.menu->ensurePolished();
        w.menu->adjustSize();
        QImage menu = w.menu->grab().toImage();
        const QColor navy("#0e1f3b");
        QVERIFY(countNear(menu, navy) > menu.width() * menu.height() / 2);
        // The checkable entry's indicator is the unticked check box image.
        QVERIFY(countNear(menu, QColor(Qt::white), 0) > 100);

        w.window.setStyleSheet(readSheet(QStringLiteral(":/light.qss")));
        menu = w.menu->grab().toImage();
        QCOMPARE(countNear(menu, navy), 0);
    }
};

QTEST_MAIN(TestThemes)
#include "test_themes.moc"
