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

#include <QComboBox>
#include <QSignalSpy>
#include <QtTest>
#include <cstring>

namespace {

QColor bandColour(int band)
{
    static const QColor colours[5] = {QColor(209, 78, 75), QColor(27, 61, 119),
                                      QColor(57, 158, 164), QColor(246, 219, 101),
                                      QColor(0, 145, 31)};
    QColor colour = colours[band];
    colour.setAlphaF(0.1);
    return colour;
}

PEQParams band(PEQType type, double frequency, double gain, double q)
{
    PEQParams params;
    params.type = type;
    params.frequency = frequency;
    params.gain = gain;
    params.q = q;
    return params;
}

bool sameCoeffs(const PEQCoeffs& a, const PEQCoeffs& b)
{
    peq_repr_t ra;
    peq_repr_t rb;
    std::memset(&ra, 0, sizeof ra);
    std::memset(&rb, 0, sizeof rb);
    a.toRepr(ra);
    b.toRepr(rb);
    return std::memcmp(&ra, &rb, sizeof ra) == 0;
}

// The dialog as the main window wires it: nodes of a real tree, edits into the hub.
struct Fixture
{
    TreeWidget hub;
    ParamTree tree{&hub};
    EqualizerDialog dialog;
    QSignalSpy changed{&dialog, &EqualizerDialog::changed};

    Fixture()
    {
        QObject::connect(&dialog, &EqualizerDialog::changed, &hub, &TreeWidget::onPEQChanged);
    }

    PEQSNode* output(int index) { return tree.getOutputNode(index)->getPEQSNode(); }
    PEQSNode* input(int index) { return tree.getInputNode(index)->getPEQSNode(); }
    EqualizerControl* control(int band)
    {
        return dialog.findChildren<EqualizerControl*>().at(band);
    }
    QComboBox* type(int band) { return control(band)->findChild<QComboBox*>("type"); }
    CustomDoubleSpinBox* box(int band, const char* name)
    {
        return control(band)->findChild<CustomDoubleSpinBox*>(name);
    }
    const FrequencyResponseGraph& graph()
    {
        return *dialog.findChild<FrequencyResponseGraph*>("graph");
    }
    QVector<QPointF> curve(int band) { return graphcurves::points(graph(), bandColour(band)); }
    QVector<QPointF> sum() { return graphcurves::points(graph(), QColor(Qt::blue)); }
    QList<int> queued()
    {
        QList<int> indices;
        int index = 0;
        while (hub.dequeueParamIndex(index))
            indices.append(index);
        return indices;
    }
    void setGain(int band, double gain)
    {
        box(band, "gain")->setValue(gain);
        Q_EMIT box(band, "gain")->editingFinished();
    }
};

QStringList itemTexts(QComboBox* combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

} // namespace

class TestEqualizerDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formAndInitialCurves()
    {
        Fixture f;
        QCOMPARE(f.dialog.windowTitle(), QStringLiteral("Equalizer"));
        QVERIFY(f.dialog.isModal());
        QCOMPARE(f.dialog.findChildren<EqualizerControl*>().size(), 5);
        QCOMPARE(f.control(4)->title(), QStringLiteral("EQ5"));
        QCOMPARE(itemTexts(f.type(0)), QStringList({"None", "Low Shelf", "High Shelf", "Peak"}));
        QCOMPARE(f.type(0)->itemData(3).toInt(), 3);
        // All bands start flat: five faint curves and the sum lie on 0 dB.
        for (int b = 0; b < 5; ++b)
            QCOMPARE(f.curve(b).size(), 348);
        QCOMPARE(f.sum().size(), 348);
        for (const QPointF& p : f.sum())
            QCOMPARE(p.y(), 0.0);

        // Gains beyond 12 dB either way are clamped; frequencies stay whole.
        f.box(0, "gain")->setValue(15.0);
        QCOMPARE(f.box(0, "gain")->value(), 12.0);
        f.box(0, "gain")->setValue(-15.0);
        QCOMPARE(f.box(0, "gain")->value(), -12.0);
        f.box(0, "frequency")->setValue(99.6);
        QCOMPARE(f.box(0, "frequency")->value(), 100.0);
        QCOMPARE(f.box(0, "frequency")->minimum(), 10.0);
        QCOMPARE(f.box(0, "frequency")->maximum(), 25000.0);
        QCOMPARE(f.box(0, "q")->minimum(), 0.5);
        QCOMPARE(f.box(0, "q")->maximum(), 50.0);
    }

