#include "channelcontrol.h"
#include "channelcopy.h"
#include "crossovercontrol.h"
#include "customcheckbox.h"
#include "customcombobox.h"
#include "customdoublespinbox.h"
#include "devicenodes.h"
#include "doublespinboxnode.h"
#include "edithistory.h"
#include "inputnode.h"
#include "labelledgroupbox.h"
#include "labelnode.h"
#include "linkexchange.h"
#include "mainwindow.h"
#include "outputnode.h"
#include "paramhub.h"
#include "paramtree.h"
#include "paramtreeview.h"
#include "peqdesign.h"
#include "peqnode.h"
#include "peqsnode.h"
#include "steadycachestyle.h"
#include "testsupport.h"
#include "volumeslider.h"
#include "wirevalue.h"
#include "xoverdesign.h"
#include "xovernode.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <csignal>
#include <sys/resource.h>

namespace {

// Closes the next message box and records its text.
void answerMessageBox(QString* text)
{
    answerNextDialog(
        [text](QWidget* dialog) {
            *text = static_cast<QMessageBox*>(dialog)->text();
            static_cast<QMessageBox*>(dialog)->accept();
        },
        5000, "QMessageBox");
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(data) == data.size());
}

// The remembered folder: set to a marker first, it shows whether a dialog changed it.
QString presetsDir(const QString& marker = QString())
{
    QSettings settings(QStringLiteral("Veltrane"), QStringLiteral("Tonvise"));
    if (!marker.isEmpty())
        settings.setValue(QStringLiteral("lastPresetsDir"), marker);
    return settings.value(QStringLiteral("lastPresetsDir")).toString();
}

