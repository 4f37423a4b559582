#include "crossoverdialog.h"
#include "customdoublespinbox.h"
#include "edithistory.h"
#include "equalizerdialog.h"
#include "frequencyresponsegraph.h"
#include "graphcurves.h"
#include "inputnode.h"
#include "outputnode.h"
#include "paramtree.h"
#include "peqdesign.h"
#include "peqnode.h"
#include "peqsnode.h"
#include "responsecalc.h"
#include "xoverdesign.h"
#include "xoverfilternode.h"
#include "xovernode.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

// The crossover curve of output 3 and the equalizer's sum curve.
const QColor output3Colour(57, 158, 164);
const QColor sumColour(0x2f, 0x6f, 0xdf);

// What would go on the wire.
template <typename Repr, typename Coeffs> QByteArray wire(const Coeffs& coeffs)
{
    Repr repr{};
    coeffs.toRepr(repr);
    return QByteArray(reinterpret_cast<const char*>(&repr), sizeof repr);
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
    ParamTree tree;
    ParamHub& hub = *tree.hub;
    CrossoverDialog xover;
    EqualizerDialog eq;
    // Each dialog's stored edits: every one asks for a write.
    QSignalSpy xoverChanged{&hub, &ParamHub::paramEnqueuedForUpdate};
    QSignalSpy& eqChanged = xoverChanged;

    Fixture() { xover.setXoverNodes(tree.getXoverNodes()); }
    QList<int> queued()
    {
        QList<int> indices;
        for (int index = 0; hub.dequeueParamIndex(index);)
            indices.append(index);
        return indices;
    }
    // Output i's controls in the crossover dialog, band b's in the equalizer dialog.
    template <typename T> T* xoverPart(int i, const char* name)
    {
        return xover.findChildren<CrossoverControl*>().at(i)->findChild<T*>(name);
    }
    template <typename T> T* band(int b, const char* name)
    {
        return eq.findChildren<EqualizerControl*>().at(b)->findChild<T*>(name);
    }
    double gainAt(QDialog& dialog, QColor colour, double frequency)
    {
        return graphcurves::gainAt(*dialog.findChild<FrequencyResponseGraph*>(), colour, frequency);
    }
    XoverFilterNode* xoverNode(int i, bool hp) { return tree.getXoverNodes().at(i)->filter(hp); }
};

} // namespace

