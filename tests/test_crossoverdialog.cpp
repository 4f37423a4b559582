#include "crossovercontrol.h"
#include "crossoverdialog.h"
#include "customdoublespinbox.h"
#include "frequencyresponsegraph.h"
#include "graphcurves.h"
#include "paramtree.h"
#include "treewidget.h"
#include "xoverdesign.h"
#include "xoverfilternode.h"
#include "xovernode.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>
#include <cstring>

namespace {

const QColor outputColours[8] = {
    QColor(209, 78, 75), QColor(27, 61, 119), QColor(57, 158, 164), QColor(246, 219, 101),
    QColor(0, 145, 31),  QColor(123, 83, 75), QColor(246, 134, 34), QColor(77, 147, 202),
};

XoverParams side(XoverType type, bool highpass, double frequency)
{
    XoverParams params;
    params.type = type;
    params.highpass = highpass;
    params.frequency = frequency;
    return params;
}

bool sameCoeffs(const XoverCoeffs& a, const XoverCoeffs& b)
{
    xover_repr_t ra;
    xover_repr_t rb;
    std::memset(&ra, 0, sizeof ra);
    std::memset(&rb, 0, sizeof rb);
    a.toRepr(ra);
    b.toRepr(rb);
    return std::memcmp(&ra, &rb, sizeof ra) == 0;
}

// Types a value into a frequency box and confirms it with Enter, as a user would.
void typeFrequency(CustomDoubleSpinBox* box, const QString& text)
{
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

// The dialog as the main window wires it: nodes of a real tree, edits into the hub.
struct Fixture
{
    TreeWidget hub;
    ParamTree tree{&hub};
    CrossoverDialog dialog;
    QSignalSpy changed{&dialog, &CrossoverDialog::changed};

    Fixture()
    {
        dialog.setXoverNodes(tree.getXoverNodes());
        QObject::connect(&dialog, &CrossoverDialog::changed, &hub, &TreeWidget::onXoverChanged);
    }

    CrossoverControl* control(int output)
    {
        return dialog.findChildren<CrossoverControl*>().at(output);
    }
    QComboBox* combo(int output, bool highpass)
    {
        return control(output)->findChild<QComboBox*>(highpass ? "highpassType" : "lowpassType");
    }
    CustomDoubleSpinBox* frequency(int output, bool highpass)
    {
        return control(output)->findChild<CustomDoubleSpinBox*>(highpass ? "highpassFrequency"
                                                                         : "lowpassFrequency");
    }
    QCheckBox* showBox(int output)
    {
        return control(output)->findChild<QCheckBox*>("graphVisible");
    }
    QVector<QPointF> curve(int output)
    {
        return graphcurves::points(*dialog.findChild<FrequencyResponseGraph*>("graph"),
                                   outputColours[output]);
    }
    XoverParams stored(int output, bool highpass)
    {
        XoverParams params;
        tree.getXoverNodes().at(output)->filter(highpass)->getXoverParams(params);
        return params;
    }
    QList<int> queued()
    {
        QList<int> indices;
        int index = 0;
        while (hub.dequeueParamIndex(index))
            indices.append(index);
        return indices;
    }
    void selectType(int output, bool highpass, const char* text)
    {
        QComboBox* box = combo(output, highpass);
        box->setCurrentIndex(box->findText(QString::fromLatin1(text)));
    }
};

} // namespace

class TestCrossoverDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formOfControlsAndDialog()
    {
        CrossoverDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Crossover"));
        QVERIFY(dialog.isModal());
        const QList<CrossoverControl*> controls = dialog.findChildren<CrossoverControl*>();
        QCOMPARE(controls.size(), 8);
        QCOMPARE(controls.at(0)->title(), QStringLiteral("  Output 1  "));
        QCOMPARE(controls.at(7)->title(), QStringLiteral("  Output 8  "));

        const QStringList texts = {"None",  "BW 6",  "BW 12", "BW 18", "BW 24", "LR 12",
                                   "LR 24", "CH 12", "CH 24", "BS 12", "BS 24"};
        for (const char* name : {"highpassType", "lowpassType"}) {
            auto* combo = controls.at(2)->findChild<QComboBox*>(name);
            QCOMPARE(combo->count(), texts.size());
            for (int i = 0; i < texts.size(); ++i) {
                QCOMPARE(combo->itemText(i), texts.at(i));
                QCOMPARE(combo->itemData(i).toInt(), i);
            }
        }
        for (const char* name : {"highpassFrequency", "lowpassFrequency"}) {
            auto* box = controls.at(2)->findChild<CustomDoubleSpinBox*>(name);
            QCOMPARE(box->minimum(), 10.0);
            QCOMPARE(box->maximum(), 25000.0);
            QCOMPARE(box->decimals(), 0);
            QCOMPARE(box->value(), 25000.0);
        }
        // Nothing is drawn before the dialog is opened.
        for (int output = 0; output < 8; ++output)
            QVERIFY(graphcurves::points(*dialog.findChild<FrequencyResponseGraph*>("graph"),
                                        outputColours[output])
                        .isEmpty());
    }

