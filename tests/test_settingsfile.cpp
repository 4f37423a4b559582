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

void load(ParamTree& tree, const QJsonValue& value)
{
    QJsonDocument document =
        value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    tree.readJsonDocument(document);
}

// {"Analog Output 1": {group: {member: object}}}
QJsonObject outputFile(const char* group, const char* member, const QJsonObject& object)
{
    return {{"Analog Output 1", QJsonObject{{group, QJsonObject{{member, object}}}}}};
}

QJsonObject band(const char* type, double freq, double q, double gain)
{
    return {{"Type", type}, {"Freq", freq}, {"Q", q}, {"Gain", gain}};
}

DoubleSpinBoxNode* spinBoxAt(ParamTree& tree, int index)
{
    return static_cast<DoubleSpinBoxNode*>(tree.getParamNode(ParamTree::All, index));
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Twelve top-level members, none of the read-only or non-persistent nodes; a document
    // saved as text and loaded into a fresh tree brings every setting over bit for bit.
    void documentAndRoundTrip()
    {
        TreeWidget hub;
        ParamTree tree(&hub);
        OutputNode* out = tree.getOutputNode(5);
        XoverParams hp{XoverType::LR_24, true, 80.3};
        out->getXoverNode()->setXoverParamsAndCoeffs(true, hp, calcXoverCoeffs(hp));
        PEQParams peak{PEQType::PEAK, 1234.5, -3.3, 2.71};
        out->getPEQSNode()->setPEQParamsAndCoeffs(2, peak, calcPEQCoeffs(peak));
        spinBoxAt(tree, 37 + 16 * 5 + 2)->setValueSilently(-7.3);  // volume
        spinBoxAt(tree, 37 + 16 * 5 + 13)->setValueSilently(1.37); // delay
        static_cast<CheckBoxNode*>(tree.getParamNode(ParamTree::All, 37 + 16 * 5 + 15))
            ->setCheckedSilently(true);
        QJsonDocument document;
        tree.constructJsonDocument(document);
        const QJsonObject doc = document.object();
        QCOMPARE(doc.size(), 12);
        QVERIFY(doc.contains("DAC AK449X") && doc.contains("Analog Output 8"));
        QCOMPARE(doc.value("Analog Output 4").toObject().keys(),
                 QStringList({"Delay", "Invert", "Mute", "PEQ", "Sources", "Volume", "Xover"}));
        QCOMPARE(doc.value("Digital Input 2").toObject().keys(),
                 QStringList({"Mute", "PEQ", "Volume"}));

        TreeWidget otherHub;
        ParamTree other(&otherHub);
        load(other, QJsonDocument::fromJson(document.toJson(QJsonDocument::Indented)).object());
        for (Node* node : *tree.subsetToList(ParamTree::Settings))
            QCOMPARE(other.getParamNode(ParamTree::All, node->paramIndex)->serialize().toHex(),
                     node->serialize().toHex());
        int index = -1;
        QVERIFY(!otherHub.dequeueParamIndex(index)); // loading never queues a write
    }

    void boundsAndTypeWords()
    {
        TreeWidget hub;
        ParamTree tree(&hub);
        PEQNode* eq1 = *tree.getOutputNode(0)->getPEQSNode()->getPEQNode(0);
        auto eq1File = [](const QJsonObject& b) { return outputFile("PEQ", "EQ1", b); };
        load(tree, eq1File(band("PEAK", 9.9995, 1.0, 3.0)));
        QCOMPARE(eq1->getPEQParams().frequency, 9.9995);
        load(tree, eq1File(band("LOW_SHELF", 100.0, 1.0, 12.0005)));
        QCOMPARE(eq1->getPEQParams().gain, 12.0005);
        const QByteArray accepted = eq1->serialize();
        // Out of bounds, missing or numeric type: the band stays whole.
        QJsonObject untyped = band("PEAK", 200.0, 1.0, 1.0), numericType = untyped;
        untyped.remove("Type");
        numericType["Type"] = 3;
        for (const QJsonObject& b :
             {band("PEAK", 9.998, 1.0, 3.0), band("PEAK", 100.0, 1.0, 12.002),
              band("PEAK", qQNaN(), 1.0, 3.0), band("PEAK", 100.0, 1.0, qInf()),
              band("PEAK", 100.0, 0.4989, 3.0), untyped, numericType})
            load(tree, eq1File(b));
        QCOMPARE(eq1->serialize(), accepted);
        // Coefficients are designed anew, whatever the file's "Coeffs" says.
        QJsonObject withCoeffs = band("HP12", 500.0, 0.707, 0.0);
        withCoeffs["Coeffs"] = QJsonObject{{"A1", 9}, {"B0", 9}};
        load(tree, eq1File(withCoeffs));
        QCOMPARE(eq1->coefficients().b0, calcPEQCoeffs(eq1->getPEQParams()).b0);

        XoverFilterNode* hp = tree.getXoverNodes().first()->filter(true);
        load(tree,
             outputFile("Xover", "HP",
                        {{"Type", "LR_24"}, {"Freq", 80}, {"Block1", QJsonObject{{"A1", 5}}}}));
        XoverParams params;
        hp->getXoverParams(params);
        QVERIFY(params.type == XoverType::LR_24 && params.frequency == 80.0);
        QCOMPARE(hp->coefficients().sections[0].a1, calcXoverCoeffs(params).sections[0].a1);
        load(tree, outputFile("Xover", "HP", {{"Type", "lr_24"}, {"Freq", 80}}));
        hp->getXoverParams(params);
        QCOMPARE(params.type, XoverType::NONE);
        const QByteArray before = hp->serialize();
        load(tree, outputFile("Xover", "HP", {{"Freq", 500}}));
        load(tree, outputFile("Xover", "HP", {{"Type", "BW_12"}, {"Freq", 25000.002}}));
        load(tree, outputFile("Xover", "HP", {{"Type", "BW_12"}, {"Freq", "500"}}));
        QCOMPARE(hp->serialize(), before);
    }

    void badMembersAreIgnoredOneByOne()
    {
        TreeWidget hub;
        ParamTree tree(&hub);
        const QList<QByteArray> fresh = snapshot(tree);
        load(tree, QJsonArray{1, 2, 3});
        load(tree,
             QJsonObject{{"Analog Output 2",
                          QJsonObject{{"Mute", 1}, {"Invert", "true"}, {"Volume", "-3"}}},
                         {"DAC SABRE", QJsonObject{{"Filter", "fast roll-off minimum phase"}}},
                         {"Digital Input 1", 5}});
        QCOMPARE(snapshot(tree), fresh);
        // A file holding only one output's delay changes only that delay.
        load(tree, QJsonObject{{"Analog Output 3", QJsonObject{{"Delay", 2.5}}}});
        QList<QByteArray> after = snapshot(tree);
        const int delayIndex = 37 + 16 * 2 + 13;
        QCOMPARE(spinBoxAt(tree, delayIndex)->value(), 2.5);
        after[delayIndex] = fresh[delayIndex];
        QCOMPARE(after, fresh);
    }
};

QTEST_MAIN(TestSettingsFile)
#include "test_settingsfile.moc"