    void subwooferItemOnAnInputsFirstBandOnly()
    {
        Fixture f;
        // An input whose first band is stored as the subwoofer filter shows it selected.
        PEQParams sub = band(PEQType::SUBWOOFER, 80, 0, 0.7);
        f.input(1)->setPEQParamsAndCoeffs(0, sub, calcPEQCoeffs(sub));
        f.dialog.show(f.input(1));
        QCOMPARE(f.type(0)->count(), 5);
        QCOMPARE(f.type(0)->itemText(4), QStringLiteral("Subwoofer"));
        QCOMPARE(f.type(0)->itemData(4).toInt(), 8);
        QCOMPARE(f.type(0)->currentText(), QStringLiteral("Subwoofer"));
        for (int b = 1; b < 5; ++b)
            QCOMPARE(f.type(b)->count(), 4);
        f.dialog.show(f.input(0));
        QCOMPARE(f.type(0)->count(), 5);

        // Opening an output takes the item away again; that is no edit of either channel.
        f.dialog.show(f.input(1));
        const PEQParams outputBand = f.output(0)->getPEQParams(0);
        f.dialog.show(f.output(0));
        QCOMPARE(itemTexts(f.type(0)), QStringList({"None", "Low Shelf", "High Shelf", "Peak"}));
        QCOMPARE(f.changed.count(), 0);
        QVERIFY(f.queued().isEmpty());
        QCOMPARE(f.output(0)->getPEQParams(0).type, outputBand.type);
        QCOMPARE(f.input(1)->getPEQParams(0).type, PEQType::SUBWOOFER);
    }

    void showLoadsWithoutStoringAndToleratesNoNode()
    {
        Fixture f;
        const PEQParams peak = band(PEQType::PEAK, 1000, -4.5, 2.2);
        f.output(3)->setPEQParamsAndCoeffs(1, peak, calcPEQCoeffs(peak));
        f.dialog.show(f.output(3));
        QVERIFY(f.dialog.isVisible());
        QCOMPARE(f.type(1)->currentText(), QStringLiteral("Peak"));
        QCOMPARE(f.box(1, "frequency")->value(), 1000.0);
        QCOMPARE(f.box(1, "gain")->value(), -4.5);
        QCOMPARE(f.box(1, "q")->value(), 2.2);
        QCOMPARE(f.changed.count(), 0);
        QVERIFY(f.queued().isEmpty());
        QCOMPARE(qRound(graphcurves::valueAt(f.curve(1), 1000.0) * 10), -45);

        // A PEQ button without a node opens nothing and forgets nothing.
        f.dialog.hide();
        f.dialog.show(nullptr);
        QVERIFY(!f.dialog.isVisible());
        QCOMPARE(f.dialog.windowTitle(), QStringLiteral("Equalizer of Analog Output 4"));
        f.setGain(2, 3.0);
        QCOMPARE(f.output(3)->getPEQParams(2).gain, 3.0);

        // Before any node was shown, edits redraw but store and announce nothing.
        EqualizerDialog fresh;
        QSignalSpy freshChanged(&fresh, &EqualizerDialog::changed);
        fresh.show(nullptr);
        QVERIFY(!fresh.isVisible());
        auto* gain =
            fresh.findChildren<EqualizerControl*>().at(0)->findChild<CustomDoubleSpinBox*>("gain");
        auto* type = fresh.findChildren<EqualizerControl*>().at(0)->findChild<QComboBox*>("type");
        type->setCurrentIndex(3);
        gain->setValue(6.0);
        Q_EMIT gain->editingFinished();
        QCOMPARE(freshChanged.count(), 0);
        QCOMPARE(fresh.windowTitle(), QStringLiteral("Equalizer"));
    }

