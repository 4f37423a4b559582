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

// A spin box's reports in order: "ask" and "announce" carry the delta (with and without the
// consent flag), "value" the finished value.
struct EditLog
{
    QStringList log;
    bool refuse = false;

    explicit EditLog(CustomDoubleSpinBox* sb)
    {
        QObject::connect(sb, &CustomDoubleSpinBox::editingFinishedWithDelta,
                         [this](double delta, bool* ok) {
                             log << QStringLiteral("%1 %2").arg(ok ? "ask" : "announce").arg(delta);
                             if (ok && refuse)
                                 *ok = false;
                         });
        QObject::connect(sb, &CustomDoubleSpinBox::editingFinishedWithValue,
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
        CustomComboBox combo;
        combo.addItems({"a", "b"});
        int emitted = 0;
        const auto count = [&emitted] { ++emitted; };
        connect(&spin, qOverload<double>(&QDoubleSpinBox::valueChanged), count);
        connect(&slider, &QSlider::valueChanged, count);
        connect(&check, &QCheckBox::toggled, count);
        connect(&combo, qOverload<int>(&QComboBox::currentIndexChanged), count);
        for (const bool blocked : {false, true}) {
            for (QObject* o : std::initializer_list<QObject*>{&spin, &slider, &check, &combo})
                o->blockSignals(blocked);
            spin.setValueSilently(blocked ? 2 : 1);
            slider.setValueSilently(blocked ? 20 : 10);
            check.setCheckedSilently(!blocked);
            combo.setCurrentIndexSilently(blocked ? 0 : 1);
            for (QObject* o : std::initializer_list<QObject*>{&spin, &slider, &check, &combo})
                QCOMPARE(o->signalsBlocked(), blocked);
        }
        QVERIFY(spin.value() == 2.0 && slider.value() == 20 && combo.currentIndex() == 0);
        QCOMPARE(emitted, 0);
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

        // Refused: the old value comes back, and no value is reported.
        log.refuse = true;
        typeAndReturn(&sb, QStringLiteral("20"));
        sb.stepBy(1);
        QCOMPARE(log.log.mid(6), QStringList({"ask 15", "ask 1"}));
        QCOMPARE(sb.value(), 5.0);
        QVERIFY(!sb.signalsBlocked());

        // Typing behind the suffix starts at the number.
        auto* edit = sb.findChild<QLineEdit*>();
        edit->setCursorPosition(edit->text().size());
        QTest::keyClick(&sb, Qt::Key_1);
        QCOMPARE(edit->text(), QStringLiteral("15.0 dB"));
    }

    void simplePopupOffersButtons()
    {
        QWidget window;
        auto* combo = new CustomComboBox(&window);
        combo->addItems({"Optic", "Coaxial", "USB"});
        combo->setSimplePopup(true);
        combo->setPopupClassPrefix(QStringLiteral("source"));
        combo->setCurrentIndexSilently(2);
        window.show();
        QSignalSpy changes(combo, qOverload<int>(&QComboBox::currentIndexChanged));
        combo->showPopup();
        QList<QPushButton*> buttons;
        for (QPushButton* b : window.findChildren<QPushButton*>())
            buttons << b;
        QCOMPARE(buttons.size(), 3);
        auto* frame = qobject_cast<QFrame*>(buttons.first()->parentWidget());
        QCOMPARE(frame->property("className").toString(), QStringLiteral("sourceframe"));
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(buttons[i]->property("itemIndex").toInt(), i);
            QCOMPARE(buttons[i]->property("className").toString(), QStringLiteral("sourcebutton"));
            QCOMPARE(buttons[i]->isChecked(), i == 2);
        }
        buttons[1]->click();
        QVERIFY(!frame->isVisible());
        QCOMPARE(combo->currentIndex(), 1);
        // A button pointing outside the items only closes the popup.
        for (const int bad : {-1, 3}) {
            combo->showPopup();
            QVERIFY(buttons[1]->isChecked() && !buttons[2]->isChecked());
            buttons[0]->setProperty("itemIndex", bad);
            buttons[0]->click();
            QVERIFY(!frame->isVisible());
        }
        QCOMPARE(changes.size(), 1);
        // The combo box takes its popup with it.
        QPointer<QFrame> guard(frame);
        delete combo;
        QVERIFY(guard.isNull());
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
};

QTEST_MAIN(TestInputWidgets)
#include "test_inputwidgets.moc"