QString accessibleName(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

// What a screen reader can tell of a strip: every control it can reach (what Tab stops at,
// and the level meter), by name, in the strip's order.
QList<QWidget*> controlsOf(ChannelControl* strip)
{
    QList<QWidget*> controls;
    for (QWidget* w : strip->findChildren<QWidget*>()) {
        const bool tabStop = (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy();
        if ((tabStop || w->inherits("VolumeMeter")) && w->isVisibleTo(strip))
            controls << w;
    }
    return controls;
}

// What focusing a control changed must be a frame around it: closed (the middle half of
// each side drawn: corners may be rounded), standing out from what surrounds it by 3:1 or
// more, and not a fill such as selected text alone (its colour across at most half of its
// middle lines). The images show the control with a margin of its window around it.
QString focusFrameFault(const QImage& before, const QImage& after)
{
    const auto changed = [&](QPoint p) { return before.pixel(p) != after.pixel(p); };
    QRect box;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if (changed({x, y}))
                box |= QRect(x, y, 1, 1);
    if (box.width() < 8 || box.height() < 8)
        return QStringLiteral("no frame");
    const auto share = [&](QPoint from, QPoint step, int count) {
        int n = 0;
        for (int i = 0; i < count; ++i)
            n += changed(from + i * step);
        return double(n) / count;
    };
    const int w = box.width(), h = box.height();
    struct Side
    {
        QPoint from, step;
        int length;
        QPoint outwards;
    };
    const Side sides[] = {{box.topLeft() + QPoint(w / 4, 0), {1, 0}, w / 2, {0, -1}},
                          {box.bottomLeft() + QPoint(w / 4, 0), {1, 0}, w / 2, {0, 1}},
                          {box.topLeft() + QPoint(0, h / 4), {0, 1}, h / 2, {-1, 0}},
                          {box.topRight() + QPoint(0, h / 4), {0, 1}, h / 2, {1, 0}}};
    for (const Side& side : sides) {
        if (share(side.from, side.step, side.length) < 0.9)
            return QStringLiteral("open frame");
        const QPoint middle = side.from + side.length / 2 * side.step;
        const double ratio =
            contrastRatio(after.pixel(middle), after.pixel(middle + side.outwards));
        if (ratio < 3.0)
            return QStringLiteral("%1:1 against its surroundings").arg(ratio, 0, 'f', 1);
    }
    const QRgb frame = after.pixel(sides[0].from);
    const auto filled = [&](QPoint from, QPoint step, int count) {
        int n = 0;
        for (int i = 0; i < count; ++i)
            n += after.pixel(from + i * step) == frame;
        return double(n) / count;
    };
    if (filled({box.left(), box.center().y()}, {1, 0}, w) > 0.5 ||
        filled({box.center().x(), box.top()}, {0, 1}, h) > 0.5)
        return QStringLiteral("filled, not framed");
    return QString();
}

// The pixmaps a window's icons are drawn from. Qt's pixmap cache keeps every drawing of every
// icon, so a dialog that draws new ones on each opening leaves them all behind.
QList<qint64> iconDrawings(QWidget* window)
{
    QList<qint64> keys;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (!button->icon().isNull())
            keys << button->icon().pixmap(16).cacheKey();
    for (QLabel* label : window->findChildren<QLabel*>())
        if (!label->pixmap(Qt::ReturnByValue).isNull())
            keys << label->pixmap(Qt::ReturnByValue).cacheKey();
    for (QComboBox* combo : window->findChildren<QComboBox*>())
        for (int i = 0; i < combo->count(); ++i)
            if (!combo->itemIcon(i).isNull())
                keys << combo->itemIcon(i).pixmap(16).cacheKey();
    for (QHeaderView* header : window->findChildren<QHeaderView*>()) {
        const QVariant spacer =
            header->model()->headerData(0, header->orientation(), Qt::DecorationRole);
        if (spacer.isValid())
            keys << qvariant_cast<QPixmap>(spacer).cacheKey();
    }
    return keys;
}

} // namespace

class TestMainWindowPanels : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        initTestResources();
        QApplication::setStyle(new SteadyCacheStyle(QStringLiteral("Fusion"))); // as main() does
    }

    void init()
    {
        w.reset();
        freshProcessor();
        prefs = std::make_unique<PrivatePreferences>();
        w = std::make_unique<MainWindow>();
        w->show();
    }

    void routingTableAndLabels()
    {
        auto* routing = w->findChild<QGridLayout*>(QStringLiteral("routingTable"));
        int boxes = 0;
        QStringList headers;
        for (int i = 0; i < routing->count(); ++i) {
            int row, column, rowSpan, columnSpan;
            routing->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            if (auto* box = qobject_cast<CustomCheckBox*>(routing->itemAt(i)->widget())) {
                boxes += row >= 1 && column >= 1 &&
                         box->property("className").toString() == "routing-checkbox";
            } else if (row == 0) {
                headers << qobject_cast<QLabel*>(routing->itemAt(i)->widget())->text();
            }
        }
        QCOMPARE(boxes, 16);
        QCOMPARE(headers, QStringList({"Input 1", "Input 2"}));

        // Renaming output 3 through its title: 20 typed characters keep 16.
        ChannelControl* third = stripTitled(QStringLiteral("  Output 3  "));
        answerNextDialog([](QWidget* dialog) {
            auto* input = qobject_cast<QInputDialog*>(dialog);
            QCOMPARE(input->windowTitle(), QStringLiteral("Output 3"));
            QLineEdit* editor = input->findChild<QLineEdit*>();
            editor->clear();
            QTest::keyClicks(editor, QStringLiteral("Front left tweeter"));
            input->accept();
        });
        QTest::mousePress(third, Qt::LeftButton, Qt::NoModifier, QPoint(20, 40));
        QTRY_COMPARE(third->title(), QStringLiteral("  Front left tweet  "));
        int renamed = 0;
        for (QLabel* label : w->findChildren<QLabel*>())
            renamed += label->text() == QStringLiteral("Front left tweet");
        QCOMPARE(renamed, 2); // routing table and subwoofer table

        // With the label full, what is typed at the start or in the middle stays where it was
        // typed, the cursor behind it, and the end gives way.
        QStringList typed;
        answerNextDialog([&typed](QWidget* dialog) {
            auto* input = qobject_cast<QInputDialog*>(dialog);
            QLineEdit* editor = input->findChild<QLineEdit*>();
            QTest::keyClick(editor, Qt::Key_Home);
            QTest::keyClicks(editor, QStringLiteral("AB"));
            typed << QStringLiteral("%1|%2").arg(editor->text().left(editor->cursorPosition()),
                                                 editor->text().mid(editor->cursorPosition()));
            for (int i = 0; i < 4; ++i)
                QTest::keyClick(editor, Qt::Key_Right);
            QTest::keyClicks(editor, QStringLiteral("-"));
            typed << QStringLiteral("%1|%2").arg(editor->text().left(editor->cursorPosition()),
                                                 editor->text().mid(editor->cursorPosition()));
            input->accept();
        });
        QTest::mousePress(third, Qt::LeftButton, Qt::NoModifier, QPoint(20, 40));
        QTRY_COMPARE(typed, QStringList({"AB|Front left twe", "ABFron-|t left tw"}));
        QTRY_COMPARE(third->title(), QStringLiteral("  ABFron-t left tw  "));
    }

    // Reboot and bootloader start only on a deliberate Yes: Return, like Escape, answers No.
    void serviceCommandsAreNotConfirmedByEnter()
    {
        TickBlocker ticks;
        w->installEventFilter(&ticks);
        QTRY_VERIFY(w->session()->isIdle());
        emu.clearLogs();
        QMenu* service = nullptr;
        for (QMenu* menu : w->findChildren<QMenu*>())
            if (menu->title() == QStringLiteral("   Service"))
                service = menu;
        QStringList asked;
        for (QAction* command : service->actions()) {
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                answerNextDialog(
                    [&asked, key](QWidget* dialog) {
                        auto* box = static_cast<QMessageBox*>(dialog);
                        // Where a user's key goes: the focused button.
                        QWidget* focused = box->focusWidget();
                        const bool onNo = box->defaultButton() == box->button(QMessageBox::No) &&
                                          focused == box->button(QMessageBox::No);
                        asked << box->text() + (onNo ? "" : " (not on No)");
                        QTest::keyClick(focused ? focused : box, key);
                    },
                    5000, "QMessageBox");
                command->trigger();
            }
        }
        QCOMPARE(asked, QStringList({"Reboot device?", "Reboot device?", "Reboot device?",
                                     "Run bootloader?", "Run bootloader?", "Run bootloader?"}));
        QTest::qWait(50);
        QVERIFY(w->session()->isIdle());
        QCOMPARE(emu.requestLog(), QList<QByteArray>());
        QCOMPARE(emu.rebootCount() + emu.bootloaderCount(), 0);
    }

    // Each strip's controls say which channel and what they do, distinct within the strip;
    // the fader and the meter read in dB. A renamed output renames its controls, and its
    // routing and subwoofer boxes.
    void accessibleNamesAndValues_data()
    {
        QTest::addColumn<QString>("strip");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("output") << "  Output 3  "
                                << QStringList{"Output 3 group",        "Output 3 link L/R",
                                               "Output 3 volume fader", "Output 3 level meter",
                                               "Output 3 volume",       "Output 3 mute",
                                               "Output 3 invert",       "Output 3 delay",
                                               "Output 3 crossover",    "Output 3 equalizer"}
                                << QStringList{"Output 3 volume fader: -12.5 dB (-12.5)",
                                               "Output 3 level meter: -18.0 dB (-18)",
                                               "Output 3 volume: -12.5 (-12.5)",
                                               "Output 3 delay: 1.25 (1.25)"};
        QTest::newRow("input") << "  Input 2  "
                               << QStringList{"Input 2 volume fader", "Input 2 level meter",
                                              "Input 2 volume", "Input 2 mute", "Input 2 equalizer"}
                               << QStringList{"Input 2 volume fader: -12.5 dB (-12.5)",
                                              "Input 2 level meter: -18.0 dB (-18)",
                                              "Input 2 volume: -12.5 (-12.5)"};
        QTest::newRow("master") << "  Master  "
                                << QStringList{"Master volume fader", "Master volume",
                                               "Master S/PDIF cable"}
                                << QStringList{"Master volume fader: -12.5 dB (-12.5)",
                                               "Master volume: -12.5 (-12.5)"};
    }
    void accessibleNamesAndValues()
    {
        QFETCH(QString, strip);
        QFETCH(QStringList, names);
        QFETCH(QStringList, values);
        ChannelControl* control = stripTitled(strip);
        auto* fader = control->findChild<VolumeSlider*>(QStringLiteral("volumeSlider"));
        fader->setValueSilently(-12.5);
        fader->setLevelSilently(-18.04);
        control->findChild<CustomDoubleSpinBox*>(QStringLiteral("volume"))->setValueSilently(-12.5);
        control->findChild<CustomDoubleSpinBox*>(QStringLiteral("delay"))->setValueSilently(1.25);

        QStringList readNames, readValues;
        for (QWidget* c : controlsOf(control)) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
            readNames << a->text(QAccessible::Name);
            if (QAccessibleValueInterface* value = a->valueInterface())
                readValues << QStringLiteral("%1: %2 (%3)")
                                  .arg(readNames.last(), a->text(QAccessible::Value))
                                  .arg(value->currentValue().toDouble());
        }
        QCOMPARE(readNames, names);
        QCOMPARE(readValues, values);

        if (strip != QLatin1String("  Output 3  "))
            return;
        w->getParamTree()->getOutputNode(2)->setLabel(QStringLiteral("Tweeter L"));
        readNames.clear();
        for (QWidget* c : controlsOf(control))
            readNames << accessibleName(c);
        QCOMPARE(readNames, names.replaceInStrings("Output 3", "Tweeter L"));
        QStringList boxes;
        for (auto* box : w->findChildren<CustomCheckBox*>())
            if (accessibleName(box).startsWith(QLatin1String("Tweeter L")))
                boxes << accessibleName(box);
        boxes.sort();
        QCOMPARE(boxes,
                 QStringList({"Tweeter L from Input 1", "Tweeter L from Input 2", "Tweeter L group",
                              "Tweeter L link L/R", "Tweeter L subwoofer channel"}));
    }

    // Tab walks strip by strip, top to bottom, and reaches the master strip (right of the
    // tabs) after the last output, then the top bar again.
    void tabOrder_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QStringList>("visits");
        QTest::newRow("output strip")
            << 0 << "Output 2 group"
            << QStringList{"Output 2 link L/R",  "Output 2 volume fader", "Output 2 volume",
                           "Output 2 mute",      "Output 2 invert",       "Output 2 delay",
                           "Output 2 crossover", "Output 2 equalizer",    "Output 3 group"};
        QTest::newRow("last output to master")
            << 0 << "Output 8 equalizer"
            << QStringList{"Master volume fader", "Master volume", "Master S/PDIF cable", "Preset"};
        QTest::newRow("input strip") << 1 << "Input 1 volume fader"
                                     << QStringList{"Input 1 volume", "Input 1 mute",
                                                    "Input 1 equalizer", "Input 2 volume fader"};
    }
    void tabOrder()
    {
        QFETCH(int, tab);
        QFETCH(QString, from);
        QFETCH(QStringList, visits);
        activate();
        w->findChild<QTabWidget*>(QStringLiteral("tabs"))->setCurrentIndex(tab);
        named(from)->setFocus(Qt::TabFocusReason);
        QStringList visited;
        while (visited.size() < visits.size()) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << accessibleName(QApplication::focusWidget());
        }
        QCOMPARE(visited, visits);
    }

    // Arrow keys move a fader by half a decibel, Page keys by three, onto round values. Each
    // press counts from where the fader stands: the device moved output 1 from -30 to -6 dB
    // since the mouse last passed over it, and grouped output 2 moves by the press alone.
    void faderFromTheKeyboard_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<double>("volume");
        QTest::newRow("Up") << QList<int>{Qt::Key_Up} << -5.5;
        QTest::newRow("Down") << QList<int>{Qt::Key_Down} << -6.5;
        QTest::newRow("PageUp") << QList<int>{Qt::Key_PageUp} << -3.0;
        QTest::newRow("PageDown") << QList<int>{Qt::Key_PageDown} << -9.0;
        QTest::newRow("Up Up PageUp") << QList<int>{Qt::Key_Up, Qt::Key_Up, Qt::Key_PageUp} << -3.0;
        QTest::newRow("End") << QList<int>{Qt::Key_End} << 3.0;
    }
    void faderFromTheKeyboard()
    {
        QFETCH(QList<int>, keys);
        QFETCH(double, volume);
        activate();
        for (const char* strip : {"  Output 1  ", "  Output 2  "})
            stripTitled(strip)
                ->findChild<CustomCheckBox*>(QStringLiteral("group"))
                ->setChecked(true);
        setVolume(1, -10.0);
        setVolume(0, -30.0);
        QWidget* fader = named("Output 1 volume fader");
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(fader, &enter);
        setVolume(0, -6.0);

        fader->setFocus(Qt::TabFocusReason);
        for (int key : keys)
            QTest::keyClick(fader, Qt::Key(key));
        QCOMPARE(volumeNode(0)->value(), volume); // what the device is sent
        QCOMPARE(volumeNode(1)->value(), -10.0 + (volume + 6.0));
    }

    // The label editor, the strip's dialogs and the top bar's popups open and close from the
    // keyboard; a dialog opens on the fields of the strip it was opened from.
    void dialogsFromTheKeyboard()
    {
        activate();
        QString editorTitle;
        answerNextDialog([&editorTitle](QWidget* dialog) {
            editorTitle = dialog->windowTitle();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        named("Output 4 volume")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
        QCOMPARE(editorTitle, QStringLiteral("Output 4"));
        QVERIFY(!QApplication::activeModalWidget());

        auto* input = w->findChild<QComboBox*>(QStringLiteral("inputSourceValue"));
        input->setFocus(Qt::TabFocusReason);
        const int before = input->currentIndex();
        QTest::keyClick(input, Qt::Key_Space);
        QTRY_COMPARE(QApplication::focusWidget()->property("itemIndex").toInt(), before);
        QTest::keyClick(QApplication::focusWidget(), before == 0 ? Qt::Key_Down : Qt::Key_Up);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(input->currentIndex(), before == 0 ? 1 : before - 1);
        QVERIFY(!QApplication::activePopupWidget());

        const QList<std::tuple<QString, QString, QString>> dialogs{
            {"Output 4 crossover", "Output 4 highpass type", "Output 4 highpass frequency"},
            {"Output 4 equalizer", "Analog Output 4 EQ 1 type", "Analog Output 4 EQ 1 frequency"}};
        for (const auto& [button, field, next] : dialogs) {
            activate();
            named(button)->setFocus(Qt::TabFocusReason);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            QWidget* opened = named(field)->window();
            QVERIFY(opened->isVisible());
            QCOMPARE(accessibleName(opened->focusWidget()), field);
            QTest::keyClick(opened->focusWidget(), Qt::Key_Tab);
            QCOMPARE(accessibleName(opened->focusWidget()), next);
            QTest::keyClick(opened->focusWidget(), Qt::Key_Escape);
            QVERIFY(!opened->isVisible());
        }
    }

    // A focused control shows a frame in both themes: the controls of a strip, the top bar,
    // the tabs and a filter dialog's fields.
    void focusFrames_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }
    void focusFrames()
    {
        QFETCH(bool, dark);
        dark ? w->reloadDarkStyle() : w->reloadLightStyle();
        w->resize(1600, 1000); // room for every strip's minimum height
        QList<QWidget*> controls = controlsOf(stripTitled(QStringLiteral("  Output 2  ")));
        for (const char* name : {"Preset", "Save", "Settings", "Outputs", "Master S/PDIF cable"})
            controls << named(name);
        w->getParamTree()->getOutputNode(0)->requestCrossover();
        for (const char* name :
             {"Output 1 highpass type", "Output 1 highpass frequency", "Output 1 show response"})
            controls << named(name);
        QStringList faults;
        for (QWidget* control : qAsConst(controls)) {
            if (control->inherits("VolumeMeter"))
                continue;
            QWidget* window = control->window();
            QApplication::setActiveWindow(window);
            QVERIFY(QTest::qWaitForWindowActive(window));
            const QRect area(control->mapTo(window, QPoint(-4, -4)), control->size() + QSize(8, 8));
            if (QWidget* focused = QApplication::focusWidget())
                focused->clearFocus(); // its frame may reach into the margin
            const QImage before = window->grab(area).toImage();
            control->setFocus(Qt::TabFocusReason);
            const QString fault = focusFrameFault(before, window->grab(area).toImage());
            if (!fault.isEmpty())
                faults << accessibleName(control) + ": " + fault;
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    }

    // Eight labels as wide as labels get keep the window and the crossover dialog within a
    // 1366 x 768 screen, in both themes: titles are cut short, with the whole label as
    // their tool tip; a label that fits is shown whole.
    void longLabelsKeepTheWindowOnALaptopScreen()
    {
        const QString widest(16, QLatin1Char('W'));
        for (int i = 0; i < 8; ++i)
            w->getParamTree()->getOutputNode(i)->setLabel(i == 7 ? QStringLiteral("Sub") : widest);
        // Opened after the labels came, as when the device names its outputs first.
        auto* crossover = w->findChild<QDialog*>(QStringLiteral("CrossoverDialog"));
        auto* equalizer = w->findChild<QDialog*>(QStringLiteral("EqualizerDialog"));
        w->getParamTree()->getOutputNode(0)->requestCrossover();
        w->getParamTree()->getOutputNode(0)->requestEqualizer();
        for (const bool dark : {false, true}) {
            if (dark)
                w->reloadDarkStyle();
            // The output strips and the crossover dialog's outputs: elided, and whole.
            const auto titles = [&] {
                QPair<int, int> counts;
                for (LabelledGroupBox* box : w->findChildren<LabelledGroupBox*>()) {
                    const QString title = box->title();
                    if (box->toolTip() == widest) {
                        counts.first += box->minimumSizeHint().width() <= box->sizeHint().width() &&
                                        title.startsWith(QStringLiteral("  W")) &&
                                        title.endsWith(QStringLiteral("\u2026  ")) &&
                                        title.size() < widest.size() + 4;
                    } else {
                        counts.second +=
                            title == QStringLiteral("  Sub  ") && box->toolTip().isEmpty();
                    }
                }
                return counts;
            };
            // The windows are laid out anew through the event loop.
            QTRY_COMPARE(titles(), qMakePair(14, 2));
            for (QWidget* window : QList<QWidget*>{w.get(), crossover, equalizer})
                QVERIFY2(window->minimumSizeHint().width() <= 1280,
                         qPrintable(window->objectName()));
        }
    }

    // Both filter dialogs close from their own Close button as well as with Escape. Every
    // dialog, message box and input box shows the window's font, not the system's.
    void dialogsCloseAndShareTheWindowsFont()
    {
        OutputNode* output = w->getParamTree()->getOutputNode(1);
        QStringList fonts;
        const auto fontOf = [](QWidget* widget) {
            return QStringLiteral("%1 %2")
                .arg(widget->font().family())
                .arg(widget->font().pointSize());
        };
        for (const char* name : {"CrossoverDialog", "EqualizerDialog"}) {
            auto* dialog = w->findChild<QDialog*>(QLatin1String(name));
            for (const bool escape : {false, true}) {
                if (dialog->objectName() == QLatin1String("CrossoverDialog"))
                    output->requestCrossover();
                else
                    output->requestEqualizer();
                QVERIFY(dialog->isVisible());
                QPushButton* close =
                    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Close);
                QVERIFY(close);
                if (escape)
                    QTest::keyClick(dialog, Qt::Key_Escape);
                else
                    close->click();
                QVERIFY(!dialog->isVisible());
            }
            fonts << fontOf(dialog->findChild<QComboBox*>());
        }
        w->onActionAboutTriggered(false);
        fonts << fontOf(
            w->findChild<QDialog*>(QStringLiteral("AboutDialog"))->findChild<QLabel*>());

        // A message box, the label editor's input box and a file dialog: their text.
        const auto record = [&fonts, fontOf](QWidget* dialog) {
            fonts << fontOf(dialog->findChild<QLabel*>());
            static_cast<QDialog*>(dialog)->reject();
        };
        answerNextDialog(record, 5000, "QMessageBox");
        w->confirm(QStringLiteral("Reboot device?"));
        answerNextDialog(record, 5000, "QInputDialog");
        QTest::mousePress(stripTitled(QStringLiteral("  Output 1  ")), Qt::LeftButton,
                          Qt::NoModifier, QPoint(20, 20));
        answerNextDialog(record, 5000, "QFileDialog");
        click("saveButton");
        QCOMPARE(fonts, QVector<QString>(6, QStringLiteral("Roboto 10")).toList());
    }

    void stripButtonsOpenTheDialogs()
    {
        auto* equalizer = w->findChild<QDialog*>(QStringLiteral("EqualizerDialog"));
        // A PEQ button whose node cannot be read opens nothing.
        Q_EMIT hub()->equalizerRequested(nullptr);
        QVERIFY(!equalizer->isVisible());
        w->getParamTree()->getOutputNode(2)->requestCrossover();
        QVERIFY(w->findChild<QDialog*>(QStringLiteral("CrossoverDialog"))->isVisible());
        w->getParamTree()->getOutputNode(2)->requestEqualizer();
        QVERIFY(equalizer->isVisible());

        // Labels reach the dialogs, and a dialog's edit reaches the write queue.
        w->getParamTree()->getOutputNode(2)->setLabel(QStringLiteral("Mid L"));
        QVERIFY(equalizer->windowTitle().contains(QStringLiteral("Mid L")));
        const auto boxes = w->findChild<QDialog*>("CrossoverDialog")->findChildren<QGroupBox*>();
        QVERIFY(std::any_of(boxes.begin(), boxes.end(),
                            [](QGroupBox* box) { return box->title() == "  Mid L  "; }));
        // Their fields are named after the label too.
        QCOMPARE(named("Mid L highpass frequency")->window(),
                 w->findChild<QDialog*>("CrossoverDialog"));
        QCOMPARE(named("Mid L EQ 2 frequency")->window(), equalizer);
        w->getParamTree()->getInputNode(0)->requestEqualizer();
        QCOMPARE(named("Digital Input 1 EQ 2 frequency")->window(), equalizer);
        hub()->clearQueueOfUpdates();
        auto* gain = equalizer->findChildren<QDoubleSpinBox*>().last();
        gain->setFocus();
        gain->selectAll();
        QTest::keyClicks(gain, QStringLiteral("3"));
        QTest::keyClick(gain, Qt::Key_Return);
        int queued = -1;
        QVERIFY(hub()->dequeueParamIndex(queued));
        QCOMPARE(w->getParamTree()->getParamNode(ParamTree::All, queued)->typeTag,
                 QStringLiteral("peq"));
    }

    // Grouped faders in the window, against the processor: two grouped outputs at -10 dB,
    // the first one's box clicked, Shift+Tab to its fader (which no mouse has entered), Up.
    // Both go to -9.9 dB, the ungrouped third stays. Once the third, at +3 dB, is grouped
    // too, the next Up is refused: no fader, box or processor value moves.
    void groupedFaderKeysReachTheProcessor()
    {
        QList<ChannelControl*> strips;
        for (int i = 0; i < 3; ++i) {
            emu.setValue(volumeNode(i)->paramIndex, writeFloatLE(i == 2 ? 3.0f : -10.0f));
            strips << stripTitled(QStringLiteral("  Output %1  ").arg(i + 1));
        }
        const auto processor = [&] {
            QList<float> values;
            for (int i = 0; i < 3; ++i)
                values << readFloatLE(emu.value(volumeNode(i)->paramIndex));
            return values;
        };
        const auto shown = [&] {
            QList<double> values;
            for (ChannelControl* strip : strips)
                values << strip->findChild<QDoubleSpinBox*>(QStringLiteral("volume"))->value()
                       << strip->findChild<QSlider*>(QStringLiteral("slider"))->value();
            return values;
        };
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isConnected() && w->session()->isIdle(), 10000);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        for (int i : {0, 1})
            strips[i]->findChild<QCheckBox*>(QStringLiteral("group"))->click();

        auto* box = strips[0]->findChild<QDoubleSpinBox*>(QStringLiteral("volume"));
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_Backtab);
        QWidget* fader = strips[0]->findChild<QSlider*>(QStringLiteral("slider"));
        QCOMPARE(QApplication::focusWidget(), fader);
        QTest::keyClick(fader, Qt::Key_Up);
        QTRY_COMPARE(processor(), (QList<float>{-9.5f, -9.5f, 3.0f}));

        strips[2]->findChild<QCheckBox*>(QStringLiteral("group"))->click();
        QTRY_VERIFY(w->session()->isIdle());
        emu.clearLogs();
        const QList<double> before = shown();
        QTest::keyClick(fader, Qt::Key_Up);
        QCOMPARE(shown(), before);
        QTest::qWait(50);
        QVERIFY(requestsOf(0x02).isEmpty());
        QCOMPARE(processor(), (QList<float>{-9.5f, -9.5f, 3.0f}));
    }

    // A fader drag of 50 key presses is one step, named after the channel's label. Undoing it
    // writes the old value with the very request a direct edit sends, and the window shows it;
    // redo (both keys) writes the new one again. A grouped move of three strips is one step
    // for all three, and Read All leaves nothing to undo.
    void undoAndRedoReachTheProcessor()
    {
        ParamTree* tree = w->getParamTree();
        EditHistory* history = w->history();
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isConnected() && w->session()->isIdle(), 10000);
        activate();
        tree->getOutputNode(0)->labelNode()->setText(QStringLiteral("Tweeter L"),
                                                     ChangeSource::Device);
        volumeNode(0)->setValue(-40.0, ChangeSource::User);
        QTRY_VERIFY(w->session()->isIdle());
        const QList<QByteArray> direct = requestsOf(0x02);
        QCOMPARE(direct.size(), 1);
        history->clear();
        emu.clearLogs();

        ChannelControl* strip = stripTitled(QStringLiteral("  Tweeter L  "));
        QVERIFY(strip);
        QWidget* fader = strip->findChild<QSlider*>(QStringLiteral("slider"));
        auto* box = strip->findChild<QDoubleSpinBox*>(QStringLiteral("volume"));
        fader->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 50; ++i)
            QTest::keyClick(fader, Qt::Key_Up);
        QTRY_COMPARE(readFloatLE(emu.value(volumeNode(0)->paramIndex)), -15.0f);
        QTRY_VERIFY(w->session()->isIdle());
        QCOMPARE(history->undoCount(), 1);
        QCOMPARE(menuEntry("Undo")->text(), QStringLiteral("   Undo Tweeter L volume"));
        QVERIFY(menuEntry("Undo")->toolTip().contains(QStringLiteral("read again")));
        QVERIFY(!menuEntry("Redo")->isEnabled());

        emu.clearLogs();
        QTest::keyClick(fader, Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(readFloatLE(emu.value(volumeNode(0)->paramIndex)), -40.0f);
        QTRY_VERIFY(w->session()->isIdle());
        QCOMPARE(requestsOf(0x02), direct);
        QCOMPARE(box->value(), -40.0);
        QCOMPARE(menuEntry("Redo")->text(), QStringLiteral("   Redo Tweeter L volume"));
        QVERIFY(!menuEntry("Undo")->isEnabled());
        for (const QKeySequence& redo :
             {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}) {
            QTest::keySequence(fader, redo);
            QTRY_COMPARE(readFloatLE(emu.value(volumeNode(0)->paramIndex)), -15.0f);
            QCOMPARE(box->value(), -15.0);
            if (redo[0] != (Qt::CTRL | Qt::Key_Y))
                QTest::keyClick(fader, Qt::Key_Z, Qt::ControlModifier);
        }

        for (int i = 0; i < 3; ++i) {
            setVolume(i, -20.0);
            stripTitled(i == 0 ? QStringLiteral("  Tweeter L  ")
                               : QStringLiteral("  Output %1  ").arg(i + 1))
                ->findChild<QCheckBox*>(QStringLiteral("group"))
                ->click();
        }
        QTRY_VERIFY(w->session()->isIdle());
        history->clear();
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(fader, Qt::Key_Up);
        for (int i = 0; i < 3; ++i)
            QTRY_COMPARE(readFloatLE(emu.value(volumeNode(i)->paramIndex)), -18.0f);
        QCOMPARE(history->undoCount(), 1);
        QCOMPARE(menuEntry("Undo")->text(), QStringLiteral("   Undo volume of 3 channels"));
        QTest::keyClick(fader, Qt::Key_Z, Qt::ControlModifier);
        for (int i = 0; i < 3; ++i)
            QTRY_COMPARE(readFloatLE(emu.value(volumeNode(i)->paramIndex)), -20.0f);
        QVERIFY(!history->canUndo());

        QTest::keyClick(fader, Qt::Key_Up);
        QTRY_VERIFY(history->canUndo());
        QTRY_VERIFY(w->session()->isIdle());
        w->session()->readAll();
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isIdle(), 20000);
        QVERIFY(!history->canUndo() && !history->canRedo());
        QCOMPARE(menuEntry("Undo")->text(), QStringLiteral("   Undo"));
    }

    // A loaded file is one step, to be undone once it is written: undoing it writes back
    // every setting it changed.
    void undoingALoadRestoresEverySetting()
    {
        ParamTree* tree = w->getParamTree();
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isConnected() && w->session()->isIdle(), 10000);
        const QString path = dir.filePath(QStringLiteral("undo.json"));
        writeFile(path, savedWith({{"Analog Output 2", "Volume", -33.3},
                                   {"Analog Output 2", "Delay", 2.5},
                                   {tree->getInputNode(0)->name, "Mute", true}}));
        QMap<int, QByteArray> before;
        for (Node* node : *tree->subsetToList(ParamTree::All))
            before.insert(node->paramIndex, emu.value(node->paramIndex));

        answerFileDialog(path);
        click("loadButton");
        QVERIFY(!menuEntry("Undo")->isEnabled()); // not while the file is being written
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isIdle(), 20000);
        QVERIFY(menuEntry("Undo")->isEnabled());
        QCOMPARE(readFloatLE(emu.value(volumeNode(1)->paramIndex)), -33.3f);
        QCOMPARE(w->history()->undoCount(), 1);
        QCOMPARE(menuEntry("Undo")->text(), QStringLiteral("   Undo loading undo.json"));

        emu.clearLogs();
        w->history()->undo();
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isIdle(), 20000);
        QCOMPARE(requestsOf(0x02).size(), 3);
        for (Node* node : *tree->subsetToList(ParamTree::All)) {
            if (!node->readOnly)
                QCOMPARE(emu.value(node->paramIndex).toHex(),
                         before.value(node->paramIndex).toHex());
        }
    }

    // Output 1's equalizer and crossover onto output 2, chosen in its strip's menu (right-click
    // on output 1's title, Shift+F10 on output 2): only the band and the side that differ are
    // written; volume and label stay; one undo puts output 2 back. Then output 1's crossover
    // onto output 3 from the crossover dialog.
    void pasteSettingsBetweenStrips()
    {
        ParamTree* tree = w->getParamTree();
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isConnected() && w->session()->isIdle(), 10000);
        activate();
        OutputNode* one = tree->getOutputNode(0);
        OutputNode* two = tree->getOutputNode(1);
        const PEQParams band{PEQType::PEAK, 1000.0, 6.0, 2.0};
        one->getPEQSNode()->setPEQParamsAndCoeffs(2, band, calcPEQCoeffs(band),
                                                  ChangeSource::Device);
        const XoverParams highPass{XoverType::BW_12, true, 100.0};
        one->getXoverNode()->setXoverParamsAndCoeffs(true, highPass, calcXoverCoeffs(highPass),
                                                     ChangeSource::Device);
        setVolume(0, -7.0);
        two->labelNode()->setText(QStringLiteral("Mid R"), ChangeSource::Device);
        const QList<Node*> pasted = channelPartParams(two, EqualizerPart | CrossoverPart);
        QMap<int, QByteArray> before;
        for (Node* node : *tree->subsetToList(ParamTree::All))
            before.insert(node->paramIndex, emu.value(node->paramIndex));

        const auto stripMenuEntry = [this](const QString& text) {
            auto* menu = w->findChild<QMenu*>(QStringLiteral("stripMenu"));
            QAction* found = nullptr;
            for (QAction* action : menu ? menu->actions() : QList<QAction*>())
                if (action->text() == text)
                    found = action;
            return found;
        };
        ChannelControl* first = stripTitled(QStringLiteral("  Output 1  "));
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(30, 10),
                                     first->mapToGlobal(QPoint(30, 10)));
        QApplication::sendEvent(first, &rightClick);
        QAction* copy = stripMenuEntry(QStringLiteral("Copy settings"));
        QVERIFY(copy);
        QVERIFY(!stripMenuEntry(QStringLiteral("Paste settings to \u2026"))->isEnabled());
        copy->trigger();
        w->findChild<QMenu*>(QStringLiteral("stripMenu"))->close();
        QTRY_VERIFY(!w->findChild<QMenu*>(QStringLiteral("stripMenu")));
        activate(); // the popup took the activation with it

        emu.clearLogs();
        ChannelControl* second = stripTitled(QStringLiteral("  Mid R  "));
        QWidget* fader = second->findChild<QSlider*>(QStringLiteral("slider"));
        fader->setFocus(Qt::TabFocusReason);
        QTest::keyClick(fader, Qt::Key_F10, Qt::ShiftModifier);
        QAction* paste = stripMenuEntry(QStringLiteral("Paste settings to \u2026"));
        QVERIFY(paste && paste->isEnabled());
        bool offered = false;
        answerNextDialog([&offered](QWidget* dialog) {
            const QList<QCheckBox*> boxes = dialog->findChildren<QCheckBox*>();
            // Every part ticked; of the channels, only the one the menu was opened on.
            offered =
                boxes.size() == 4 + 7 &&
                std::all_of(boxes.begin(), boxes.end(), [](QCheckBox* box) {
                    const QString name = box->objectName();
                    return box->isChecked() == (!name.startsWith("pasteTo") || name == "pasteTo2");
                });
            for (const char* name : {"pasteLevels", "pasteRouting"})
                dialog->findChild<QCheckBox*>(name)->setChecked(false);
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        paste->trigger();
        QVERIFY(offered);
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isIdle(), 20000);

        QCOMPARE(requestsOf(0x02).size(), 2); // the band and the high-pass side
        const QList<Node*> source = channelPartParams(one, EqualizerPart | CrossoverPart);
        for (int i = 0; i < pasted.size(); ++i)
            QCOMPARE(emu.value(pasted[i]->paramIndex).toHex(), source[i]->serialize().toHex());
        QCOMPARE(emu.value(volumeNode(1)->paramIndex), before.value(volumeNode(1)->paramIndex));
        QCOMPARE(two->getLabel(), QStringLiteral("Mid R"));
        QCOMPARE(menuEntry("Undo")->text(), QStringLiteral("   Undo paste from Output 1"));

        w->history()->undo();
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isIdle(), 20000);
        for (Node* node : pasted)
            QCOMPARE(emu.value(node->paramIndex).toHex(), before.value(node->paramIndex).toHex());

        // "Copy crossover to…" in the crossover dialog offers the crossover alone.
        w->onXoverButtonClicked(0);
        auto* dialog = w->findChild<QDialog*>(QStringLiteral("CrossoverDialog"));
        QStringList parts;
        answerNextDialog([&parts](QWidget* paste) {
            for (QCheckBox* box : paste->findChildren<QCheckBox*>())
                if (!box->objectName().startsWith("pasteTo"))
                    parts << box->objectName();
            paste->findChild<QCheckBox*>("pasteTo2")->setChecked(false);
            paste->findChild<QCheckBox*>("pasteTo3")->setChecked(true);
            paste->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        dialog->findChild<QPushButton*>(QStringLiteral("copyCrossover"))->click();
        QCOMPARE(parts, QStringList{"pasteCrossover"});
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isIdle(), 20000);
        const QList<Node*> third = channelPartParams(tree->getOutputNode(2), CrossoverPart);
        const QList<Node*> firstXover = channelPartParams(one, CrossoverPart);
        for (int i = 0; i < third.size(); ++i)
            QCOMPARE(emu.value(third[i]->paramIndex).toHex(), firstXover[i]->serialize().toHex());
        QCOMPARE(emu.value(pasted.last()->paramIndex), before.value(pasted.last()->paramIndex));

        // "Copy equalizer to…" in the equalizer dialog, on an input: the bands alone, offered
        // to the other input only.
        InputNode* in1 = tree->getInputNode(0);
        InputNode* in2 = tree->getInputNode(1);
        in1->getPEQSNode()->setPEQParamsAndCoeffs(4, band, calcPEQCoeffs(band),
                                                  ChangeSource::Device);
        in1->getPEQSNode()->requestEditor();
        QStringList offers;
        answerNextDialog([&offers](QWidget* paste) {
            for (QCheckBox* box : paste->findChildren<QCheckBox*>())
                offers << box->objectName() + (box->isChecked() ? "+" : "-");
            paste->findChild<QCheckBox*>("pasteTo2")->setChecked(true);
            paste->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        emu.clearLogs();
        w->findChild<QDialog*>(QStringLiteral("EqualizerDialog"))
            ->findChild<QPushButton*>(QStringLiteral("copyEqualizer"))
            ->click();
        QCOMPARE(offers, (QStringList{"pasteEqualizer+", "pasteTo2-"}));
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isIdle(), 20000);
        QCOMPARE(requestsOf(0x02).size(), 1);
        QCOMPARE(emu.value(in2->getPEQSNode()->getPEQParamIndex(4)).toHex(),
                 in1->getPEQSNode()->getPEQNode(4).value()->serialize().toHex());
        QCOMPARE(menuEntry("Undo")->text(), QStringLiteral("   Undo paste from Input 1"));
    }

    // "Link L/R" on output 1 links it with output 2, shown on both strips. A band gain set in
    // output 1's equalizer is written to both (exactly those writes), and one undo takes back
    // both; so is a high-pass set on output 2 in the crossover dialog. The volume stays with
    // its strip. Unlinking changes nothing. Each preset keeps its own links.
    void linkedPairMirrorsFilters()
    {
        ParamTree* tree = w->getParamTree();
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isConnected() && w->session()->isIdle(), 10000);
        activate();
        OutputNode* one = tree->getOutputNode(0);
        OutputNode* two = tree->getOutputNode(1);
        const auto linkBox = [this](int output) {
            return stripTitled(QStringLiteral("  Output %1  ").arg(output))
                ->findChild<QCheckBox*>(QStringLiteral("link"));
        };
        QVERIFY(!linkBox(1)->isChecked() && !linkBox(2)->isChecked());
        static_cast<QCheckBox*>(named(QStringLiteral("Output 1 link L/R")))->click();
        QVERIFY(linkBox(2)->isChecked() && !linkBox(3)->isChecked());

        const int band1 = one->getPEQSNode()->getPEQParamIndex(1);
        const int band2 = two->getPEQSNode()->getPEQParamIndex(1);
        const QByteArray bandBefore = emu.value(band2);
        w->history()->clear();
        emu.clearLogs();
        one->requestEqualizer();
        auto* gain = static_cast<QDoubleSpinBox*>(named(QStringLiteral("Output 1 EQ 2 gain")));
        gain->setValue(4.5);
        Q_EMIT gain->editingFinished();
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isIdle(), 20000);
        QCOMPARE(requestsOf(0x02).size(), 2);
        QCOMPARE(two->getPEQSNode()->getPEQParams(1).gain, 4.5);
        QCOMPARE(emu.value(band2).toHex(), emu.value(band1).toHex());
        QCOMPARE(w->history()->undoCount(), 1);
        QCOMPARE(menuEntry("Undo")->text(), QStringLiteral("   Undo EQ2 of 2 channels"));
        w->history()->undo();
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isIdle(), 20000);
        QCOMPARE(emu.value(band1).toHex(), bandBefore.toHex());
        QCOMPARE(emu.value(band2).toHex(), bandBefore.toHex());

        emu.clearLogs();
        w->onXoverButtonClicked(1);
        auto* crossover = w->findChild<QDialog*>(QStringLiteral("CrossoverDialog"));
        auto* highpass = crossover->findChildren<CrossoverControl*>().at(1)->findChild<QComboBox*>(
            QStringLiteral("highpassType"));
        highpass->setCurrentIndex(highpass->currentIndex() == 1 ? 2 : 1);
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isIdle(), 20000);
        QCOMPARE(requestsOf(0x02).size(), 2);
        const int side1 = one->getXoverNode()->getParamIndex(true);
        QCOMPARE(emu.value(side1).toHex(),
                 emu.value(two->getXoverNode()->getParamIndex(true)).toHex());
        // The dialog shows output 1's mirrored side too.
        QCOMPARE(crossover->findChildren<CrossoverControl*>()
                     .at(0)
                     ->findChild<QComboBox*>(QStringLiteral("highpassType"))
                     ->currentIndex(),
                 highpass->currentIndex());

        emu.clearLogs();
        volumeNode(0)->setValue(-12.0, ChangeSource::User);
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isIdle(), 20000);
        QCOMPARE(requestsOf(0x02).size(), 1);
        QVERIFY(volumeNode(1)->value() != -12.0);

        linkBox(2)->click();
        QVERIFY(!linkBox(1)->isChecked() && !linkBox(2)->isChecked());
        gain->setValue(-3.0);
        Q_EMIT gain->editingFinished();
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isIdle(), 20000);
        QCOMPARE(requestsOf(0x02).size(), 2); // the volume, then output 1's band alone
        QCOMPARE(emu.value(band2).toHex(), bandBefore.toHex());

        linkBox(1)->click();
        auto* preset = w->findChild<QComboBox*>(QStringLiteral("presetValue"));
        for (const int chosen : {1, 0}) {
            preset->setCurrentIndex(chosen);
            QTRY_VERIFY_WITH_TIMEOUT(w->session()->isIdle(), 20000);
            QCOMPARE(linkBox(1)->isChecked(), chosen == 0);
            QCOMPARE(linkBox(2)->isChecked(), chosen == 0);
        }
        // A preset the processor switched to shows that preset's links too; of stored pairs
        // a hand edit spoilt, only the valid ones link.
        QSettings(QStringLiteral("Veltrane"), QStringLiteral("Tonvise"))
            .setValue(QStringLiteral("links/preset3"), QStringList{"2", "junk", "9", "-1"});
        tree->getPresetNode()->setCurrentIndex(1, ChangeSource::Device);
        QVERIFY(!linkBox(1)->isChecked());
        tree->getPresetNode()->setCurrentIndex(2, ChangeSource::Device);
        QVERIFY(!linkBox(1)->isChecked() && linkBox(3)->isChecked() && linkBox(4)->isChecked());
        QVERIFY(!linkBox(5)->isChecked() && !linkBox(7)->isChecked());
    }

    // Save adds ".json" when missing and keeps ".JSON"; a write that fails midway (the file
    // size limit) must not cost the old file.
    void saveThroughTheButton()
    {
        answerFileDialog(dir.filePath(QStringLiteral("plain")));
        click("saveButton");
        QJsonDocument expected;
        w->getParamTree()->constructJsonDocument(expected);
        QCOMPARE(QJsonDocument::fromJson(readFile(dir.filePath("plain.json"))), expected);
        QCOMPARE(presetsDir(), dir.path());
        answerFileDialog(dir.filePath(QStringLiteral("upper.JSON")));
        click("saveButton");
        QVERIFY(QFile::exists(dir.filePath("upper.JSON")));
        QVERIFY(!QFile::exists(dir.filePath("upper.JSON.json")));

        const QString path = dir.filePath(QStringLiteral("kept.json"));
        writeFile(path, "{\"previous\": true}\n");
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit small{4096, saved.rlim_max};
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        QString message;
        answerFileDialog(path);
        // First the file dialog's own question whether to replace the file, then our error.
        answerNextDialog(
            [&message](QWidget* dialog) {
                static_cast<QMessageBox*>(dialog)->button(QMessageBox::Yes)->click();
                answerMessageBox(&message);
            },
            5000, "QMessageBox");
        click("saveButton");
        setrlimit(RLIMIT_FSIZE, &saved);
        QTRY_COMPARE(message, QStringLiteral("Error: can't save settings."));
        QCOMPARE(readFile(path), QByteArray("{\"previous\": true}\n"));
    }

    // The window shows a loaded file at once, then writes the settings one request each
    // with the tree view disabled until the last. Members a saved file never holds are
    // refused by name: the window keeps showing what the device holds.
    void loadAppliesAndWritesWhatTheFileSets()
    {
        ParamTree* tree = w->getParamTree();
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isConnected() && w->session()->isIdle(), 10000);
        const QString path = dir.filePath(QStringLiteral("load.json"));
        const QByteArray saved = savedWith({{"Analog Output 2", "Volume", -33.3}});
        writeFile(path, saved);

        emu.clearLogs();
        const int volumeIndex = 37 + 16 + 2;
        auto* volume =
            static_cast<DoubleSpinBoxNode*>(tree->getParamNode(ParamTree::All, volumeIndex));
        answerFileDialog(path);
        click("loadButton");
        QCOMPARE(volume->value(), -33.3);
        QVERIFY(!w->findChild<ParamTreeView*>()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isIdle(), 20000);
        QVERIFY(w->findChild<ParamTreeView*>()->isEnabled());

        // Their order and paths are Write All's, checked with the device session.
        QCOMPARE(requestsOf(0x02).size(), tree->subsetToList(ParamTree::Settings)->size());
        QCOMPARE(emu.value(volumeIndex).toHex(), volume->serialize().toHex());
        QCOMPARE(readFile(path), saved); // a load leaves the file alone

        // Every member that Write All does not send, set away from the device's value, and
        // one delay: only the delay is written, to the preset the device is in.
        const QJsonObject unwritten{
            {"Preset", "3"},
            {"Preset Source", "Switch"},
            {"Master Volume", -20},
            {"Volume Source", "Pot"},
            {"Subwoofer Volume", 5},
            {"Subwoofer Mode", "Parametric"},
            {"SPDIF Cable", "Coaxial"},
            {"Input Source", "USB"},
            {"Auto Input", true},
            {"RC Screen", "Rotated"},
            {"Analog Output 3", QJsonObject{{"Subwoofer Channel", true}, {"Delay", 2.5}}}};
        writeFile(path, QJsonDocument(unwritten).toJson());
        const QString message = loadWithMessage(path);
        QStringList lines = message.split(QLatin1Char('\n'));
        QCOMPARE(lines.takeFirst(), QStringLiteral("Error: can't load settings."));
        std::sort(lines.begin(), lines.end());
        QCOMPARE(lines, QStringList({"Analog Output 3/Subwoofer Channel", "Auto Input",
                                     "Input Source", "Master Volume", "Preset", "Preset Source",
                                     "RC Screen", "SPDIF Cable", "Subwoofer Mode",
                                     "Subwoofer Volume", "Volume Source"}));
        const int delayIndex = 37 + 16 * 2 + 13;
        QCOMPARE(requestsOf(0x02), QList<QByteArray>({hex("02 03 820308 00002040")})); // 2.5 ms
        QCOMPARE(emu.value(0), hex("00")); // still the first preset
        for (Node* node : *tree->subsetToList(ParamTree::All)) {
            if (!node->readOnly)
                QCOMPARE(node->serialize().toHex(), emu.value(node->paramIndex).toHex());
        }
        QCOMPARE(emu.value(delayIndex), hex("00002040"));
    }

    // What the device holds beyond the editors' limits saves and loads back as it was: an EQ
    // band at +15 dB, a filter index none of the options stands for, and a high-pass slot
    // whose flag byte said low-pass (the slot designs a high-pass all the same). A member a
    // hand edit put out of range is named, and only it is not sent.
    void savedFileLoadsBackAsTheDeviceHeldIt()
    {
        const int sabreFilter = 17, hpIndex = 43, eqIndex = 61, volumeIndex = 55;
        const PEQParams loud{PEQType::PEAK, 1000.0, 15.0, 1.0};
        peq_repr_t band{};
        loud.toRepr(band);
        calcPEQCoeffs(loud).toRepr(band);
        const QByteArray loudBand(reinterpret_cast<const char*>(&band), sizeof band);
        // BW_12, flag 0, 100 Hz, unity sections.
        const QByteArray unity = hex("00000000 00000000 00000001 00000000 00000000");
        emu.setValue(hpIndex, hex("02 00 0000c842") + unity.repeated(4));
        emu.setValue(eqIndex, loudBand);
        emu.setValue(sabreFilter, hex("09"));
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isConnected() && w->session()->isIdle(), 10000);
        auto* filter = w->findChild<CustomComboBox*>(QStringLiteral("sabreFilterSettingsValue"));
        QCOMPARE(filter->currentText(), QStringLiteral("Unknown (9)"));

        const QString path = dir.filePath(QStringLiteral("held.json"));
        answerFileDialog(path);
        click("saveButton");
        // Back to the factory values, but the high-pass slot's flag byte still says low-pass.
        for (int i : {sabreFilter, eqIndex})
            emu.setValue(i, firmwareParamInitialValue(firmwareParams[i]));
        emu.setValue(hpIndex, hex("00 00 00002041") + unity.repeated(4));
        w->on_actionRead_All_triggered();
        QTRY_VERIFY(w->session()->isIdle() && filter->currentIndex() == 0);
        QJsonObject root = QJsonDocument::fromJson(readFile(path)).object();
        QJsonObject output = root.value("Analog Output 2").toObject();
        output.insert("Volume", 50);
        root.insert("Analog Output 2", output);
        writeFile(path, QJsonDocument(root).toJson());

        const QString message = loadWithMessage(path);
        QCOMPARE(message, QStringLiteral("Error: can't load settings.\nAnalog Output 2/Volume"));
        QCOMPARE(emu.value(eqIndex).toHex(), loudBand.toHex());
        QCOMPARE(emu.value(sabreFilter), hex("09"));
        QCOMPARE(filter->currentText(), QStringLiteral("Unknown (9)"));
        const XoverParams highPass{XoverType::BW_12, true, 100.0};
        xover_repr_t hp{};
        highPass.toRepr(hp);
        calcXoverCoeffs(highPass).toRepr(hp);
        QCOMPARE(emu.value(hpIndex).left(2), hex("02 01"));
        QCOMPARE(emu.value(hpIndex), QByteArray(reinterpret_cast<const char*>(&hp), sizeof hp));
        QCOMPARE(emu.value(volumeIndex), hex("00000000"));
        QCOMPARE(requestsOf(0x02).size(),
                 w->getParamTree()->subsetToList(ParamTree::Settings)->size() - 1);
        for (const QByteArray& frame : requestsOf(0x02))
            QVERIFY(!frame.startsWith(hex("02 03 820207")));
    }

    void badFileOrCancelledDialogChangesNothing()
    {
        const QString path = dir.filePath(QStringLiteral("broken.json"));
        writeFile(path, "{\"Analog Output 1\": {\"Volume\": -5,");
        QCOMPARE(loadWithMessage(path), QStringLiteral("Error: can't load settings."));

        // Cancelling either dialog changes nothing, the remembered folder included.
        for (const char* button : {"saveButton", "loadButton"}) {
            presetsDir(QStringLiteral("/nowhere"));
            answerFileDialog(QString());
            click(button);
            QCOMPARE(presetsDir(), QStringLiteral("/nowhere"));
        }
        QTest::qWait(50);
        QVERIFY(requestsOf(0x02).isEmpty());
    }

    // Each dialog, popup and input box leaves nothing behind once closed: no window, and no
    // new icon drawings in the pixmap cache (a file dialog used to leave some 20 KiB there).
    void closingLeavesNothingBehind()
    {
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        auto* preset = w->findChild<QComboBox*>(QStringLiteral("presetValue"));
        auto* crossover = w->findChild<QDialog*>(QStringLiteral("CrossoverDialog"));
        auto* highpass = crossover->findChild<QComboBox*>(QStringLiteral("highpassType"));
        ChannelControl* firstOutput = stripTitled(QStringLiteral("  Output 1  "));
        const struct
        {
            const char* what;
            const char* dialogClass; // the modal dialog it opens, cancelled when it shows
            std::function<void()> openAndClose;
        } cases[] = {
            {"save dialog", "QFileDialog", [&] { click("saveButton"); }},
            {"load dialog", "QFileDialog", [&] { click("loadButton"); }},
            {"plugin dialog", "QFileDialog", [&] { menuEntry("Write Plugin")->trigger(); }},
            {"confirmation", "QMessageBox", [&] { menuEntry("Reboot")->trigger(); }},
            {"label editor", "QInputDialog", [&] { Q_EMIT firstOutput->titlePressed(); }},
            {"preset list", nullptr, // closed by choosing the preset already chosen
             [&] {
                 QTest::mouseClick(preset, Qt::LeftButton);
                 for (QPushButton* button : w->findChildren<QPushButton*>())
                     if (button->isVisible() && button->isChecked() &&
                         button->property("itemIndex").isValid())
                         return button->click();
                 QFAIL("no popup");
             }},
            {"crossover dialog and type list", nullptr,
             [&] {
                 w->getParamTree()->getOutputNode(0)->requestCrossover();
                 highpass->showPopup();
                 QTest::qWait(20);
                 highpass->hidePopup();
                 crossover->reject();
             }},
            {"settings menu", nullptr,
             [&] {
                 click("settingsButton");
                 w->findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly)->close();
             }},
        };
        const auto windows = [] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return QApplication::topLevelWidgets().size();
        };
        const int before = windows();
        int answered = 0;
        QList<qint64> drawn; // by the last dialog answered
        for (const auto& c : cases) {
            QList<qint64> firstDrawn;
            for (int i = 0; i < 4; ++i) {
                const int answeredBefore = answered;
                if (c.dialogClass) {
                    answerNextDialog(
                        [&](QWidget* dialog) {
                            ++answered;
                            drawn = iconDrawings(dialog);
                            static_cast<QDialog*>(dialog)->reject();
                        },
                        5000, c.dialogClass);
                }
                c.openAndClose();
                QVERIFY2(answered == answeredBefore + (c.dialogClass ? 1 : 0), c.what);
                QVERIFY2(windows() == before, c.what);
                if (i == 0)
                    firstDrawn = drawn; // the first opening may fill caches
                QVERIFY2(drawn == firstDrawn, c.what);
            }
        }
    }