class TestFilterDialogs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void crossoverShowThenEditsStoreTheirSide()
    {
        Fixture f;
        f.xoverPart<QCheckBox>(1, "graphVisible")->setChecked(true); // hidden on next opening
        f.xoverChanged.clear();
        f.xover.show(2);
        QCOMPARE(f.xoverChanged.count(), 0);
        for (int i = 0; i < 8; ++i)
            QCOMPARE(f.xoverPart<QCheckBox>(i, "graphVisible")->isChecked(), i == 2);
        QCOMPARE(
            graphcurves::segments(*f.xover.findChild<FrequencyResponseGraph*>(), output3Colour),
            347);

        f.xoverPart<QComboBox>(2, "lowpassType")->setCurrentText("LR 24");
        QCOMPARE(f.xoverChanged.count(), 1);
        const int lpIndex = f.tree.getXoverNodes().at(2)->getParamIndex(false);
        QCOMPARE(f.queued(), QList<int>{lpIndex});
        XoverParams lp, hp;
        f.xoverNode(2, false)->getXoverParams(lp);
        QVERIFY(lp.type == XoverType::LR_24 && !lp.highpass);
        QCOMPARE(wire<xover_repr_t>(f.xoverNode(2, false)->coefficients()),
                 wire<xover_repr_t>(calcXoverCoeffs(lp)));

        // Typed and confirmed with Enter, as a user would.
        auto* frequency = f.xoverPart<CustomDoubleSpinBox>(2, "highpassFrequency");
        frequency->selectAll();
        QTest::keyClicks(frequency, "120");
        QTest::keyClick(frequency, Qt::Key_Return);
        QCOMPARE(frequency->text(), QStringLiteral("120 Hz"));
        QCOMPARE(f.xoverChanged.count(), 2);
        QCOMPARE(f.queued(), QList<int>{f.tree.getXoverNodes().at(2)->getParamIndex(true)});
        f.xoverNode(2, true)->getXoverParams(hp);
        QVERIFY(hp.highpass && hp.frequency == 120.0);

        // "Show" only redraws.
        f.xoverPart<QCheckBox>(4, "graphVisible")->setChecked(true);
        QCOMPARE(f.xoverChanged.count(), 2);
        QVERIFY(f.queued().isEmpty());
    }

    void crossoverCurveAndTooltips()
    {
        Fixture f;
        f.xover.show(2);
        finishEdit(f.xoverPart<CustomDoubleSpinBox>(2, "lowpassFrequency"), 1000);
        const QList<QPair<const char*, int>> lowpasses{{"BW 12", -301}, {"LR 24", -602}};
        for (const auto& [type, centiDb] : lowpasses) {
            f.xoverPart<QComboBox>(2, "lowpassType")->setCurrentText(type);
            QCOMPARE(qRound(f.gainAt(f.xover, output3Colour, 1000.0) * 100), centiDb);
        }
        // Both sides add up.
        f.xoverPart<QComboBox>(2, "highpassType")->setCurrentText("BW 12");
        finishEdit(f.xoverPart<CustomDoubleSpinBox>(2, "highpassFrequency"), 100);
        const XoverGainCalc hp(calcXoverCoeffs({XoverType::BW_12, true, 100}));
        const XoverGainCalc lp(calcXoverCoeffs({XoverType::LR_24, false, 1000}));
        QCOMPARE(f.gainAt(f.xover, output3Colour, 100.0), hp.calcGain(100.0) + lp.calcGain(100.0));

        auto* type = f.xoverPart<QComboBox>(0, "highpassType");
        type->setCurrentText("BW 24");
        QCOMPARE(type->toolTip(), QStringLiteral("Highpass Filter, Butterworth, 24 db/oct"));
    }

    void equalizerSubwooferItemOnAnInputsFirstBandOnly()
    {
        Fixture f;
        PEQSNode* input = f.tree.getInputNode(1)->getPEQSNode();
        const PEQParams sub{PEQType::SUBWOOFER, 80, 0, 0.7};
        input->setPEQParamsAndCoeffs(0, sub, calcPEQCoeffs(sub), ChangeSource::Device);
        f.eq.show(input);
        QCOMPARE(f.band<QComboBox>(0, "type")->currentText(), QStringLiteral("Subwoofer"));
        QCOMPARE(f.band<QComboBox>(1, "type")->count(), 4);
        f.eq.show(f.tree.getInputNode(0)->getPEQSNode()); // every input's first band
        QCOMPARE(f.band<QComboBox>(0, "type")->count(), 5);
        // Opening an output takes the item away again; that is no edit of either channel.
        f.eq.show(f.tree.getOutputNode(0)->getPEQSNode());
        QCOMPARE(f.band<QComboBox>(0, "type")->count(), 4);
        QCOMPARE(f.eqChanged.count(), 0);
        QCOMPARE(input->getPEQParams(0).type, PEQType::SUBWOOFER);
    }

    void equalizerBandEditStoresThatBandAndTheSumCurve()
    {
        Fixture f;
        PEQSNode* bands = f.tree.getOutputNode(2)->getPEQSNode();
        f.eq.show(bands);
        QVERIFY(f.queued().isEmpty());
        f.band<QComboBox>(1, "type")->setCurrentText("Peak");
        f.band<CustomDoubleSpinBox>(1, "frequency")->setValue(1000);
        f.band<CustomDoubleSpinBox>(1, "q")->setValue(1.0);
        f.eqChanged.clear();
        finishEdit(f.band<CustomDoubleSpinBox>(1, "gain"), 6.0);
        QCOMPARE(f.eqChanged.count(), 1);
        QCOMPARE(f.queued().last(), bands->getPEQParamIndex(1));
        const PEQParams stored = bands->getPEQParams(1);
        QVERIFY(stored.type == PEQType::PEAK && stored.gain == 6.0);
        QCOMPARE(wire<peq_repr_t>((*bands->getPEQNode(1))->coefficients()),
                 wire<peq_repr_t>(calcPEQCoeffs(stored)));
        QCOMPARE(bands->getPEQParams(0).type, PEQType::NONE);
        QCOMPARE(qRound(f.gainAt(f.eq, sumColour, 1000.0) * 100), 600);

        // A band changed while the dialog is open (read again, undone, mirrored) shows at once,
        // and is not stored back.
        const PEQParams cut{PEQType::PEAK, 1000.0, -4.0, 1.0};
        bands->setPEQParamsAndCoeffs(1, cut, calcPEQCoeffs(cut), ChangeSource::Device);
        QCOMPARE(f.band<CustomDoubleSpinBox>(1, "gain")->value(), -4.0);
        QCOMPARE(qRound(f.gainAt(f.eq, sumColour, 1000.0) * 100), -400);
        QVERIFY(f.queued().isEmpty());
    }

    void equalizerTitlesAndNoNode()
    {
        Fixture f;
        f.eq.show(f.tree.getOutputNode(1)->getPEQSNode());
        QCOMPARE(f.eq.windowTitle(), QStringLiteral("Equalizer of Analog Output 2"));
        f.eq.onChannelLabelChanged(1, "Bass");
        f.eq.onChannelLabelChanged(0, "Left");
        QCOMPARE(f.eq.windowTitle(), QStringLiteral("Equalizer of Bass"));
        f.eq.onChannelLabelChanged(1, QString());
        QCOMPARE(f.eq.windowTitle(), QStringLiteral("Equalizer of Analog Output 2"));

        // A PEQ button without a node opens nothing, and without any node shown before,
        // edits store and announce nothing.
        f.eq.hide();
        f.eq.show(nullptr);
        QVERIFY(!f.eq.isVisible());
        EqualizerDialog fresh;
        fresh.show(nullptr);
        fresh.findChildren<QComboBox*>("type").at(0)->setCurrentIndex(3);
        QCOMPARE(f.queued(), QList<int>());
        QCOMPARE(fresh.windowTitle(), QStringLiteral("Equalizer"));
    }

    // A filter list is previewed with the curve it gives; Cancel sends nothing, OK sends the
    // bands it changes and nothing else, as one step that a single undo takes back.
    void equalizerImportPreviewThenCancelOrOk()
    {
        Fixture f;
        EditHistory history(&f.tree);
        PEQSNode* bands = f.tree.getOutputNode(2)->getPEQSNode();
        const PEQParams kept{PEQType::PEAK, 1000.0, -2.0, 3.0};
        bands->setPEQParamsAndCoeffs(3, kept, calcPEQCoeffs(kept), ChangeSource::Device);
        QByteArrayList original;
        for (int b = 0; b < 5; ++b)
            original << (*bands->getPEQNode(b))->serialize();
        f.eq.show(bands);
        f.queued();
        QTemporaryDir dir;
        const QString path = dir.filePath("filters.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Preamp: -6.2 dB\r\n"
                   "Filter 1: ON LS Fc 105 Hz Gain 5.6 dB\r\n"
                   "Filter 2: ON PK Fc 2192 Hz Gain -3.3 dB Q 1.554\r\n"
                   "Filter 3: ON BP Fc 300 Hz Q 2\r\n"
                   "Filter 4: ON HSC Fc 10000 Hz Gain -2.0 dB Q 0.70\r\n");
        file.close();
        const double before = f.gainAt(f.eq, sumColour, 1000.0);
        QCOMPARE(qRound(before * 10), -20);
        const PEQParams shelf{PEQType::LOW_SHELF, 105.0, 5.6, 0.707};
        const PEQParams peak{PEQType::PEAK, 2192.0, -3.3, 1.554};
        const PEQParams high{PEQType::HIGH_SHELF, 10000.0, -2.0, 0.7};
        const auto sumAt = [](std::initializer_list<PEQParams> list, double frequency) {
            double sum = 0.0;
            for (const PEQParams& p : list)
                sum += IIRGainCalc(calcPEQCoeffs(p)).calcGain(frequency);
            return sum;
        };

        for (const bool ok : {false, true}) {
            f.eq.importFile(path);
            QPointer<QDialog> preview = f.eq.findChild<QDialog*>("filterImportPreview");
            QVERIFY(preview && preview->isVisible());
            auto* rows = preview->findChild<QTreeWidget*>("filters");
            QCOMPARE(rows->topLevelItemCount(), 4);
            QCOMPARE(rows->topLevelItem(0)->text(2), QString("EQ1 (Q assumed 0.707)"));
            QCOMPARE(rows->topLevelItem(1)->text(0), QString("3"));
            QCOMPARE(rows->topLevelItem(2)->text(2),
                     QString("refused: type BP is not available on this processor"));
            QCOMPARE(rows->topLevelItem(3)->text(2), QString("EQ3"));
            QVERIFY(preview->findChild<QLabel*>("preamp")->text().contains("-6.2 dB"));
            QCOMPARE(preview->findChild<QLabel*>("bands")->text(),
                     QString("EQ1 changed; EQ2 changed; EQ3 changed; EQ4 set to None: no "
                             "filter for it"));
            // Replacing all bands drops EQ4's peak from the curve; keeping it adds it back.
            QCOMPARE(qRound(f.gainAt(f.eq, sumColour, 1000.0) * 100),
                     qRound(sumAt({shelf, peak, high}, 1000.0) * 100));
            preview->findChild<QRadioButton*>("fillEmpty")->click();
            QCOMPARE(rows->topLevelItem(3)->text(2), QString("EQ3"));
            QCOMPARE(preview->findChild<QLabel*>("bands")->text(),
                     QString("EQ1 changed; EQ2 changed; EQ3 changed; EQ4 kept"));
            QCOMPARE(qRound(f.gainAt(f.eq, sumColour, 1000.0) * 100),
                     qRound(sumAt({shelf, peak, high, kept}, 1000.0) * 100));
            QVERIFY(f.queued().isEmpty()); // nothing is sent before OK

            preview->findChild<QDialogButtonBox*>()
                ->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)
                ->click();
            QTRY_VERIFY(preview.isNull());
            if (!ok) {
                QVERIFY(f.queued().isEmpty() && !history.canUndo());
                QCOMPARE(bands->getPEQParams(0).type, PEQType::NONE);
                QCOMPARE(qRound(f.gainAt(f.eq, sumColour, 1000.0) * 10), -20);
                continue;
            }
            QList<int> sent = f.queued();
            std::sort(sent.begin(), sent.end());
            QCOMPARE(sent, (QList<int>{bands->getPEQParamIndex(0), bands->getPEQParamIndex(1),
                                       bands->getPEQParamIndex(2)}));
            // The file's values as read (the editors would show Q 1.55), designed as the
            // dialog designs them.
            QCOMPARE(bands->getPEQParams(1).q, 1.554);
            for (int b = 0; b < 3; ++b)
                QCOMPARE(wire<peq_repr_t>((*bands->getPEQNode(b))->coefficients()),
                         wire<peq_repr_t>(calcPEQCoeffs(bands->getPEQParams(b))));
            QCOMPARE(f.band<QComboBox>(0, "type")->currentText(), QString("Low Shelf"));
            QCOMPARE(bands->getPEQParams(3).type, PEQType::PEAK);

            QCOMPARE(history.undoCount(), 1);
            history.undo();
            for (int b = 0; b < 5; ++b)
                QCOMPARE((*bands->getPEQNode(b))->serialize().toHex(), original.at(b).toHex());
            sent = f.queued();
            std::sort(sent.begin(), sent.end());
            QCOMPARE(sent, (QList<int>{bands->getPEQParamIndex(0), bands->getPEQParamIndex(1),
                                       bands->getPEQParamIndex(2)}));
        }

        // A file that is no filter list opens no preview: it says why.
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("\x7f"
                              "ELF\0\0\0",
                              7));
        file.close();
        f.eq.importFile(path);
        QVERIFY(!f.eq.findChild<QDialog*>("filterImportPreview"));
        auto* problem = f.eq.findChild<QMessageBox*>("filterListProblem");
        QVERIFY(problem);
        QCOMPARE(problem->text(),
                 QString("filters.txt: not a filter list: the file is binary (NUL bytes)"));
        problem->close();
        QVERIFY(f.queued().isEmpty());
    }
};

QTEST_MAIN(TestFilterDialogs)
#include "test_filterdialogs.moc"
