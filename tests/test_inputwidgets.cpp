#include "customcheckbox.h"
#include "customcombobox.h"
#include "customdoublespinbox.h"
#include "customlineedit.h"
#include "custompushbutton.h"
#include "customslider.h"

#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

// What a spin box reported, in order: "ask" and "announce" are the two deliveries of
// the delta (with and without the consent flag), "value" the finished value.
struct EditLog
{
    QStringList events;
    QList<double> numbers;
    bool refuse = false;

    explicit EditLog(CustomDoubleSpinBox* sb)
    {
        QObject::connect(sb, &CustomDoubleSpinBox::editingFinishedWithDelta,
                         [this](double delta, bool* ok) {
                             events << (ok ? QStringLiteral("ask") : QStringLiteral("announce"));
                             numbers << delta;
                             if (ok && refuse)
                                 *ok = false;
                         });
        QObject::connect(sb, &CustomDoubleSpinBox::editingFinishedWithValue, [this](double v) {
            events << QStringLiteral("value");
            numbers << v;
        });
    }
    void clear()
    {
        events.clear();
        numbers.clear();
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

QList<QPushButton*> popupButtons(QWidget* window)
{
    QList<QPushButton*> buttons;
    for (QPushButton* b : window->findChildren<QPushButton*>()) {
        if (b->property("itemIndex").isValid())
            buttons << b;
    }
    return buttons;
}

} // namespace

class TestInputWidgets : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void silentSettersEmitNothingAndKeepBlockingState()
    {
        CustomDoubleSpinBox spin;
        CustomSlider slider;
        CustomCheckBox check;
        CustomPushButton button;
        button.setCheckable(true);
        CustomComboBox combo;
        combo.addItems({QStringLiteral("a"), QStringLiteral("b")});
        CustomLineEdit edit;
        const QList<QObject*> all{&spin, &slider, &check, &button, &combo, &edit};
        QSignalSpy spinSpy(&spin, qOverload<double>(&QDoubleSpinBox::valueChanged));
        QSignalSpy sliderSpy(&slider, &QSlider::valueChanged);
        QSignalSpy checkSpy(&check, &QCheckBox::toggled);
        QSignalSpy buttonSpy(&button, &QPushButton::toggled);
        QSignalSpy comboSpy(&combo, qOverload<int>(&QComboBox::currentIndexChanged));
        QSignalSpy textSpy(&edit, &QLineEdit::textChanged);
        QSignalSpy labelSpy(&edit, &CustomLineEdit::editingFinishedWithValue);

        for (const bool blocked : {false, true}) {
            for (QObject* o : all)
                o->blockSignals(blocked);
            spin.setValueSilently(blocked ? 2 : 1);
            slider.setValueSilently(blocked ? 20 : 10);
            check.setCheckedSilently(!blocked);
            button.setCheckedSilently(!blocked);
            combo.setCurrentIndexSilently(blocked ? 0 : 1);
            edit.setTextAndEmitValue(blocked ? QStringLiteral("y") : QStringLiteral("x"));
            for (QObject* o : all)
                QCOMPARE(o->signalsBlocked(), blocked);
        }
        QCOMPARE(spin.value(), 2.0);
        QCOMPARE(slider.value(), 20);
        QVERIFY(!check.isChecked() && !button.isChecked());
        QCOMPARE(combo.currentIndex(), 0);
        QCOMPARE(edit.text(), QStringLiteral("y"));
        for (QSignalSpy* spy : {&spinSpy, &sliderSpy, &checkSpy, &buttonSpy, &comboSpy, &textSpy})
            QVERIFY(spy->isEmpty());
        // The label editor announces the given text (while its signals flow).
        QCOMPARE(labelSpy.size(), 1);
        QCOMPARE(labelSpy.at(0).at(0).toString(), QStringLiteral("x"));
    }

    void spinBoxEditAsksThenAnnouncesOrIsRefused()
    {
        CustomDoubleSpinBox sb;
        sb.setRange(0, 100);
        sb.setDecimals(1);
        sb.setValue(10.0);
        EditLog log(&sb);
        typeAndReturn(&sb, QStringLiteral("12.5"));
        QCOMPARE(log.events, QStringList({"ask", "value", "announce"}));
        QCOMPARE(log.numbers, QList<double>({2.5, 12.5, 2.5}));

        // Refused: the old value comes back silently.
        log.clear();
        log.refuse = true;
        QSignalSpy changes(&sb, qOverload<double>(&QDoubleSpinBox::valueChanged));
        typeAndReturn(&sb, QStringLiteral("20"));
        QCOMPARE(log.events, QStringList({"ask"}));
        QCOMPARE(log.numbers, QList<double>({7.5}));
        QCOMPARE(sb.value(), 12.5);
        QCOMPARE(changes.last().at(0).toDouble(), 20.0); // typing reports, the restore not
        QVERIFY(!sb.signalsBlocked());

        // Announced without asking: the clamped value, no delta.
        log.clear();
        sb.setValueWithSignals(170.25);
        QCOMPARE(log.events, QStringList({"value"}));
        QCOMPARE(log.numbers, QList<double>({100.0}));
    }

