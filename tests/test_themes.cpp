#include "testsupport.h"

#include <QCheckBox>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QtTest>

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

int countNear(QWidget* widget, QColor colour, int tolerance = 3)
{
    const QImage image = widget->grab().toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += qAbs(qRed(p) - colour.red()) <= tolerance &&
                 qAbs(qGreen(p) - colour.green()) <= tolerance &&
                 qAbs(qBlue(p) - colour.blue()) <= tolerance;
        }
    return n;
}

// Stylesheet parse errors only show up as warnings: collect them while a sheet is applied.
QStringList collectedWarnings;
void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg && !message.contains("propagateSizeHints"))
        collectedWarnings << message;
}

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
            QCOMPARE(QImage(QString(it.key()).replace(".png", "@2x.png")).size(), it.value() * 2);
        }
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

    // What each sheet draws itself, on stand-ins for the main window's parts with their
    // object names and "className"s; the colours of the real window are checked on its
    // screenshots.
    void sheetsDrawTheirImages()
    {
        QMainWindow window;
        auto* central = new QWidget;
        auto* column = new QVBoxLayout(central);
        auto* settingsButton = new QPushButton(QIcon(QStringLiteral(":/images/zero.png")), "");
        settingsButton->setObjectName(QStringLiteral("settingsButton"));
        column->addWidget(settingsButton, 0, Qt::AlignRight);
        auto* tabs = new QTabWidget;
        column->addWidget(tabs, 1);
        tabs->addTab(new QWidget, QStringLiteral("Outputs"));
        auto* strip = new QVBoxLayout(tabs->widget(0));
        auto add = [strip](QAbstractButton* button, const char* className, bool checked) {
            button->setProperty("className", QLatin1String(className));
            button->setCheckable(true);
            button->setChecked(checked);
            button->setIconSize(QSize(22, 20));
            strip->addWidget(button);
            return button;
        };
        QAbstractButton* muted = add(new QPushButton, "mute-button", true);
        QAbstractButton* unmuted = add(new QPushButton, "mute-button", false);
        QAbstractButton* invert = add(new QPushButton, "invert-button", true);
        QAbstractButton* ticked = add(new QCheckBox, "routing-checkbox", true);
        QAbstractButton* unticked = add(new QCheckBox, "routing-checkbox", false);
        QMenu menu(&window);
        menu.addAction(QStringLiteral("   Dark mode"))->setCheckable(true);
        menu.addAction(QStringLiteral("   About"));
        window.setCentralWidget(central);
        window.resize(600, 700);

        for (const bool dark : {false, true}) {
            collectedWarnings.clear();
            const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
            window.setStyleSheet(readSheet(dark ? ":/blue.qss" : ":/light.qss"));
            window.show();
            const bool exposed = QTest::qWaitForWindowExposed(&window);
            qInstallMessageHandler(previous);
            QVERIFY(exposed);
            QVERIFY2(collectedWarnings.isEmpty(), qPrintable(collectedWarnings.join('\n')));

            // The selected tab is underlined in the accent colour, two pixels deep.
            QVERIFY(countNear(tabs->tabBar(), "#254980") >= tabs->tabBar()->width() * 2 - 4);

            // The icons come from the sheet alone, follow the check state, and high-DPI
            // screens get the @2x drawing rather than the small one scaled up.
            const QString unmutedImage =
                dark ? ":/images/unmuted_blue.png" : ":/images/unmuted.png";
            const QList<std::tuple<QAbstractButton*, QSize, QIcon::State, QString>> icons{
                {muted, {22, 20}, QIcon::On, ":/images/muted.png"},
                {muted, {22, 20}, QIcon::Off, unmutedImage},
                {muted, {44, 40}, QIcon::On, ":/images/muted@2x.png"},
                {invert, {31, 19}, QIcon::On, ":/images/inverted.png"}};
            for (const auto& [button, size, state, image] : icons)
                QCOMPARE(normalized(button->icon().pixmap(size, QIcon::Normal, state).toImage()),
                         normalized(QImage(image)));
            // On screen: the muted icon's red cross when checked only, the gear drawn by the
            // theme over the empty icon, and the project's check box images.
            QVERIFY(countNear(muted, "#ff5b5b", 40) > 5);
            QCOMPARE(countNear(unmuted, "#ff5b5b", 40), 0);
            QVERIFY(countNear(settingsButton, dark ? Qt::white : QColor("#254980"), 8) > 60);
            QVERIFY(countNear(ticked, "#2f66c8", 6) > 100);
            QCOMPARE(countNear(unticked, "#2f66c8", 6), 0);

            // The settings menu is navy in the dark theme only, its check box entry drawn
            // with the unticked image (white).
            menu.ensurePolished();
            menu.adjustSize();
            QCOMPARE(countNear(&menu, "#0e1f3b") > menu.width() * menu.height() / 2, dark);
            QVERIFY(!dark || countNear(&menu, Qt::white, 0) > 100);
        }
    }
};

QTEST_MAIN(TestThemes)
#include "test_themes.moc"
