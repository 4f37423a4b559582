#include "crossovercontrol.h"
#include "crossoverdialog.h"
#include "customdoublespinbox.h"
#include "equalizercontrol.h"
#include "equalizerdialog.h"
#include "frequencyresponsegraph.h"
#include "graphcurves.h"
#include "inputnode.h"
#include "outputnode.h"
#include "paramtree.h"
#include "peqdesign.h"
#include "peqnode.h"
#include "peqsnode.h"
#include "treewidget.h"
#include "xoverdesign.h"
#include "xoverfilternode.h"
#include "xovernode.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSignalSpy>
#include <QtTest>
#include <cstring>

namespace {

const QColor curveColours[8] = {
    QColor(209, 78, 75), QColor(27, 61, 119), QColor(57, 158, 164), QColor(246, 219, 101),
    QColor(0, 145, 31),  QColor(123, 83, 75), QColor(246, 134, 34), QColor(77, 147, 202),
};

QColor bandColour(int band)
{
    QColor colour = curveColours[band];
    colour.setAlphaF(0.1);
    return colour;
}

const QStringList bandTypes = {"None", "Low Shelf", "High Shelf", "Peak"};

// Compares what would go on the wire.
template <typename Repr, typename Coeffs> bool sameCoeffs(const Coeffs& a, const Coeffs& b)
{
    Repr ra;
    Repr rb;
    std::memset(&ra, 0, sizeof ra);
    std::memset(&rb, 0, sizeof rb);
    a.toRepr(ra);
    b.toRepr(rb);
    return std::memcmp(&ra, &rb, sizeof ra) == 0;
}

QStringList itemTexts(QComboBox* combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

void select(QComboBox* combo, const char* text)
{
    combo->setCurrentIndex(combo->findText(QString::fromLatin1(text)));
}

// Sets a box's value and finishes the edit, as Enter or leaving the box does.
void finishEdit(CustomDoubleSpinBox* box, double value)
{
    box->setValue(value);
    Q_EMIT box->editingFinished();
}

// Both dialogs as the main window wires them: nodes of a real tree, edits into the hub.
struct Fixture
{
    TreeWidget hub;
    ParamTree tree{&hub};
    CrossoverDialog xover;
    EqualizerDialog eq;
    QSignalSpy xoverChanged{&xover, &CrossoverDialog::changed};
    QSignalSpy eqChanged{&eq, &EqualizerDialog::changed};

    Fixture()
    {
        xover.setXoverNodes(tree.getXoverNodes());
        QObject::connect(&xover, &CrossoverDialog::changed, &hub, &TreeWidget::onXoverChanged);
        QObject::connect(&eq, &EqualizerDialog::changed, &hub, &TreeWidget::onPEQChanged);
    }

    QList<int> queued()
    {
        QList<int> indices;
        int index = 0;
        while (hub.dequeueParamIndex(index))
            indices.append(index);
        return indices;
    }

    // Crossover dialog
    CrossoverControl* output(int i) { return xover.findChildren<CrossoverControl*>().at(i); }
    QComboBox* xoverType(int i, bool hp)
    {
        return output(i)->findChild<QComboBox*>(hp ? "highpassType" : "lowpassType");
    }
    CustomDoubleSpinBox* xoverFreq(int i, bool hp)
    {
        return output(i)->findChild<CustomDoubleSpinBox*>(hp ? "highpassFrequency"
                                                             : "lowpassFrequency");
    }
    QCheckBox* showBox(int i) { return output(i)->findChild<QCheckBox*>("graphVisible"); }
    QVector<QPointF> xoverCurve(int i)
    {
        return graphcurves::points(*xover.findChild<FrequencyResponseGraph*>(), curveColours[i]);
    }
    XoverFilterNode* xoverNode(int i, bool hp) { return tree.getXoverNodes().at(i)->filter(hp); }
    XoverParams stored(int i, bool hp)
    {
        XoverParams params;
        xoverNode(i, hp)->getXoverParams(params);
        return params;
    }

    // Equalizer dialog
    PEQSNode* outputBands(int i) { return tree.getOutputNode(i)->getPEQSNode(); }
    PEQSNode* inputBands(int i) { return tree.getInputNode(i)->getPEQSNode(); }
    EqualizerControl* band(int b) { return eq.findChildren<EqualizerControl*>().at(b); }
    QComboBox* bandType(int b) { return band(b)->findChild<QComboBox*>("type"); }
    CustomDoubleSpinBox* bandBox(int b, const char* name)
    {
        return band(b)->findChild<CustomDoubleSpinBox*>(name);
    }
    const FrequencyResponseGraph& eqGraph() { return *eq.findChild<FrequencyResponseGraph*>(); }
    QVector<QPointF> bandCurve(int b) { return graphcurves::points(eqGraph(), bandColour(b)); }
    QVector<QPointF> sumCurve() { return graphcurves::points(eqGraph(), QColor(Qt::blue)); }
};

} // namespace

class TestFilterDialogs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void crossoverShowLoadsEveryOutputAndDrawsOnlyTheChosenOne()
    {
        Fixture f;
        // Item data are the wire codes.
        QCOMPARE(f.xoverType(2, true)->count(), 11);
        QCOMPARE(f.xoverType(2, false)->itemData(f.xoverType(2, false)->findText("BS 24")).toInt(),
                 int(XoverType::BS_24));

