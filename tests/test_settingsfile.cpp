#include "checkboxnode.h"
#include "doublespinboxnode.h"
#include "outputnode.h"
#include "paramtree.h"
#include "peqdesign.h"
#include "peqnode.h"
#include "peqsnode.h"
#include "treewidget.h"
#include "xoverdesign.h"
#include "xoverfilternode.h"
#include "xovernode.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

namespace {

QList<QByteArray> snapshot(ParamTree& tree)
{
    QList<QByteArray> values;
    for (Node* node : *tree.subsetToList(ParamTree::All))
        values << node->serialize();
    return values;
}

QJsonObject save(ParamTree& tree)
{
    QJsonDocument document;
    tree.constructJsonDocument(document);
    return document.object();
}

void load(ParamTree& tree, const QJsonObject& object)
{
    QJsonDocument document(object);
    tree.readJsonDocument(document);
}

QJsonObject band(const char* type, double freq, double q, double gain)
{
    return {{"Type", type}, {"Freq", freq}, {"Q", q}, {"Gain", gain}};
}

// {"Analog Output 1": {"PEQ": {"EQ1": band}}}
QJsonObject outputBandFile(const QJsonObject& bandObject)
{
    return {{"Analog Output 1", QJsonObject{{"PEQ", QJsonObject{{"EQ1", bandObject}}}}}};
}

QJsonObject outputXoverFile(const QJsonObject& filter)
{
    return {{"Analog Output 1", QJsonObject{{"Xover", QJsonObject{{"HP", filter}}}}}};
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void freshTreeDocument()
    {
        TreeWidget hub;
        ParamTree tree(&hub);
        const QJsonObject doc = save(tree);
        QStringList expected = {"DAC AK449X", "DAC SABRE", "Digital Input 1", "Digital Input 2"};
        for (int i = 1; i <= 8; ++i)
            expected << QStringLiteral("Analog Output %1").arg(i);
        expected.sort();
        QCOMPARE(doc.keys(), expected);
        const QJsonObject output = doc.value("Analog Output 4").toObject();
        QCOMPARE(output.keys(),
                 QStringList({"Delay", "Invert", "Mute", "PEQ", "Sources", "Volume", "Xover"}));
        QCOMPARE(output.value("Sources").toObject(),
                 QJsonObject({{"Digital Input 1", false}, {"Digital Input 2", false}}));
        QCOMPARE(doc.value("Digital Input 2").toObject().keys(),
                 QStringList({"Mute", "PEQ", "Volume"}));
        const QJsonObject hp = output.value("Xover").toObject().value("HP").toObject();
        QCOMPARE(hp.value("Type").toString(), QStringLiteral("NONE"));
        QCOMPARE(hp.value("Freq").toDouble(), 10.0);
        QCOMPARE(hp.value("Block4").toObject(),
                 QJsonObject({{"A1", 0}, {"A2", 0}, {"B0", 1}, {"B1", 0}, {"B2", 0}}));
        const QJsonObject eq = output.value("PEQ").toObject().value("EQ5").toObject();
        QCOMPARE(eq.value("Type").toString(), QStringLiteral("NONE"));
        QCOMPARE(eq.value("Freq").toDouble(), 10.0);
        QCOMPARE(eq.value("Q").toDouble(), 0.5);
        QCOMPARE(eq.value("Gain").toDouble(), 0.0);
        QVERIFY(eq.value("Coeffs").isObject());
        QCOMPARE(doc.value("DAC AK449X").toObject().value("Ch 5-6 Filter").toString(),
                 QStringLiteral("Short delay sharp roll-off"));
        QCOMPARE(doc.value("DAC SABRE").toObject().keys(),
                 QStringList({"2nd Harmonic", "3rd Harmonic", "ADD Filter", "Filter"}));
    }

    void roundTripThroughTextChangesNothing()
    {
        TreeWidget hub;
        ParamTree tree(&hub);
        OutputNode* out = tree.getOutputNode(5);
        XoverParams hp{XoverType::LR_24, true, 80.3};
        out->getXoverNode()->setXoverParamsAndCoeffs(true, hp, calcXoverCoeffs(hp));
        PEQParams peak{PEQType::PEAK, 1234.5, -3.3, 2.71};
        out->getPEQSNode()->setPEQParamsAndCoeffs(2, peak, calcPEQCoeffs(peak));
        static_cast<DoubleSpinBoxNode*>(tree.getParamNode(ParamTree::All, 37 + 16 * 5 + 2))
            ->setValueSilently(-7.3);
        static_cast<DoubleSpinBoxNode*>(tree.getParamNode(ParamTree::All, 37 + 16 * 5 + 13))
            ->setValueSilently(1.37);
        static_cast<CheckBoxNode*>(tree.getParamNode(ParamTree::All, 37 + 16 * 5 + 15))
            ->setCheckedSilently(true);
        static_cast<DoubleSpinBoxNode*>(tree.getParamNode(ParamTree::All, 18))
            ->setValueSilently(-42);

        QJsonDocument document;
        tree.constructJsonDocument(document);
        const QByteArray text = document.toJson(QJsonDocument::Indented);
        const QList<QByteArray> before = snapshot(tree);

        // Into the same tree: nothing moves.
        QJsonDocument parsed = QJsonDocument::fromJson(text);
        tree.readJsonDocument(parsed);
        QCOMPARE(snapshot(tree), before);

        // Into a fresh tree: every setting arrives, bit for bit on the wire.
        TreeWidget otherHub;
        ParamTree other(&otherHub);
        other.readJsonDocument(parsed);
        for (Node* node : *tree.subsetToList(ParamTree::Settings))
            QCOMPARE(other.getParamNode(ParamTree::All, node->paramIndex)->serialize().toHex(),
                     node->serialize().toHex());
        // Loading never queues a write; the caller decides.
        int index = -1;
        QVERIFY(!otherHub.dequeueParamIndex(index));
    }

    void boundsAreWidenedByOneThousandth()
    {
        TreeWidget hub;
        ParamTree tree(&hub);
        PEQNode* eq1 = *tree.getOutputNode(0)->getPEQSNode()->getPEQNode(0);
        load(tree, outputBandFile(band("PEAK", 9.9995, 1.0, 3.0)));
        QCOMPARE(eq1->getPEQParams().frequency, 9.9995);
        QCOMPARE(eq1->getPEQParams().type, PEQType::PEAK);
        const QByteArray accepted = eq1->serialize();

        load(tree, outputBandFile(band("LOW_SHELF", 9.998, 1.0, 3.0)));
        QCOMPARE(eq1->serialize(), accepted);
        load(tree, outputBandFile(band("LOW_SHELF", 100.0, 1.0, 12.002)));
        QCOMPARE(eq1->serialize(), accepted);
        load(tree, outputBandFile(band("LOW_SHELF", 100.0, 0.4989, 3.0)));
        QCOMPARE(eq1->serialize(), accepted);
        load(tree, outputBandFile(band("LOW_SHELF", 100.0, 1.0, 12.0005)));
        QCOMPARE(eq1->getPEQParams().gain, 12.0005);
        QCOMPARE(eq1->getPEQParams().type, PEQType::LOW_SHELF);
        // Coefficients are designed anew, whatever the file's "Coeffs" says.
        QJsonObject withCoeffs = band("HP12", 500.0, 0.707, 0.0);
        withCoeffs.insert("Coeffs",
                          QJsonObject{{"A1", 9}, {"A2", 9}, {"B0", 9}, {"B1", 9}, {"B2", 9}});
        load(tree, outputBandFile(withCoeffs));
        QCOMPARE(eq1->coefficients().b0, calcPEQCoeffs(eq1->getPEQParams()).b0);
        QVERIFY(eq1->coefficients().b0 != 9.0);
        // Missing "Type" or a non-string type leaves the band alone.
        const QByteArray designed = eq1->serialize();
        QJsonObject untyped = band("PEAK", 200.0, 1.0, 1.0);
        untyped.remove("Type");
        load(tree, outputBandFile(untyped));
        QJsonObject numericType = band("PEAK", 200.0, 1.0, 1.0);
        numericType.insert("Type", 3);
        load(tree, outputBandFile(numericType));
        QCOMPARE(eq1->serialize(), designed);
    }

    void crossoverTypeWords()
    {
        TreeWidget hub;
        ParamTree tree(&hub);
        XoverFilterNode* hp = tree.getXoverNodes().first()->filter(true);
        QJsonObject filter{{"Type", "LR_24"}, {"Freq", 80}, {"Block1", QJsonObject{{"A1", 5}}}};
        load(tree, outputXoverFile(filter));
        XoverParams params;
        hp->getXoverParams(params);
        QCOMPARE(params.type, XoverType::LR_24);
        QCOMPARE(params.frequency, 80.0);
        QVERIFY(params.highpass);
        const XoverCoeffs designed = calcXoverCoeffs(params);
        QCOMPARE(hp->coefficients().sections[0].a1, designed.sections[0].a1);

        filter.insert("Type", "lr_24");
        load(tree, outputXoverFile(filter));
        hp->getXoverParams(params);
        QCOMPARE(params.type, XoverType::NONE);

        const QByteArray before = hp->serialize();
        QJsonObject untyped{{"Freq", 500}};
        load(tree, outputXoverFile(untyped));
        load(tree, outputXoverFile(QJsonObject{{"Type", "BW_12"}, {"Freq", 25000.002}}));
        load(tree, outputXoverFile(QJsonObject{{"Type", "BW_12"}, {"Freq", "500"}}));
        QCOMPARE(hp->serialize(), before);
    }

    void badMembersAreIgnoredOneByOne()
    {
        TreeWidget hub;
        ParamTree tree(&hub);
        const QList<QByteArray> fresh = snapshot(tree);

        QJsonDocument array(QJsonArray{1, 2, 3});
        tree.readJsonDocument(array);
        QCOMPARE(snapshot(tree), fresh);

        load(tree,
             {{"Analog Output 2", QJsonObject{{"Mute", 1}, {"Invert", "true"}, {"Volume", "-3"}}},
              {"DAC SABRE", QJsonObject{{"Filter", "fast roll-off minimum phase"}}},
              {"Digital Input 1", 5}});
        QCOMPARE(snapshot(tree), fresh);

        // A file holding only one output's delay changes only that delay.
        load(tree, {{"Analog Output 3", QJsonObject{{"Delay", 2.5}}}});
        const QList<QByteArray> after = snapshot(tree);
        const int delayIndex = 37 + 16 * 2 + 13;
        for (int i = 0; i < fresh.size(); ++i) {
            if (i != delayIndex)
                QCOMPARE(after.at(i), fresh.at(i));
        }
        QCOMPARE(
            static_cast<DoubleSpinBoxNode*>(tree.getParamNode(ParamTree::All, delayIndex))->value(),
            2.5);

        // Members that saving never writes are still applied when present.
        load(tree, {{"Master Volume", -20.5}, {"Preset", "3"}});
        QCOMPARE(static_cast<DoubleSpinBoxNode*>(tree.getParamNode(ParamTree::All, 2))->value(),
                 -20.5);
        QCOMPARE(tree.getParamNode(ParamTree::All, 0)->serialize(), QByteArray::fromHex("02"));
    }
};

QTEST_MAIN(TestSettingsFile)
#include "test_settingsfile.moc"