    void bandEditStoresThatBandAndRedrawsItsCurveAndTheSum()
    {
        Fixture f;
        f.dialog.show(f.output(2));
        const QList<QGraphicsLineItem*> untouched = graphcurves::segments(f.graph(), bandColour(0));

        f.type(2)->setCurrentIndex(f.type(2)->findText("Low Shelf"));
        f.box(2, "frequency")->setValue(1000);
        f.changed.clear();
        f.queued();
        f.setGain(2, 5.0);

        QCOMPARE(f.changed.count(), 1);
        const int bandIndex = f.output(2)->getPEQParamIndex(2);
        QCOMPARE(f.dialog.property("paramIndex").toInt(), bandIndex);
        QCOMPARE(f.queued(), QList<int>{bandIndex});
        const PEQParams stored = f.output(2)->getPEQParams(2);
        QCOMPARE(stored.type, PEQType::LOW_SHELF);
        QCOMPARE(stored.gain, 5.0);
        QVERIFY(sameCoeffs((*f.output(2)->getPEQNode(2))->coefficients(), calcPEQCoeffs(stored)));
        QCOMPARE(f.output(2)->getPEQParams(1).type, PEQType::NONE);

        // Band 3's own curve and the sum show the shelf; band 1's curve was left alone.
        QCOMPARE(qRound(f.curve(2).first().y() * 10), 50);
        QCOMPARE(qRound(f.sum().first().y() * 10), 50);
        QCOMPARE(graphcurves::segments(f.graph(), bandColour(0)), untouched);

        // Indices outside the five bands are ignored.
        f.dialog.onControlChanged(5);
        f.dialog.onControlChanged(-1);
        QCOMPARE(f.changed.count(), 1);
    }

    void sumCurveAddsTheBands()
    {
        Fixture f;
        f.dialog.show(f.output(0));
        for (const QPointF& p : f.sum())
            QCOMPARE(p.y(), 0.0);

        f.type(0)->setCurrentIndex(f.type(0)->findText("Peak"));
        f.box(0, "frequency")->setValue(1000);
        f.box(0, "q")->setValue(1.0);
        f.setGain(0, 6.0);
        const QVector<QPointF> sum = f.sum();
        double highest = -100;
        for (const QPointF& p : sum)
            highest = qMax(highest, p.y());
        QCOMPARE(qRound(highest * 100), 600);
        QCOMPARE(qRound(graphcurves::valueAt(sum, 1000.0) * 100), 600);

        // A second band adds to the first point by point.
        f.type(4)->setCurrentIndex(f.type(4)->findText("High Shelf"));
        f.box(4, "frequency")->setValue(1000);
        f.setGain(4, -3.0);
        const QVector<QPointF> first = f.curve(0);
        const QVector<QPointF> fifth = f.curve(4);
        const QVector<QPointF> both = f.sum();
        QCOMPARE(both.size(), 348);
        for (int j = 0; j < both.size(); ++j)
            QCOMPARE(both.at(j).y(), first.at(j).y() + fifth.at(j).y());
        QCOMPARE(qRound(both.last().y() * 10), -30);
    }

    void titles()
    {
        Fixture f;
        f.dialog.show(f.output(1));
        QCOMPARE(f.dialog.windowTitle(), QStringLiteral("Equalizer of Analog Output 2"));
        f.dialog.onChannelLabelChanged(1, "Bass");
        QCOMPARE(f.dialog.windowTitle(), QStringLiteral("Equalizer of Bass"));
        f.dialog.onChannelLabelChanged(0, "Left");
        QCOMPARE(f.dialog.windowTitle(), QStringLiteral("Equalizer of Bass"));
        f.dialog.show(f.output(0));
        QCOMPARE(f.dialog.windowTitle(), QStringLiteral("Equalizer of Left"));
        // Inputs have no user label.
        f.dialog.show(f.input(0));
        QCOMPARE(f.dialog.windowTitle(), QStringLiteral("Equalizer of Digital Input 1"));
        f.dialog.onChannelLabelChanged(8, "Nowhere");
        f.dialog.onChannelLabelChanged(-1, "Nowhere");
        f.dialog.show(f.output(1));
        QCOMPARE(f.dialog.windowTitle(), QStringLiteral("Equalizer of Bass"));
        f.dialog.onChannelLabelChanged(1, QString());
        QCOMPARE(f.dialog.windowTitle(), QStringLiteral("Equalizer of Analog Output 2"));
    }
};

QTEST_MAIN(TestEqualizerDialog)
#include "test_equalizerdialog.moc"