    void showLoadsEveryOutputAndDrawsOnlyTheChosenOne()
    {
        Fixture f;
        XoverNode* node = f.tree.getXoverNodes().at(5);
        const XoverParams hp = side(XoverType::BW_24, true, 80);
        const XoverParams lp = side(XoverType::LR_12, false, 3000);
        node->setXoverParamsAndCoeffs(true, hp, calcXoverCoeffs(hp));
        node->setXoverParamsAndCoeffs(false, lp, calcXoverCoeffs(lp));
        f.showBox(1)->setChecked(true); // shown before, hidden on the next opening
        f.changed.clear();

        f.dialog.show(3);
        QVERIFY(f.dialog.isVisible());
        QCOMPARE(f.changed.count(), 0);
        QVERIFY(f.queued().isEmpty());
        for (int output = 0; output < 8; ++output) {
            QCOMPARE(f.showBox(output)->isChecked(), output == 3);
            QCOMPARE(f.curve(output).size(), output == 3 ? 348 : 0);
        }
        QCOMPARE(f.combo(5, true)->currentText(), QStringLiteral("BW 24"));
        QCOMPARE(f.combo(5, false)->currentText(), QStringLiteral("LR 12"));
        QCOMPARE(f.frequency(5, true)->value(), 80.0);
        QCOMPARE(f.frequency(5, false)->value(), 3000.0);
        // Loading is no type change: the tooltips stay as the form has them.
        QCOMPARE(f.combo(5, true)->toolTip(), QStringLiteral("Highpass Type"));
        QCOMPARE(f.combo(5, false)->toolTip(), QStringLiteral("Lowpass Type"));
    }

    void editStoresItsSideAndAnnouncesIt()
    {
        Fixture f;
        f.dialog.show(2);
        XoverNode* node = f.tree.getXoverNodes().at(2);

        f.selectType(2, false, "LR 24");
        QCOMPARE(f.changed.count(), 1);
        QCOMPARE(f.dialog.property("paramIndex").toInt(), node->getParamIndex(false));
        QCOMPARE(f.queued(), QList<int>{node->getParamIndex(false)});
        XoverParams lp = f.stored(2, false);
        QCOMPARE(lp.type, XoverType::LR_24);
        QVERIFY(!lp.highpass);
        QVERIFY(sameCoeffs(node->filter(false)->coefficients(), calcXoverCoeffs(lp)));

        typeFrequency(f.frequency(2, true), QStringLiteral("120"));
        QCOMPARE(f.changed.count(), 2);
        QCOMPARE(f.dialog.property("paramIndex").toInt(), node->getParamIndex(true));
        QCOMPARE(f.queued(), QList<int>{node->getParamIndex(true)});
        const XoverParams hp = f.stored(2, true);
        QVERIFY(hp.highpass);
        QCOMPARE(hp.frequency, 120.0);
        // The other side and the other outputs keep what they had.
        QCOMPARE(f.stored(2, false).type, XoverType::LR_24);
        QCOMPARE(f.stored(1, false).type, XoverType::NONE);

        // The box keeps frequencies whole and within 10 ... 25000 Hz.
        CustomDoubleSpinBox* box = f.frequency(2, false);
        box->setValue(99999);
        Q_EMIT box->editingFinished();
        QCOMPARE(f.stored(2, false).frequency, 25000.0);
        box->setValue(1234.6);
        Q_EMIT box->editingFinished();
        QCOMPARE(f.stored(2, false).frequency, 1235.0);
    }

    void showBoxOnlyRedraws()
    {
        Fixture f;
        f.dialog.show(0);
        f.selectType(4, true, "BW 12");
        f.changed.clear();
        f.queued();
        const XoverParams before = f.stored(4, true);

        f.showBox(4)->setChecked(true);
        QCOMPARE(f.curve(4).size(), 348);
        f.showBox(4)->setChecked(false);
        QVERIFY(f.curve(4).isEmpty());
        QCOMPARE(f.curve(0).size(), 348);
        QCOMPARE(f.changed.count(), 0);
        QVERIFY(f.queued().isEmpty());
        QCOMPARE(f.stored(4, true).type, before.type);
    }

