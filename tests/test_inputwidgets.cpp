#include "aboutdialog.h"
#include "customcheckbox.h"
#include "customcombobox.h"
#include "customdoublespinbox.h"
#include "customslider.h"
#include "piecewiselinear.h"
#include "steadycachestyle.h"
#include "volumemeter.h"
#include "volumeslider.h"

#include <QCommonStyle>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyleOption>
#include <QtTest>
#include <cmath>
#include <limits>

namespace {

// A spin box's or slider's reports in order: "ask" and "announce" carry the delta (with and
// without the consent flag), "value" the finished value.
struct EditLog
{
    QStringList log;
    bool refuse = false;

    template <typename W> explicit EditLog(W* w)
    {
        QObject::connect(w, &W::editingFinishedWithDelta, [this](double delta, bool* ok) {
            log << QStringLiteral("%1 %2").arg(ok ? "ask" : "announce").arg(delta);
            if (ok && refuse)
                *ok = false;
        });
        QObject::connect(w, &W::editingFinishedWithValue,
                         [this](double v) { log << QStringLiteral("value %1").arg(v); });
    }
};

void typeAndReturn(CustomDoubleSpinBox* sb, const QString& text)
{
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(sb, &focus);
    sb->selectAll();
    QTest::keyClicks(sb, text);
    QTest::keyClick(sb, Qt::Key_Return);
}

const double notANumber = std::numeric_limits<double>::quiet_NaN();

QRgb pixelAt(VolumeMeter& meter, int y)
{
    return meter.grab().toImage().pixel(8, y);
}

} // namespace