private:
    ParamHub* hub() { return w->getParamTree()->hub; }
    void activate()
    {
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    // The visible control a screen reader knows by `name`; the test stops without one.
    QWidget* named(const QString& name)
    {
        for (QWidget* field : w->findChildren<QWidget*>())
            if (field->focusPolicy() != Qt::NoFocus && field->isVisibleTo(field->window()) &&
                accessibleName(field) == name)
                return field;
        qFatal("no control named %s", qPrintable(name));
    }
    DoubleSpinBoxNode* volumeNode(int output)
    {
        for (Node* node : w->getParamTree()->getOutputNode(output)->children)
            if (node->name == QLatin1String("Volume"))
                return static_cast<DoubleSpinBoxNode*>(node);
        return nullptr;
    }
    void setVolume(int output, double db)
    {
        volumeNode(output)->setValue(db, ChangeSource::Device);
    }
    ChannelControl* stripTitled(const QString& title)
    {
        for (ChannelControl* strip : w->findChildren<ChannelControl*>())
            if (strip->title() == title)
                return strip;
        return nullptr;
    }
    void click(const char* button) { w->findChild<QPushButton*>(button)->click(); }
    // The settings menu's entry whose text begins with `word` (after its indent).
    QAction* menuEntry(const QString& word)
    {
        for (QAction* action : w->findChildren<QAction*>())
            if (action->text().trimmed().startsWith(word))
                return action;
        qFatal("no menu entry %s", qPrintable(word));
    }
    struct Member
    {
        QString channel, name;
        QJsonValue value;
    };
    // What Save writes of the window's settings, with these members of channels changed.
    QByteArray savedWith(const QList<Member>& changes)
    {
        QJsonDocument document;
        w->getParamTree()->constructJsonDocument(document);
        QJsonObject root = document.object();
        for (const Member& change : changes) {
            QJsonObject channel = root.value(change.channel).toObject();
            if (!channel.contains(change.name))
                qFatal("no member %s", qPrintable(change.name));
            channel.insert(change.name, change.value);
            root.insert(change.channel, channel);
        }
        return QJsonDocument(root).toJson();
    }
    // Loads the file through the Load button, from a clean request log; the message the window
    // shows, once it is idle again (marked when it did not settle in time).
    QString loadWithMessage(const QString& path)
    {
        emu.clearLogs();
        QString message;
        answerFileDialog(path);
        answerMessageBox(&message);
        click("loadButton");
        const bool settled =
            QTest::qWaitFor([&] { return w->session()->isIdle() && !message.isEmpty(); });
        return settled ? message : QStringLiteral("<not settled> ") + message;
    }
    EmulatedProcessor& emu = EmulatedProcessor::instance();
    std::unique_ptr<PrivatePreferences> prefs;
    std::unique_ptr<MainWindow> w;
    QTemporaryDir dir;
};

QTEST_MAIN(TestMainWindowPanels)
#include "test_mainwindowpanels.moc"
