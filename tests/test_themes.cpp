#include "equalizerdialog.h"
#include "frequencyresponsegraph.h"
#include "graphcurves.h"
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
    return QString::fromUtf8(readFile(resource));
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

// The drawing an icon gives a screen of the given pixel ratio.
QImage iconImage(const QIcon& icon, QSize size, qreal ratio, QIcon::State state)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0) // Qt 6 sizes in device-independent pixels
    return icon.pixmap(size, ratio, QIcon::Normal, state).toImage();
#else
    return icon.pixmap(size * ratio, QIcon::Normal, state).toImage();
#endif
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

// What a sheet sets: selector -> property -> value, later rules winning.
using Rules = QHash<QString, QHash<QString, QString>>;

Rules parseSheet(QString sheet)
{
    static const QRegularExpression comment(QStringLiteral("/\\*.*?\\*/"),
                                            QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression rule(QStringLiteral("([^{}]+)\\{([^}]*)\\}"));
    sheet.remove(comment);
    Rules rules;
    for (auto it = rule.globalMatch(sheet); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        for (const QString& selector : match.captured(1).split(QLatin1Char(',')))
            for (const QString& declaration : match.captured(2).split(QLatin1Char(';'))) {
                const int colon = declaration.indexOf(QLatin1Char(':'));
                if (colon > 0)
                    rules[selector.simplified()][declaration.left(colon).trimmed()] =
                        declaration.mid(colon + 1).simplified();
            }
    }
    return rules;
}

// A property's value, taken from the selector without its last state (":hover") when the
// state's own rule does not set it, as the style does.
QString valueOf(const Rules& rules, QString selector, const QString& property)
{
    static const QRegularExpression lastState(QStringLiteral("(?<!:):[a-z-]+$"));
    for (;;) {
        const QString value = rules.value(selector).value(property);
        if (!value.isEmpty() || !selector.contains(lastState))
            return value;
        selector.remove(lastState);
    }
}

// The colour in a value ("white", "1px solid #0b1e3c", "rgba(53, 79, 120, 0.2)"); invalid
// when there is none.
QColor colourIn(const QString& value)
{
    static const QRegularExpression rgba(QStringLiteral("rgba\\(([^)]*)\\)"));
    const QRegularExpressionMatch match = rgba.match(value);
    if (match.hasMatch()) {
        const QStringList parts = match.captured(1).split(QLatin1Char(','));
        QColor colour(parts.value(0).toInt(), parts.value(1).toInt(), parts.value(2).toInt());
        colour.setAlphaF(parts.value(3).toDouble());
        return colour;
    }
    for (const QString& word : value.split(QLatin1Char(' ')))
        if (QColor::isValidColor(word))
            return QColor(word);
    return QColor();
}

// A see-through colour as it shows on `behind`.
QColor over(const QColor& colour, const QColor& behind)
{
    const double a = colour.alphaF();
    return QColor::fromRgbF(colour.redF() * a + behind.redF() * (1 - a),
                            colour.greenF() * a + behind.greenF() * (1 - a),
                            colour.blueF() * a + behind.blueF() * (1 - a));
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
        for (const QString sheet : {":/light.qss", ":/dark.qss"}) {
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
            window.setStyleSheet(readSheet(dark ? ":/dark.qss" : ":/light.qss"));
            window.show();
            const bool exposed = QTest::qWaitForWindowExposed(&window);
            qInstallMessageHandler(previous);
            QVERIFY(exposed);
            QVERIFY2(collectedWarnings.isEmpty(), qPrintable(collectedWarnings.join('\n')));

            // The selected tab is underlined two pixels deep, in the accent colour, or in a
            // lighter blue on the dark theme's navy.
            QVERIFY(countNear(tabs->tabBar(), dark ? "#4170bb" : "#254980") >=
                    tabs->tabBar()->width() * 2 - 4);

            // The icons come from the sheet alone, follow the check state, and high-DPI
            // screens get the @2x drawing rather than the small one scaled up.
            const QString unmutedImage =
                dark ? ":/images/unmuted_blue.png" : ":/images/unmuted.png";
            const QList<std::tuple<QAbstractButton*, QSize, qreal, QIcon::State, QString>> icons{
                {muted, {22, 20}, 1.0, QIcon::On, ":/images/muted.png"},
                {muted, {22, 20}, 1.0, QIcon::Off, unmutedImage},
                {muted, {22, 20}, 2.0, QIcon::On, ":/images/muted@2x.png"},
                {invert, {31, 19}, 1.0, QIcon::On, ":/images/inverted.png"}};
            for (const auto& [button, size, ratio, state, image] : icons)
                QCOMPARE(normalized(iconImage(button->icon(), size, ratio, state)),
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

    void coloursAreLegible_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::newRow("light") << ":/light.qss";
        QTest::newRow("dark") << ":/dark.qss";
    }

    // WCAG AA in each theme's own colours: text at 4.5:1 against what it is drawn on; the
    // fader handle against every part of its groove, the selection and focus highlights
    // and the equalizer's sum curve against their backgrounds at 3:1.
    void coloursAreLegible()
    {
        QFETCH(QString, sheet);
        const Rules rules = parseSheet(readSheet(sheet));
        const auto colour = [&rules](const QString& selector, const QString& property) {
            return colourIn(valueOf(rules, selector, property));
        };
        const QColor window = colour("QMainWindow", "background");
        QVERIFY(window.isValid());
        QStringList failures;
        // A see-through background shows the window, or `behind`, through it.
        const auto check = [&failures](const QString& what, const QColor& front, const QColor& back,
                                       double least) {
            const double ratio = contrastRatio(over(front, back), back);
            if (!front.isValid() || !back.isValid() || ratio < least)
                failures << QStringLiteral("%1: %2 on %3, %4:1")
                                .arg(what, front.name(QColor::HexArgb), back.name())
                                .arg(ratio, 0, 'f', 2);
        };
        const auto backgroundOf = [&](const QString& selector, const QColor& behind) {
            QColor back = colour(selector, "background");
            if (!back.isValid())
                back = colour(selector, "background-color");
            return back.isValid() ? over(back, behind) : behind;
        };

        // Every rule's text on its own background; current entries on their lists.
        static const QRegularExpression selected(QStringLiteral(":selected$"));
        for (auto it = rules.cbegin(); it != rules.cend(); ++it) {
            const QString& selector = it.key();
            const QColor text = colour(selector, "color");
            if (text.isValid() && (it->contains("background") || it->contains("color")))
                check(selector, text, backgroundOf(selector, window), 4.5);
            if (selector.contains(selected) && it->contains("background"))
                check(selector, backgroundOf(selector, window),
                      backgroundOf(QString(selector).remove(selected), window), 3.0);
            if (selector.contains(QStringLiteral(":focus")))
                for (const QString& property : it->keys())
                    if (property.startsWith("border") || property.startsWith("outline"))
                        check(selector, colour(selector, property), window, 3.0);
        }
        // Tabs and the line under the selected one, on the tab area's frame.
        const QColor tabArea = backgroundOf("QFrame#tabsFrame", window);
        check("unselected tab", colour("QTabBar::tab", "color"), tabArea, 4.5);
        check("selected tab", colour("QTabBar::tab:selected", "color"), tabArea, 4.5);
        check("selected tab's line", colour("QTabBar::tab:selected", "border-bottom"), tabArea,
              3.0);
        // The current entry of the combo boxes' lists, and of the preset boxes' own popup.
        for (const QString list :
             {"QDialog#CrossoverDialog QComboBox", "QDialog#EqualizerDialog QComboBox",
              "QComboBox#volumeSource", "QComboBox#spdifCable"})
            check(list + "'s current entry", backgroundOf(list + "::item:selected", window),
                  backgroundOf(list + "::item", window), 3.0);
        const QString popupButton =
            QStringLiteral("QPushButton[className=\"preset-popup-button\"]");
        const QColor popup = backgroundOf("QFrame[className=\"preset-popup-frame\"]", window);
        check("preset popup's current entry", backgroundOf(popupButton + ":hover", popup), popup,
              3.0);

        // The handle stands out where either its fill or its outline meets the groove.
        for (const QString orientation : {":vertical", ":horizontal"})
            for (const QString state : {"", ":hover"}) {
                const QString handle = "QSlider::handle" + orientation + state;
                const QColor fill = colour(handle, "background");
                const QColor outline = colour(handle, "border");
                for (const QString part : {"groove", "add-page", "sub-page"}) {
                    const QColor back = backgroundOf("QSlider::" + part + orientation, window);
                    check(handle + " on " + part,
                          contrastRatio(fill, back) >= contrastRatio(outline, back) ? fill
                                                                                    : outline,
                          back, 3.0);
                }
            }

        // The equalizer's curves: each band seen, the sum clearly.
        EqualizerDialog equalizer;
        const QColor graph = backgroundOf(".FrequencyResponseGraph", window);
        int sumSegments = 0;
        for (QGraphicsLineItem* segment :
             graphcurves::lines(*equalizer.findChild<FrequencyResponseGraph*>(), true)) {
            const QColor pen = segment->pen().color();
            if (pen.alphaF() < 0.4)
                failures << QStringLiteral("band curve %1 at %2 % opaque")
                                .arg(pen.name())
                                .arg(qRound(pen.alphaF() * 100));
            if (pen.alpha() == 255) {
                ++sumSegments;
                check("sum curve", pen, graph, 3.0);
            }
        }
        QVERIFY(sumSegments > 300);
        failures.removeDuplicates();
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
    }
};

QTEST_MAIN(TestThemes)
#include "test_themes.moc"