// The input widgets, the volume slider and meter, and the About dialog.
class TestInputWidgets : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void silentSettersEmitNothingAndKeepBlockingState()
    {
        CustomDoubleSpinBox spin;
        CustomSlider slider;
        CustomCheckBox check;
        CustomComboBox combo;
        combo.addItems({"a", "b"});
        QSignalSpy a(&spin, qOverload<double>(&QDoubleSpinBox::valueChanged)),
            b(&slider, &QSlider::valueChanged), c(&check, &QCheckBox::toggled),
            d(&combo, qOverload<int>(&QComboBox::currentIndexChanged));
        const std::initializer_list<QObject*> all{&spin, &slider, &check, &combo};
        for (const bool blocked : {false, true}) {
            for (QObject* o : all)
                o->blockSignals(blocked);
            spin.setValueSilently(blocked ? 2 : 1);
            slider.setValueSilently(blocked ? 20 : 10);
            check.setCheckedSilently(!blocked);
            combo.setCurrentIndexSilently(blocked ? 0 : 1);
            for (QObject* o : all)
                QCOMPARE(o->signalsBlocked(), blocked);
        }
        QVERIFY(a.isEmpty() && b.isEmpty() && c.isEmpty() && d.isEmpty());
    }

    void spinBoxEditAsksThenAnnouncesOrIsRefused()
    {
        CustomDoubleSpinBox sb;
        sb.setRange(0, 100);
        sb.setDecimals(1);
        sb.setSuffix(QStringLiteral(" dB"));
        sb.setValue(10.0);
        EditLog log(&sb);
        typeAndReturn(&sb, QStringLiteral("12.5"));
        QCOMPARE(log.log, QStringList({"ask 2.5", "value 12.5", "announce 2.5"}));
        // An arrow step is one complete edit, counted from where the box stands.
        sb.setValueSilently(4.0);
        QTest::keyClick(&sb, Qt::Key_Up);
        QCOMPARE(log.log.mid(3), QStringList({"ask 1", "value 5", "announce 1"}));

        // Refused: the old value comes back, and no value is reported (test_channelcontrol
        // refuses grouped moves from the box and the fader).
        log.refuse = true;
        typeAndReturn(&sb, QStringLiteral("20"));
        QVERIFY(log.log.mid(6) == QStringList({"ask 15"}) && sb.value() == 5.0);

        // Typing behind the suffix starts at the number.
        auto* edit = sb.findChild<QLineEdit*>();
        edit->setCursorPosition(edit->text().size());
        QTest::keyClick(&sb, Qt::Key_1);
        QCOMPARE(edit->text(), QStringLiteral("15.0 dB"));
    }

    // A double or triple click, on the number or on the unit, picks the whole number without
    // the unit, and typing replaces it.
    void typingOverAClickSelectionReplacesTheNumber_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<int>("clickedCharacter");
        QTest::newRow("dB, double click on the digits") << " dB" << 2 << 2;
        QTest::newRow("dB, triple click on the sign") << " dB" << 3 << 0;
        QTest::newRow("ms, double click on the unit") << " ms" << 2 << 6;
        QTest::newRow("Hz, triple click on the unit") << " Hz" << 3 << 6;
    }

    void typingOverAClickSelectionReplacesTheNumber()
    {
        QFETCH(QString, suffix);
        QFETCH(int, clicks);
        QFETCH(int, clickedCharacter);
        CustomDoubleSpinBox sb;
        sb.setRange(-100, 20000);
        sb.setDecimals(1);
        sb.setSuffix(suffix);
        sb.setValue(-15.0);
        sb.resize(160, 30);
        sb.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sb));
        auto* edit = sb.findChild<QLineEdit*>();
        QCOMPARE(edit->text(), "-15.0" + suffix);
        edit->setCursorPosition(clickedCharacter);
        const QPoint at =
            edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center() + QPoint(3, 0);
        QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(edit, Qt::LeftButton, Qt::NoModifier, at);
        if (clicks == 3)
            QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(edit->selectedText(), QStringLiteral("-15.0"));
        QTest::keyClicks(&sb, QStringLiteral("3"));
        QCOMPARE(edit->text(), "3" + suffix);
        QTest::keyClick(&sb, Qt::Key_Return);
        QCOMPARE(sb.value(), 3.0);
    }

    void simplePopupOffersButtons()
    {
        QWidget window;
        auto* combo = new CustomComboBox(&window);
        combo->addItems({"Optic", "Coaxial", "USB"});
        combo->setSimplePopup(true);
        combo->setCurrentIndexSilently(2);
        window.show();
        QSignalSpy changes(combo, qOverload<int>(&QComboBox::currentIndexChanged));
        QPointer<QFrame> frame;
        const auto open = [&] {
            combo->showPopup();
            const QList<QPushButton*> buttons = window.findChildren<QPushButton*>();
            frame = buttons.isEmpty() ? nullptr : qobject_cast<QFrame*>(buttons[0]->parentWidget());
            return buttons;
        };
        QList<QPushButton*> buttons = open();
        QCOMPARE(buttons.size(), 3);
        QVERIFY(!buttons[0]->isChecked() && !buttons[1]->isChecked() && buttons[2]->isChecked());
        buttons[1]->click();
        QCOMPARE(combo->currentIndex(), 1);
        // Once closed the popup goes; the next one shows the items as they are then.
        QTRY_VERIFY(frame.isNull());
        combo->addItem("HDMI");
        // A button pointing outside the items only closes the popup.
        for (const int bad : {-1, 4}) {
            buttons = open();
            QVERIFY(buttons.size() == 4 && buttons[1]->isChecked() && !buttons[2]->isChecked());
            buttons[0]->setProperty("itemIndex", bad);
            buttons[0]->click();
            QTRY_VERIFY(frame.isNull());
        }
        QCOMPARE(changes.size(), 1);
        // Closed by a click elsewhere, as Qt closes popups, it goes too.
        open();
        frame->close();
        QTRY_VERIFY(frame.isNull());
        // The combo box takes an open popup with it.
        open();
        delete combo;
        QVERIFY(frame.isNull());
    }

    // The program's style hands its base style one icon per standard pixmap, and one palette
    // per set of colours, so that Fusion finds again in the pixmap cache what it drew before.
    void steadyCacheStyleReusesIconsAndPalettes()
    {
        struct Recorder : QCommonStyle
        {
            mutable QList<QPalette> seen;
            void drawComplexControl(ComplexControl, const QStyleOptionComplex* option, QPainter*,
                                    const QWidget*) const override
            {
                seen << option->palette;
            }
        };
        SteadyCacheStyle style(QStringLiteral("Fusion"));
        QCOMPARE(style.standardIcon(QStyle::SP_DirIcon).cacheKey(),
                 style.standardIcon(QStyle::SP_DirIcon).cacheKey());
        auto* recorder = new Recorder;
        style.setBaseStyle(recorder); // owned by the style from here
        QImage image(8, 8, QImage::Format_ARGB32);
        QPainter painter(&image);
        QStyleOptionSpinBox first;
        first.palette.setColor(QPalette::Button, Qt::darkBlue);
        // A copy of its own with the same colours, as the stylesheet style makes for each
        // control it paints; drawn disabled.
        QStyleOptionSpinBox second = first;
        second.palette.setColor(QPalette::Button, Qt::red);
        second.palette.setColor(QPalette::Button, Qt::darkBlue);
        second.palette.setCurrentColorGroup(QPalette::Disabled);
        QVERIFY(second.palette.cacheKey() != first.palette.cacheKey());
        QStyleOptionSpinBox other = first;
        other.palette.setColor(QPalette::Button, Qt::red);
        for (const QStyleOptionSpinBox* option : {&first, &second, &other})
            style.drawComplexControl(QStyle::CC_SpinBox, option, &painter);
        QCOMPARE(recorder->seen.size(), 3);
        QCOMPARE(recorder->seen[1].cacheKey(), recorder->seen[0].cacheKey());
        QCOMPARE(recorder->seen[1].currentColorGroup(), QPalette::Disabled);
        QVERIFY(recorder->seen[2].cacheKey() != recorder->seen[0].cacheKey());
        QCOMPARE(recorder->seen[2].color(QPalette::Button), QColor(Qt::red));
    }

    void popupDeletedByTheWindowFirstIsNotDeletedTwice()
    {
        auto* window = new QWidget;
        auto* holder = new QWidget(window);
        auto* combo = new CustomComboBox(holder);
        combo->setSimplePopup(true);
        combo->showPopup();
        // Moving the holder behind the popup makes the window delete the popup first.
        holder->setParent(nullptr);
        holder->setParent(window);
        delete window;
    }
    void interpolationDecibelMappingAndFader()
    {
        const PiecewiseLinear f({0, 1, 3}, {10, 20, 0});
        QVERIFY(f.calcY(-5) == 10.0 && f.calcY(2) == 10.0 && f.calcY(9) == 0.0);
        // Degenerate tables answer without reading past their ends.
        QCOMPARE(PiecewiseLinear({}, {}).calcY(1), 0.0);
        QCOMPARE(PiecewiseLinear({0, 1, 2}, {4, 5}).calcY(5), 5.0);

        QVERIFY(VolumeMeter::tToDb(-1) == 3.0 && VolumeMeter::tToDb(2) == -120.0);
        QVERIFY(VolumeMeter::dbToT(10) == 0 && VolumeMeter::dbToT(-200) == 1);
        QVERIFY(VolumeMeter::dbToT(-6) == 0.25);                      // exactly
        QVERIFY(std::abs(VolumeMeter::dbToT(-21) - 2.0 / 3) < 1e-12); // top 24 dB: 2/3 of travel
        QVERIFY(std::abs(VolumeMeter::tToDb(VolumeMeter::dbToT(-47.5)) + 47.5) < 1e-9);
        QCOMPARE(VolumeMeter::tToColor(VolumeMeter::dbToT(-9)), qRgb(127, 255, 0));

        VolumeSlider vs;
        auto* slider = vs.findChild<CustomSlider*>(QStringLiteral("slider"));
        QCOMPARE(slider->value(), 1128);
        QCOMPARE(vs.getValue(), 0.0);
        QVERIFY(!vs.isPossibleValue(3.01) && !vs.isPossibleValue(notANumber));
        vs.setValueSilently(-6);
        QCOMPARE(slider->value(), 923); // 922.5 rounded half up
        vs.setValueSilently(notANumber);
        QCOMPARE(slider->value(), 923);

        // The fader holds what a 0.1 dB box would show, and every move counts from the value
        // shown, whoever set it (the mouse never came near). Keys move by 0.5 dB and Page keys
        // by 3 dB onto round values, wherever the fader's uneven positions fall.
        EditLog log(&vs);
        vs.setValueSilently(-6.04);
        QVERIFY(vs.getValue() == -6.0 && slider->value() == 923);
        QTest::keyClick(slider, Qt::Key_Up);
        vs.setValueSilently(-30.0); // 373
        QTest::keyClick(slider, Qt::Key_PageDown);
        QCOMPARE(log.log, QStringList({"ask 0.5", "value -5.5", "announce 0.5", "ask -3",
                                       "value -33", "announce -3"}));
        QVERIFY(vs.getValue() == -33.0 && slider->value() == 360);
        // Refused: back where it stood, no value reported.
        log.refuse = true;
        QTest::keyClick(slider, Qt::Key_PageUp);
        QCOMPARE(log.log.size(), 7);
        QVERIFY(vs.getValue() == -33.0 && slider->value() == 360);

        // The scale in a strip's font: its widest label, "−120" at the bottom, is drawn
        // at 8 points or more (some 24 pixels wide) and wholly inside the widget.
        vs.setFont(QFont(QStringLiteral("Roboto"), 10));
        vs.resize(vs.sizeHint().width(), 300);
        const QImage image = vs.grab().toImage();
        const QRgb paper = image.pixel(0, 0);
        const int scaleRight = slider->x() + slider->getHandleRect().left();
        int left = image.width(), right = -1;
        for (int y = image.height() * 3 / 4; y < image.height(); ++y)
            for (int x = 0; x < scaleRight; ++x)
                if (qGray(image.pixel(x, y)) < qGray(paper) - 64) {
                    left = qMin(left, x);
                    right = qMax(right, x);
                }
        QVERIFY(left > 0);
        QVERIFY(right - left + 1 >= 22);
    }

    // Dragging the handle. The handle rests on the box's 0.1 dB, a fraction of a step off
    // the position the mouse points at; the mouse sliding along it must not count that
    // fraction as a move each time (the fader would flicker between two values). Moving
    // down reports each new position once, on the box's 0.1 dB.
    void faderDragSettlesOnTheBoxPrecision()
    {
        VolumeSlider vs;
        vs.setValueSilently(-10.0);
        vs.resize(60, 250);
        vs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&vs));
        auto* slider = vs.findChild<CustomSlider*>(QStringLiteral("slider"));
        EditLog log(&vs);
        const QPoint grip = slider->getHandleRect().center();
        const auto drag = [slider](QPoint at) {
            QMouseEvent move(QEvent::MouseMove, at, slider->mapToGlobal(at), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(slider, &move);
        };
        QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, grip);
        drag(grip + QPoint(1, 0));
        const int settled = log.log.size(); // the mouse's pixel may read one step off
        QVERIFY(settled <= 3);
        for (int dx : {2, 1, 2, 1, 2})
            drag(grip + QPoint(dx, 0));
        QCOMPARE(log.log.size(), settled);

        double last = vs.getValue();
        for (int dy : {3, 3, 6, 6, 9})
            drag(grip + QPoint(0, dy));
        QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, grip + QPoint(0, 9));
        const QStringList values = log.log.mid(settled).filter(QStringLiteral("value"));
        QCOMPARE(values.size(), 3); // one for each new position, none for the repeats
        QCOMPARE(log.log.size(), settled + 9);
        for (const QString& value : values) {
            const double db = value.mid(6).toDouble();
            QVERIFY(db < last && std::abs(db * 10 - std::round(db * 10)) < 1e-9);
            last = db;
        }
        VolumeSlider reference;
        reference.setValueSilently(last);
        QVERIFY(vs.getValue() == last &&
                slider->value() == reference.findChild<QSlider*>()->value());
    }

    void meterDimsAboveTheLevelAndSharesItsImage()
    {
        VolumeMeter meter;
        meter.resize(16, 120);
        meter.setLevel(-130);
        QVERIFY(pixelAt(meter, 60) != VolumeMeter::tToColor(0.5));
        meter.setLevel(3);
        QCOMPARE(pixelAt(meter, 0), VolumeMeter::tToColor(0));
        // -21 dB sits two thirds down: dimmed above it, bright below; NaN is no level.
        meter.setLevel(-21);
        meter.setLevel(notANumber);
        QVERIFY(pixelAt(meter, 70) != VolumeMeter::tToColor(70.0 / 120));
        QCOMPARE(pixelAt(meter, 90), VolumeMeter::tToColor(90.0 / 120));

        // Meters of one height share one image.
        const int before = VolumeMeter::cachedBackgroundCount();
        {
            VolumeMeter a, b;
            a.resize(16, 173);
            b.resize(20, 173);
            pixelAt(a, 0);
            pixelAt(b, 0);
            QCOMPARE(a.getBackground().get(), b.getBackground().get());
            QCOMPARE(VolumeMeter::cachedBackgroundCount(), before + 1);
            const QImage* shared = a.getBackground().get();
            b.resize(16, 181);
            pixelAt(b, 0);
            QCOMPARE(a.getBackground().get(), shared);
            QCOMPARE(VolumeMeter::cachedBackgroundCount(), before + 2);
            // The last meter of a height moving away frees that height's image.
            a.resize(16, 181);
            pixelAt(a, 0);
            QCOMPARE(VolumeMeter::cachedBackgroundCount(), before + 1);
        }
        QCOMPARE(VolumeMeter::cachedBackgroundCount(), before);
    }
    void aboutDialogVersionsAndSharedHandles()
    {
        AboutDialog dialog;
        QCOMPARE(dialog.findChild<QLabel*>("toolVersion")->text(), QStringLiteral("1.3.8"));
        auto labels = dialog.getVersionLabels();
        QCOMPARE(labels.first->text() + labels.second->text(), QStringLiteral("??"));
        // Asking twice hands out the same shared handle, not a second owner.
        const auto again = dialog.getVersionLabels();
        QVERIFY(again.second == labels.second && labels.first.use_count() == 2);

        // Whichever of the window and the handles goes first, each label is freed exactly
        // once (the sanitizer build catches a double or missing free).
        for (bool windowFirst : {true, false}) {
            auto* window = new QWidget;
            auto labels = (new AboutDialog(window))->getVersionLabels();
            const QPointer<QLabel> firmware = labels.first.get(), plugin = labels.second.get();
            if (windowFirst) {
                delete window;
                QVERIFY(plugin);
                labels.second->setText(QStringLiteral("late")); // the tree may still write
            }
            labels = {};
            QCOMPARE(plugin.isNull(), windowFirst);
            if (!windowFirst)
                delete window;
            QVERIFY(!firmware && !plugin);
        }
    }
};

QTEST_MAIN(TestInputWidgets)
#include "test_inputwidgets.moc"