    void eachStepIsACompleteEdit()
    {
        CustomDoubleSpinBox sb;
        sb.setRange(-10, 10);
        sb.setSingleStep(0.5);
        sb.setValue(1.0);
        EditLog log(&sb);
        QTest::keyClick(&sb, Qt::Key_Up);
        QCOMPARE(log.events, QStringList({"ask", "value", "announce"}));
        QCOMPARE(log.numbers, QList<double>({0.5, 1.5, 0.5}));

        // A step counts from where the box stands, even after a silent change.
        log.clear();
        sb.setValueSilently(4.0);
        sb.stepBy(-2);
        QCOMPARE(log.numbers, QList<double>({-1.0, 3.0, -1.0}));
        log.refuse = true;
        sb.stepBy(1);
        QCOMPARE(sb.value(), 3.0);
    }

    void typingBehindTheSuffixStartsAtTheNumber()
    {
        CustomDoubleSpinBox sb;
        sb.setDecimals(1);
        sb.setSuffix(QStringLiteral(" dB"));
        sb.setValue(5.0);
        auto* edit = sb.findChild<QLineEdit*>();
        edit->setCursorPosition(edit->text().size());
        QTest::keyClick(&sb, Qt::Key_1);
        QCOMPARE(edit->text(), QStringLiteral("15.0 dB"));
    }

    void sliderAndLineEditReportTheirValues()
    {
        CustomSlider slider;
        slider.setRange(-100, 100);
        QSignalSpy values(&slider, &CustomSlider::editingFinishedWithValue);
        QSignalSpy entered(&slider, &CustomSlider::entered);
        slider.setValue(-42);
        QCOMPARE(values.size(), 1);
        QCOMPARE(values.at(0).at(0).toDouble(), -42.0);
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(&slider, &enter);
        QCOMPARE(entered.size(), 1);

        CustomLineEdit edit;
        QSignalSpy texts(&edit, &CustomLineEdit::editingFinishedWithValue);
        edit.setText(QStringLiteral("Woofer"));
        Q_EMIT edit.editingFinished();
        QCOMPARE(texts.size(), 1);
        QCOMPARE(texts.at(0).at(0).toString(), QStringLiteral("Woofer"));
    }

    void simplePopupOffersButtons()
    {
        QWidget window;
        auto* combo = new CustomComboBox(&window);
        combo->addItems(
            {QStringLiteral("Optic"), QStringLiteral("Coaxial"), QStringLiteral("USB")});
        combo->setSimplePopup(true);
        combo->setPopupClassPrefix(QStringLiteral("source"));
        combo->setCurrentIndexSilently(2);
        window.show();
        QSignalSpy changes(combo, qOverload<int>(&QComboBox::currentIndexChanged));

        combo->showPopup();
        const QList<QPushButton*> buttons = popupButtons(&window);
        QCOMPARE(buttons.size(), 3);
        auto* frame = qobject_cast<QFrame*>(buttons.first()->parentWidget());
        QVERIFY(frame && frame->isVisible());
        QCOMPARE(frame->property("className").toString(), QStringLiteral("sourceframe"));
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(buttons[i]->text(), combo->itemText(i));
            QCOMPARE(buttons[i]->property("itemIndex").toInt(), i);
            QCOMPARE(buttons[i]->property("className").toString(), QStringLiteral("sourcebutton"));
            QCOMPARE(buttons[i]->isChecked(), i == 2);
        }
        buttons[1]->click();
        QVERIFY(!frame->isVisible());
        QCOMPARE(combo->currentIndex(), 1);
        QCOMPARE(changes.size(), 1);

        // Shown again, the same buttons follow the new selection.
        combo->showPopup();
        QCOMPARE(popupButtons(&window), buttons);
        QVERIFY(buttons[1]->isChecked() && !buttons[2]->isChecked());

        // A button pointing outside the items only closes the popup.
        for (const int bad : {-1, 3}) {
            combo->showPopup();
            buttons[0]->setProperty("itemIndex", bad);
            buttons[0]->click();
            QVERIFY(!frame->isVisible());
        }
        QCOMPARE(combo->currentIndex(), 1);
        QCOMPARE(changes.size(), 1);

        // The combo box takes its popup with it, while the window lives on.
        QPointer<QFrame> guard(frame);
        delete combo;
        QVERIFY(guard.isNull());
    }

    void popupDeletedByTheWindowFirstIsNotDeletedTwice()
    {
        auto* window = new QWidget;
        auto* holder = new QWidget(window);
        auto* combo = new CustomComboBox(holder);
        combo->addItems({QStringLiteral("1"), QStringLiteral("2")});
        combo->setSimplePopup(true);
        combo->showPopup();
        combo->hidePopup();
        // Moving the holder behind the popup makes the window delete the popup first.
        holder->setParent(nullptr);
        holder->setParent(window);
        delete window;
    }
};

QTEST_MAIN(TestInputWidgets)
#include "test_inputwidgets.moc"