        XoverParams hp{XoverType::BW_24, true, 80};
        XoverParams lp{XoverType::LR_12, false, 3000};
        f.xoverNode(5, true)->setXoverParamsAndCoeffs(hp, calcXoverCoeffs(hp));
        f.xoverNode(5, false)->setXoverParamsAndCoeffs(lp, calcXoverCoeffs(lp));
        f.showBox(1)->setChecked(true); // shown before, hidden on the next opening
        f.xoverChanged.clear();

        f.xover.show(3);
        QVERIFY(f.xover.isVisible());
        QCOMPARE(f.xoverChanged.count(), 0);
        QVERIFY(f.queued().isEmpty());
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(f.showBox(i)->isChecked(), i == 3);
            QCOMPARE(f.xoverCurve(i).size(), i == 3 ? 348 : 0);
        }
        QCOMPARE(f.xoverType(5, true)->currentText(), QStringLiteral("BW 24"));
        QCOMPARE(f.xoverType(5, false)->currentText(), QStringLiteral("LR 12"));
        QCOMPARE(f.xoverFreq(5, true)->value(), 80.0);
        QCOMPARE(f.xoverFreq(5, false)->value(), 3000.0);
        // Loading is no type change: the tooltips stay as the form has them.
        QCOMPARE(f.xoverType(5, true)->toolTip(), QStringLiteral("Highpass Type"));
        QCOMPARE(f.xoverType(5, false)->toolTip(), QStringLiteral("Lowpass Type"));
    }

    void crossoverEditStoresItsSideAndAnnouncesIt()
    {
        Fixture f;
        f.xover.show(2);
        select(f.xoverType(2, false), "LR 24");
        QCOMPARE(f.xoverChanged.count(), 1);
        const int lpIndex = f.tree.getXoverNodes().at(2)->getParamIndex(false);
        QCOMPARE(f.xover.property("paramIndex").toInt(), lpIndex);
        QCOMPARE(f.queued(), QList<int>{lpIndex});
        const XoverParams lp = f.stored(2, false);
        QCOMPARE(lp.type, XoverType::LR_24);
        QVERIFY(!lp.highpass);
        QVERIFY(
            sameCoeffs<xover_repr_t>(f.xoverNode(2, false)->coefficients(), calcXoverCoeffs(lp)));

        // Typed and confirmed with Enter, as a user would.
        f.xoverFreq(2, true)->selectAll();
        QTest::keyClicks(f.xoverFreq(2, true), "120");
        QTest::keyClick(f.xoverFreq(2, true), Qt::Key_Return);
        QCOMPARE(f.xoverChanged.count(), 2);
        QCOMPARE(f.queued(), QList<int>{f.tree.getXoverNodes().at(2)->getParamIndex(true)});
        QVERIFY(f.stored(2, true).highpass);
        QCOMPARE(f.stored(2, true).frequency, 120.0);
        QCOMPARE(f.stored(2, false).type, XoverType::LR_24);
        QCOMPARE(f.stored(1, false).type, XoverType::NONE);

        // Frequencies stay whole and within 10 ... 25000 Hz.
        finishEdit(f.xoverFreq(2, false), 99999);
        QCOMPARE(f.stored(2, false).frequency, 25000.0);
        finishEdit(f.xoverFreq(2, false), 1234.6);
        QCOMPARE(f.stored(2, false).frequency, 1235.0);

        // "Show" only redraws.
        f.xoverChanged.clear();
        f.queued();
        f.showBox(4)->setChecked(true);
        QCOMPARE(f.xoverCurve(4).size(), 348);
        f.showBox(4)->setChecked(false);
        QVERIFY(f.xoverCurve(4).isEmpty());
        QCOMPARE(f.xoverCurve(2).size(), 348);
        QCOMPARE(f.xoverChanged.count(), 0);
        QVERIFY(f.queued().isEmpty());
    }

    void crossoverCurveIsTheSumOfBothSides()
    {
        Fixture f;
        f.xover.show(6);
        // Both sides "None": flat at 0 dB, and the highpass stored as four unity sections.
        select(f.xoverType(6, true), "BW 6");
        select(f.xoverType(6, true), "None");
        QCOMPARE(f.stored(6, true).type, XoverType::NONE);
        QVERIFY(sameCoeffs<xover_repr_t>(f.xoverNode(6, true)->coefficients(), XoverCoeffs()));
        for (const QPointF& p : f.xoverCurve(6))
            QCOMPARE(p.y(), 0.0);

        finishEdit(f.xoverFreq(6, false), 1000);
        select(f.xoverType(6, false), "BW 12");
        QCOMPARE(qRound(graphcurves::valueAt(f.xoverCurve(6), 1000.0) * 100), -301);
        select(f.xoverType(6, false), "LR 24");
        QCOMPARE(qRound(graphcurves::valueAt(f.xoverCurve(6), 1000.0) * 100), -602);

        select(f.xoverType(6, true), "BW 12");
        finishEdit(f.xoverFreq(6, true), 100);
        const XoverGainCalc hp(calcXoverCoeffs({XoverType::BW_12, true, 100}));
        const XoverGainCalc lp(calcXoverCoeffs({XoverType::LR_24, false, 1000}));
        QCOMPARE(graphcurves::valueAt(f.xoverCurve(6), 100.0),
                 hp.calcGain(100.0) + lp.calcGain(100.0));
    }

    void crossoverTooltipsLabelsAndMissingNodes()
    {
        Fixture f;
        f.xover.show(0);
        select(f.xoverType(0, true), "BW 24");
        QCOMPARE(f.xoverType(0, true)->toolTip(),
                 QStringLiteral("Highpass Filter, Butterworth, 24 db/oct"));
        select(f.xoverType(0, false), "LR 12");
        QCOMPARE(f.xoverType(0, false)->toolTip(),
                 QStringLiteral("Lowpass Filter, Linkwitz-Riley, 12 db/oct"));
        select(f.xoverType(0, true), "None");
        QCOMPARE(f.xoverType(0, true)->toolTip(), QStringLiteral("No filter"));
        // Codes outside the table keep the bare prefix; an item without data changes nothing.
        QComboBox odd;
        odd.addItem("odd", 42);
        odd.addItem("bare");
        f.output(0)->updateTypeTooltip("Highpass", &odd, 1);
        QCOMPARE(odd.toolTip(), QString());
        f.output(0)->updateTypeTooltip("Highpass", &odd, 0);
        QCOMPARE(odd.toolTip(), QStringLiteral("Highpass Filter"));

        f.xover.onChannelLabelChanged(2, "Left");
        QCOMPARE(f.output(2)->title(), QStringLiteral("  Left  "));
        f.xover.onChannelLabelChanged(8, "Nowhere");
        QCOMPARE(f.output(7)->title(), QStringLiteral("  Output 8  "));

        // Unknown controls, and outputs without a node: drawn, but nothing stored or announced.
        f.xoverChanged.clear();
        f.xover.onControlChanged(8, CrossoverControl::Highpass);
        f.xover.onControlChanged(-1, CrossoverControl::Lowpass);
        QList<XoverNode*> partial = f.tree.getXoverNodes().mid(0, 3);
        partial[1] = nullptr;
        f.xover.setXoverNodes(partial);
        f.showBox(1)->setChecked(true);
        select(f.xoverType(1, true), "BW 18");
        select(f.xoverType(5, true), "BW 18");
        QCOMPARE(f.xoverChanged.count(), 0);
        QCOMPARE(f.xoverCurve(1).size(), 348);
        QCOMPARE(f.stored(1, true).type, XoverType::NONE);
    }

    void equalizerSubwooferItemOnAnInputsFirstBandOnly()
    {
        Fixture f;
        QCOMPARE(itemTexts(f.bandType(0)), bandTypes);
        // An input whose first band is stored as the subwoofer filter shows it selected.
        const PEQParams sub{PEQType::SUBWOOFER, 80, 0, 0.7};
        f.inputBands(1)->setPEQParamsAndCoeffs(0, sub, calcPEQCoeffs(sub));
        f.eq.show(f.inputBands(1));
        QCOMPARE(itemTexts(f.bandType(0)), bandTypes + QStringList{"Subwoofer"});
        QCOMPARE(f.bandType(0)->itemData(4).toInt(), int(PEQType::SUBWOOFER));
        QCOMPARE(f.bandType(0)->currentText(), QStringLiteral("Subwoofer"));
        for (int b = 1; b < 5; ++b)
            QCOMPARE(itemTexts(f.bandType(b)), bandTypes);
        f.eq.show(f.inputBands(0));
        QCOMPARE(f.bandType(0)->count(), 5);

        // Opening an output takes the item away again; that is no edit of either channel.
        f.eq.show(f.inputBands(1));
        f.eq.show(f.outputBands(0));
        QCOMPARE(itemTexts(f.bandType(0)), bandTypes);
        QCOMPARE(f.eqChanged.count(), 0);
        QVERIFY(f.queued().isEmpty());
        QCOMPARE(f.outputBands(0)->getPEQParams(0).type, PEQType::NONE);
        QCOMPARE(f.inputBands(1)->getPEQParams(0).type, PEQType::SUBWOOFER);
    }

    void equalizerShowLoadsWithoutStoringAndToleratesNoNode()
    {
        Fixture f;
        const PEQParams peak{PEQType::PEAK, 1000, -4.5, 2.2};
        f.outputBands(3)->setPEQParamsAndCoeffs(1, peak, calcPEQCoeffs(peak));
        f.eq.show(f.outputBands(3));
        QVERIFY(f.eq.isVisible());
        QCOMPARE(f.bandType(1)->currentText(), QStringLiteral("Peak"));
        QCOMPARE(f.bandBox(1, "q")->value(), 2.2);
        QCOMPARE(f.bandBox(1, "gain")->value(), -4.5);
        QCOMPARE(f.eqChanged.count(), 0);
        QVERIFY(f.queued().isEmpty());
        QCOMPARE(qRound(graphcurves::valueAt(f.bandCurve(1), 1000.0) * 10), -45);

        // A PEQ button without a node opens nothing and forgets nothing.
        f.eq.hide();
        f.eq.show(nullptr);
        QVERIFY(!f.eq.isVisible());
        QCOMPARE(f.eq.windowTitle(), QStringLiteral("Equalizer of Analog Output 4"));
        finishEdit(f.bandBox(2, "gain"), 3.0);
        QCOMPARE(f.outputBands(3)->getPEQParams(2).gain, 3.0);

        // Before any node was shown, edits redraw but store and announce nothing.
        EqualizerDialog fresh;
        QSignalSpy freshChanged(&fresh, &EqualizerDialog::changed);
        fresh.show(nullptr);
        QVERIFY(!fresh.isVisible());
        EqualizerControl* first = fresh.findChildren<EqualizerControl*>().at(0);
        first->findChild<QComboBox*>("type")->setCurrentIndex(3);
        finishEdit(first->findChild<CustomDoubleSpinBox*>("gain"), 6.0);
        QCOMPARE(freshChanged.count(), 0);
        QCOMPARE(fresh.windowTitle(), QStringLiteral("Equalizer"));
    }

    void equalizerBandEditStoresThatBandAndRedrawsItsCurveAndTheSum()
    {
        Fixture f;
        f.eq.show(f.outputBands(2));
        const QList<QGraphicsLineItem*> untouched =
            graphcurves::segments(f.eqGraph(), bandColour(0));
        select(f.bandType(2), "Low Shelf");
        finishEdit(f.bandBox(2, "frequency"), 1000);
        f.eqChanged.clear();
        f.queued();

        finishEdit(f.bandBox(2, "gain"), 5.0);
        QCOMPARE(f.eqChanged.count(), 1);
        const int bandIndex = f.outputBands(2)->getPEQParamIndex(2);
        QCOMPARE(f.eq.property("paramIndex").toInt(), bandIndex);
        QCOMPARE(f.queued(), QList<int>{bandIndex});
        const PEQParams stored = f.outputBands(2)->getPEQParams(2);
        QCOMPARE(stored.type, PEQType::LOW_SHELF);
        QCOMPARE(stored.gain, 5.0);
        QVERIFY(sameCoeffs<peq_repr_t>((*f.outputBands(2)->getPEQNode(2))->coefficients(),
                                       calcPEQCoeffs(stored)));
        QCOMPARE(f.outputBands(2)->getPEQParams(1).type, PEQType::NONE);
        // Band 3's curve and the sum show the shelf; band 1's curve was left alone.
        QCOMPARE(qRound(f.bandCurve(2).first().y() * 10), 50);
        QCOMPARE(qRound(f.sumCurve().first().y() * 10), 50);
        QCOMPARE(graphcurves::segments(f.eqGraph(), bandColour(0)), untouched);

        // Gains beyond 12 dB either way are clamped; unknown bands are ignored.
        finishEdit(f.bandBox(2, "gain"), 15.0);
        QCOMPARE(f.outputBands(2)->getPEQParams(2).gain, 12.0);
        finishEdit(f.bandBox(2, "gain"), -15.0);
        QCOMPARE(f.outputBands(2)->getPEQParams(2).gain, -12.0);
        f.eq.onControlChanged(5);
        f.eq.onControlChanged(-1);
        QCOMPARE(f.eqChanged.count(), 3);
    }

    void equalizerSumCurveAddsTheBands()
    {
        Fixture f;
        f.eq.show(f.outputBands(0));
        QCOMPARE(f.sumCurve().size(), 348);
        for (const QPointF& p : f.sumCurve())
            QCOMPARE(p.y(), 0.0);

        select(f.bandType(0), "Peak");
        f.bandBox(0, "frequency")->setValue(1000);
        f.bandBox(0, "q")->setValue(1.0);
        finishEdit(f.bandBox(0, "gain"), 6.0);
        double highest = -100;
        for (const QPointF& p : f.sumCurve())
            highest = qMax(highest, p.y());
        QCOMPARE(qRound(highest * 100), 600);
        QCOMPARE(qRound(graphcurves::valueAt(f.sumCurve(), 1000.0) * 100), 600);

        select(f.bandType(4), "High Shelf");
        f.bandBox(4, "frequency")->setValue(1000);
        finishEdit(f.bandBox(4, "gain"), -3.0);
        const QVector<QPointF> both = f.sumCurve();
        for (int j : {0, 150, 200, 347})
            QCOMPARE(both.at(j).y(), f.bandCurve(0).at(j).y() + f.bandCurve(4).at(j).y());
    }

    void equalizerTitles()
    {
        Fixture f;
        f.eq.show(f.outputBands(1));
        QCOMPARE(f.eq.windowTitle(), QStringLiteral("Equalizer of Analog Output 2"));
        f.eq.onChannelLabelChanged(1, "Bass");
        QCOMPARE(f.eq.windowTitle(), QStringLiteral("Equalizer of Bass"));
        f.eq.onChannelLabelChanged(0, "Left");
        QCOMPARE(f.eq.windowTitle(), QStringLiteral("Equalizer of Bass"));
        // Inputs have no user label.
        f.eq.show(f.inputBands(0));
        QCOMPARE(f.eq.windowTitle(), QStringLiteral("Equalizer of Digital Input 1"));
        f.eq.onChannelLabelChanged(8, "Nowhere");
        f.eq.show(f.outputBands(1));
        QCOMPARE(f.eq.windowTitle(), QStringLiteral("Equalizer of Bass"));
        f.eq.onChannelLabelChanged(1, QString());
        QCOMPARE(f.eq.windowTitle(), QStringLiteral("Equalizer of Analog Output 2"));
    }
};

QTEST_MAIN(TestFilterDialogs)
#include "test_filterdialogs.moc"