    void curveIsTheSumOfBothSides()
    {
        Fixture f;
        f.dialog.show(6);
        // Both sides "None": flat at 0 dB, and the highpass stored as four unity sections.
        f.selectType(6, true, "BW 6");
        f.selectType(6, true, "None");
        QCOMPARE(f.stored(6, true).type, XoverType::NONE);
        QVERIFY(
            sameCoeffs(f.tree.getXoverNodes().at(6)->filter(true)->coefficients(), XoverCoeffs()));
        for (const QPointF& p : f.curve(6))
            QCOMPARE(p.y(), 0.0);

        typeFrequency(f.frequency(6, false), QStringLiteral("1000"));
        f.selectType(6, false, "BW 12");
        QCOMPARE(qRound(graphcurves::valueAt(f.curve(6), 1000.0) * 100), -301);
        f.selectType(6, false, "LR 24");
        QCOMPARE(qRound(graphcurves::valueAt(f.curve(6), 1000.0) * 100), -602);

        // With a highpass as well, each point is the dB sum of the two sides.
        f.selectType(6, true, "BW 12");
        typeFrequency(f.frequency(6, true), QStringLiteral("100"));
        const XoverGainCalc hp(calcXoverCoeffs(side(XoverType::BW_12, true, 100)));
        const XoverGainCalc lp(calcXoverCoeffs(side(XoverType::LR_24, false, 1000)));
        const QVector<QPointF> curve = f.curve(6);
        const QList<FreqPair> grid = makeFreqsRange(10.0, 30000.0, 0.01);
        QCOMPARE(curve.size(), grid.size());
        for (int j = 0; j < grid.size(); j += 50) {
            QCOMPARE(curve.at(j).x(), grid.at(j).logFrequency);
            QCOMPARE(curve.at(j).y(),
                     hp.calcGain(grid.at(j).frequency) + lp.calcGain(grid.at(j).frequency));
        }
    }

    void typeTooltips()
    {
        Fixture f;
        f.dialog.show(0);
        f.selectType(0, true, "BW 24");
        QCOMPARE(f.combo(0, true)->toolTip(),
                 QStringLiteral("Highpass Filter, Butterworth, 24 db/oct"));
        f.selectType(0, false, "LR 12");
        QCOMPARE(f.combo(0, false)->toolTip(),
                 QStringLiteral("Lowpass Filter, Linkwitz-Riley, 12 db/oct"));
        f.selectType(0, false, "BS 24");
        QCOMPARE(f.combo(0, false)->toolTip(), QStringLiteral("Lowpass Filter, Bessel, 24 db/oct"));
        f.selectType(0, true, "None");
        QCOMPARE(f.combo(0, true)->toolTip(), QStringLiteral("No filter"));

        // Codes outside the table keep the bare prefix; an item without data changes nothing.
        QComboBox odd;
        odd.addItem("odd", 42);
        odd.addItem("bare");
        odd.setToolTip("before");
        f.control(0)->updateTypeTooltip("Highpass", &odd, 1);
        QCOMPARE(odd.toolTip(), QStringLiteral("before"));
        f.control(0)->updateTypeTooltip("Highpass", &odd, 0);
        QCOMPARE(odd.toolTip(), QStringLiteral("Highpass Filter"));
    }

    void labelsAndUnknownIndices()
    {
        Fixture f;
        f.dialog.onChannelLabelChanged(2, "Left");
        QCOMPARE(f.control(2)->title(), QStringLiteral("  Left  "));
        f.dialog.onChannelLabelChanged(8, "Nowhere");
        f.dialog.onChannelLabelChanged(-1, "Nowhere");
        for (CrossoverControl* control : f.dialog.findChildren<CrossoverControl*>())
            QVERIFY(!control->title().contains("Nowhere"));

        f.dialog.show(0);
        f.dialog.onControlChanged(8, CrossoverControl::Highpass);
        f.dialog.onControlChanged(-1, CrossoverControl::Lowpass);
        QCOMPARE(f.changed.count(), 0);
        QCOMPARE(f.dialog.getXoverNode(-1), nullptr);
        QCOMPARE(f.dialog.getXoverNode(8), nullptr);

        // Outputs without a node are still drawn, but nothing is stored or announced.
        QList<XoverNode*> partial = f.tree.getXoverNodes().mid(0, 3);
        partial[1] = nullptr;
        f.dialog.setXoverNodes(partial);
        f.showBox(1)->setChecked(true);
        f.selectType(1, true, "BW 18");
        f.selectType(5, true, "BW 18");
        QCOMPARE(f.changed.count(), 0);
        QCOMPARE(f.curve(1).size(), 348);
        QCOMPARE(f.stored(1, true).type, XoverType::NONE);
    }
};

QTEST_MAIN(TestCrossoverDialog)
#include "test_crossoverdialog.moc"
