#include "channellink.h"
#include "channelparamnodes.h"
#include "checkboxnode.h"
#include "devicenodes.h"
#include "doublespinboxnode.h"
#include "edithistory.h"
#include "firmwaretable.h"
#include "hubqueue.h"
#include "inputnode.h"
#include "labelnode.h"
#include "outputnode.h"
#include "paramhub.h"
#include "paramtree.h"
#include "peqdesign.h"
#include "peqnode.h"
#include "peqsnode.h"
#include "settingsjson.h"
#include "xoverdesign.h"
#include "xoverfilternode.h"
#include "xovernode.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

namespace {

// "Analog Output 1/Xover/HP": names from the top level down, as the device table writes them.
QString namePath(const Node* node)
{
    QStringList names;
    for (; node && node->parent; node = node->parent)
        names.prepend(node->name);
    return names.join(QLatin1Char('/'));
}

QStringList childNames(const Node* node)
{
    QStringList names;
    for (const Node* child : node->children)
        names << child->name;
    return names;
}

QList<QByteArray> snapshot(ParamTree& tree)
{
    QList<QByteArray> values;
    for (Node* node : *tree.subsetToList(ParamTree::All))
        values << node->serialize();
    return values;
}

SettingsLoad load(ParamTree& tree, const QJsonValue& value)
{
    QJsonDocument document =
        value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    return tree.readJsonDocument(document);
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

} // namespace

class TestParamTree : public QObject
{
    Q_OBJECT
    ParamTree tree;
    ParamHub& hub = *tree.hub;

private Q_SLOTS:
    // The device's own table (written from the device documentation, not from this
    // tree) against every parameter the tool builds: index, name, kind, path and size.
    void everyParameterMatchesTheDeviceTable()
    {
        QCOMPARE(tree.subsetToList(ParamTree::All)->size(), firmwareParamCount);
        for (int i = 0; i < firmwareParamCount; ++i) {
            const FirmwareParam& expected = firmwareParams[i];
            Node* node = tree.getParamNode(ParamTree::All, i);
            QVERIFY2(node && node->paramIndex == i, qPrintable(QString::number(i)));
            QCOMPARE(namePath(node), QString::fromLatin1(expected.name));
            QCOMPARE(node->typeTag, QString::fromLatin1(expected.kind));
            QCOMPARE(node->makePath().toHex(), firmwareParamPath(expected).toHex());
            const QByteArray value = node->serialize();
            QCOMPARE(value.size(), expected.size);
            // Settings start where the device starts after a reset.
            if (!node->readOnly)
                QCOMPARE(value.toHex(), firmwareParamInitialValue(expected).toHex());
        }
    }

    void subsetsGettersAndPathTree()
    {
        QList<int> levels;
        for (Node* node : *tree.subsetToList(ParamTree::Levels))
            levels << node->paramIndex;
        QCOMPARE(levels, QList<int>({21, 29, 38, 54, 70, 86, 102, 118, 134, 150}));
        QCOMPARE(tree.subsetToList(ParamTree::Settings)->size(), 126);
        QCOMPARE(tree.constructPathTree().size(), 242);
        const auto bad = static_cast<ParamTree::ParamSubset>(3);
        QVERIFY(!tree.subsetToList(bad) && !tree.getParamNode(bad, 0));
        QVERIFY(!tree.getParamNode(ParamTree::All, 165) && !tree.getParamNode(ParamTree::All, -1));
        QVERIFY(!tree.getParamNode(ParamTree::Levels, 10) &&
                tree.getParamNode(ParamTree::Levels, 9));
        QVERIFY(tree.getInputNode(1) && !tree.getInputNode(2) && !tree.getInputNode(-1));
        QVERIFY(tree.getOutputNode(7) && !tree.getOutputNode(8));

        auto* master = static_cast<DoubleSpinBoxNode*>(tree.getParamNode(ParamTree::All, 2));
        QVERIFY(tree.deserializeParam(ParamTree::All, 2, QByteArray::fromHex("00002041"))); // 10
        QVERIFY(!tree.deserializeParam(ParamTree::All, 2, QByteArray(3, 0)));
        QVERIFY(!tree.deserializeParam(ParamTree::All, 165, QByteArray(4, 0)));
        QCOMPARE(master->value(), 3.0); // clamped to the maximum

        QVector<path_tree_item> own = tree.constructPathTree();
        QVERIFY(tree.verifyPathTree(own) && tree.verifyPathTree(buildFirmwarePathTree()));
        QVERIFY(!tree.verifyPathTree({}));
        // Exchange the parameter values of the first two leaves.
        QList<int> leaves;
        for (int i = 0; leaves.size() < 2; ++i)
            if (path_tree_item_not_null(own[i]) &&
                !(path_tree_item_value(own[i]) & PATH_TREE_INNER_FLAG))
                leaves << i;
        std::swap(own[leaves[0]].bytes[2], own[leaves[1]].bytes[2]);
        std::swap(own[leaves[0]].bytes[3], own[leaves[1]].bytes[3]);
        QVERIFY(!tree.verifyPathTree(own));
    }

    void channelLayoutAndRequests()
    {
        // An analog output's children in order: the device table check above.
        OutputNode* third = tree.getOutputNode(2);
        QSignalSpy crossover(&hub, &ParamHub::crossoverRequested);
        QSignalSpy equalizer(&hub, &ParamHub::equalizerRequested);
        third->requestCrossover();
        third->requestEqualizer();
        QCOMPARE(crossover.at(0).at(0).toInt(), 2);
        QCOMPARE(equalizer.at(0).at(0).value<PEQSNode*>(), third->getPEQSNode());
        QCOMPARE(third->getPEQSNode()->getOutputChannelIndex(), std::optional<int>(2));
        QVERIFY(!tree.getInputNode(0)->getPEQSNode()->getOutputChannelIndex());

        QList<Node*> params;
        Node root;
        DigitalOutputNode digital(NodeArgs{&root, &params, &hub}, 1, 1, 2);
        QVERIFY(!childNames(&digital).contains(QStringLiteral("Delay")) && !digital.getDelayNode());
        QCOMPARE(childNames(digital.children.last()),
                 QStringList({"Analog Input 1", "Digital Input 1", "Digital Input 2"}));
    }

    void filterPayloads()
    {
        XoverFilterNode* hp = tree.getXoverNodes().first()->filter(true);
        PEQSNode* bank = tree.getOutputNode(0)->getPEQSNode();
        PEQNode* band = *bank->getPEQNode(0);
        const QByteArray bandBefore = band->serialize(), hpBefore = hp->serialize();
        const auto with = [](QByteArray b, int at, const char* h) {
            return b.replace(at, int(qstrlen(h)) / 2, QByteArray::fromHex(h));
        };
        // Type 9, 32 bytes, a NaN gain or frequency (test_faultmatrix plants the q and a
        // crossover's frequency on the device).
        for (const QByteArray& bad :
             {with(bandBefore, 0, "09"), bandBefore.left(32), with(bandBefore, 1, "0000c07f"),
              with(bandBefore, 5, "0000c07f")})
            QVERIFY(!band->deserialize(bad));
        QVERIFY(!hp->deserialize(with(hpBefore, 0, "0b")) && !hp->deserialize(hpBefore.left(85)));
        QCOMPARE(band->serialize(), bandBefore);
        QCOMPARE(hp->serialize(), hpBefore);

        // A band from the device is taken with its coefficients as sent.
        QVERIFY(band->deserialize(with(with(bandBefore, 0, "03"), 13, "00008000"))); // a1 0.5
        QCOMPARE(band->coefficients().a1, 0.5);

        const PEQParams outside = bank->getPEQParams(5);
        QVERIFY(outside.type == PEQType::NONE && outside.frequency == 10.0 && outside.q == 0.5);
        QVERIFY(!bank->getPEQNode(-1) && !bank->getPEQNode(5) && bank->getPEQParamIndex(5) == -1);
    }

    // The user's choice of a preset is announced, never queued; any other user change is
    // queued, a device's or a file's never. Every change is announced with its source.
    void whoseChangesAreQueued()
    {
        QSignalSpy presetChanged(&hub, &ParamHub::presetChanged);
        QSignalSpy changed(&hub, &ParamHub::valueChanged);
        hub.clearQueueOfUpdates();
        tree.getPresetNode()->setCurrentIndex(2, ChangeSource::User);
        tree.getPresetNode()->setCurrentIndex(1, ChangeSource::Device);
        tree.inputSourceNode()->setCurrentIndex(1, ChangeSource::User);
        SubwooferChannelNode* sub = tree.getOutputNode(2)->subwooferChannelNode();
        sub->setChecked(true, ChangeSource::Device);
        sub->setChecked(false, ChangeSource::User);
        tree.masterVolumeNode()->setValue(-5.0, ChangeSource::File); // Write All sends it
        sub->setChecked(true, ChangeSource::User); // queued once, where it was first
        QCOMPARE(presetChanged.count(), 1);
        QCOMPARE(changed.count(), 7);
        QCOMPARE(changed.at(3),
                 QVariantList({37 + 16 * 2 + 5, QVariant::fromValue(ChangeSource::Device)}));
        const int master = tree.masterVolumeNode()->paramIndex;
        QCOMPARE(changed.at(5), QVariantList({master, QVariant::fromValue(ChangeSource::File)}));
        QVERIFY(hub.isQueued(7) && !hub.isQueued(master));
        int queued = -1;
        QVERIFY(hub.dequeueParamIndex(queued) && queued == 7);
        QVERIFY(hub.dequeueParamIndex(queued) && queued == 37 + 16 * 2 + 5);
        QVERIFY(!hub.dequeueParamIndex(queued) && !hub.isQueued(7));
    }

    // Steps: a different parameter in between, or a second's pause, starts a new step. Undo
    // and redo queue the parameter like an edit, and an equalizer band or a crossover side
    // comes back byte for byte. Steps are named after the channel's label.
    void editHistorySteps()
    {
        ParamTree own;
        EditHistory history(&own);
        OutputNode* output = own.getOutputNode(0);
        output->labelNode()->setText(QStringLiteral("Tweeter L"), ChangeSource::Device);
        VolumeNode* volume = output->volumeNode();
        const QByteArray bandBefore = output->getPEQSNode()->getPEQNode(2).value()->serialize();
        const QByteArray sideBefore = output->getXoverNode()->children.first()->serialize();

        volume->setValue(-5.0, ChangeSource::User);
        QCoreApplication::processEvents();
        output->muteNode()->setChecked(true, ChangeSource::User);
        QCoreApplication::processEvents();
        volume->setValue(-6.0, ChangeSource::User);
        volume->setValue(-6.0, ChangeSource::User); // no change, no step
        QCOMPARE(history.undoCount(), 3);
        QCOMPARE(history.undoText(), QStringLiteral("Tweeter L volume"));
        drain(*own.hub);
        history.undo();
        QCOMPARE(volume->value(), -5.0);
        QCOMPARE(drain(*own.hub), QList<int>{volume->paramIndex});
        QCOMPARE(history.undoText(), QStringLiteral("Tweeter L mute"));
        history.redo();
        QCOMPARE(volume->value(), -6.0);
        QCOMPARE(drain(*own.hub), QList<int>{volume->paramIndex});

        history.clear();
        volume->setValue(-10.0, ChangeSource::User);
        QCoreApplication::processEvents();
        QTest::qWait(1100);
        volume->setValue(-11.0, ChangeSource::User);
        QCoreApplication::processEvents();
        QCOMPARE(history.undoCount(), 2);

        const PEQParams band{PEQType::PEAK, 1234.0, 4.5, 3.3};
        output->getPEQSNode()->setPEQParamsAndCoeffs(2, band, calcPEQCoeffs(band),
                                                     ChangeSource::User);
        const XoverParams side{XoverType::BW_18, true, 321.0};
        output->getXoverNode()->setXoverParamsAndCoeffs(true, side, calcXoverCoeffs(side),
                                                        ChangeSource::User);
        QCOMPARE(history.undoText(), QStringLiteral("2 settings"));
        history.undo();
        QCOMPARE(output->getPEQSNode()->getPEQNode(2).value()->serialize().toHex(),
                 bandBefore.toHex());
        QCOMPARE(output->getXoverNode()->children.first()->serialize().toHex(), sideBefore.toHex());
        history.redo();
        QCOMPARE(output->getPEQSNode()->getPEQParams(2).frequency, 1234.0);

        // A link mirrors the user's edits only: not the device's, and not an undo of an edit
        // made before the link (the partner took no part in it, and redo would not restore it).
        ChannelLink link(&own, &history);
        PEQSNode* peqs = output->getPEQSNode();
        PEQSNode* partner = own.getOutputNode(1)->getPEQSNode();
        partner->setPEQParamsAndCoeffs(2, band, calcPEQCoeffs(band), ChangeSource::Device);
        link.setLinked(1, true);
        QVERIFY(link.isLinked(0) && link.linkedPairs() == QList<int>{1});
        history.undo();
        QCOMPARE(peqs->getPEQNode(2).value()->serialize().toHex(), bandBefore.toHex());
        QCOMPARE(partner->getPEQParams(2).frequency, 1234.0);
        const PEQParams dip{PEQType::PEAK, 500.0, -4.0, 1.0};
        peqs->setPEQParamsAndCoeffs(2, dip, calcPEQCoeffs(dip), ChangeSource::Device);
        QCOMPARE(partner->getPEQParams(2).frequency, 1234.0);
        history.clear();
        const PEQParams lift{PEQType::PEAK, 2000.0, 3.0, 1.0};
        peqs->setPEQParamsAndCoeffs(2, lift, calcPEQCoeffs(lift), ChangeSource::User);
        QCOMPARE(partner->getPEQParams(2).frequency, 2000.0);
        QCOMPARE(history.undoCount(), 1);
        history.undo();
        QCOMPARE(peqs->getPEQParams(2).frequency, 500.0);
        QCOMPARE(partner->getPEQParams(2).frequency, 1234.0);
    }

    // The settings file, each case in trees of its own.
    // Twelve top-level members, none of the read-only or non-persistent nodes; a document
    // saved as text and loaded into a fresh tree brings every setting over bit for bit.
    void documentAndRoundTrip()
    {
        ParamTree tree;
        OutputNode* out = tree.getOutputNode(5);
        XoverParams hp{XoverType::LR_24, true, 80.3};
        out->getXoverNode()->setXoverParamsAndCoeffs(true, hp, calcXoverCoeffs(hp),
                                                     ChangeSource::User);
        PEQParams peak{PEQType::PEAK, 1234.5, -3.3, 2.71};
        out->getPEQSNode()->setPEQParamsAndCoeffs(2, peak, calcPEQCoeffs(peak), ChangeSource::User);
        // Volume -7.3 dB, delay 1.37 ms, Digital Input 2 as a source.
        const std::pair<int, const char*> values[] = {
            {2, "9a99e9c0"}, {13, "295caf3f"}, {15, "01"}};
        for (const auto& [at, value] : values)
            QVERIFY(tree.deserializeParam(ParamTree::All, 37 + 16 * 5 + at,
                                          QByteArray::fromHex(value)));
        QJsonDocument document;
        tree.constructJsonDocument(document);
        const QJsonObject doc = document.object();
        QCOMPARE(doc.size(), 12);
        QCOMPARE(doc.value("Analog Output 4").toObject().keys(),
                 QStringList({"Delay", "Invert", "Mute", "PEQ", "Sources", "Volume", "Xover"}));
        QCOMPARE(doc.value("Digital Input 2").toObject().keys(),
                 QStringList({"Mute", "PEQ", "Volume"}));

        ParamTree other;
        ParamHub& otherHub = *other.hub;
        const SettingsLoad loaded =
            load(other, QJsonDocument::fromJson(document.toJson(QJsonDocument::Indented)).object());
        QVERIFY(loaded.refused.isEmpty());
        QCOMPARE(loaded.loaded, *other.subsetToList(ParamTree::Settings));
        for (Node* node : *tree.subsetToList(ParamTree::Settings))
            QCOMPARE(other.getParamNode(ParamTree::All, node->paramIndex)->serialize().toHex(),
                     node->serialize().toHex());
        int index = -1;
        QVERIFY(!otherHub.dequeueParamIndex(index)); // loading never queues a write
    }

    // A file's band or crossover is taken as the device's would be: a known type word and
    // finite numbers (+15 dB, 9.998 Hz), unless no finite filter can be designed from them.
    // A refusal names the member and leaves the filter whole.
    void filterBoundsAndTypeWords()
    {
        ParamTree tree;
        PEQNode* eq1 = *tree.getOutputNode(0)->getPEQSNode()->getPEQNode(0);
        auto eq1File = [](const QJsonObject& b) { return outputFile("PEQ", "EQ1", b); };
        load(tree, eq1File(band("PEAK", 9.998, 1.0, 15.0)));
        PEQParams params = eq1->getPEQParams();
        QVERIFY(params.type == PEQType::PEAK && params.frequency == 9.998 && params.gain == 15.0);
        const QByteArray accepted = eq1->serialize();
        QJsonObject untyped = band("PEAK", 200.0, 1.0, 1.0), numericType = untyped;
        untyped.remove("Type");
        numericType["Type"] = 3;
        const QString eq1Path = QStringLiteral("Analog Output 1/PEQ/EQ1");
        const std::pair<QJsonObject, QStringList> refusals[] = {
            {band("peak", 100.0, 1.0, 3.0), {eq1Path + "/Type"}},
            {untyped, {eq1Path + "/Type"}},
            {numericType, {eq1Path + "/Type"}},
            {band("PEAK", qQNaN(), 1.0, qInf()), {eq1Path + "/Freq", eq1Path + "/Gain"}},
            {band("PEAK", 100.0, 0.0, 3.0), {eq1Path}}, // Q 0 designs no filter
        };
        for (const auto& [b, names] : refusals) {
            const SettingsLoad result = load(tree, eq1File(b));
            QCOMPARE(result.refused, names);
            QVERIFY(result.loaded.isEmpty());
        }
        QCOMPARE(eq1->serialize(), accepted);
        // Coefficients are designed anew, whatever the file's "Coeffs" says.
        QJsonObject withCoeffs = band("HP12", 500.0, 0.707, 0.0);
        withCoeffs["Coeffs"] = QJsonObject{{"A1", 9}, {"B0", 9}};
        QCOMPARE(load(tree, eq1File(withCoeffs)).loaded, QList<Node*>({eq1}));
        QCOMPARE(eq1->coefficients().b0, calcPEQCoeffs(eq1->getPEQParams()).b0);

        XoverFilterNode* hp = tree.getXoverNodes().first()->filter(true);
        const auto hpFile = [](const QJsonObject& o) { return outputFile("Xover", "HP", o); };
        load(tree, hpFile({{"Type", "LR_24"}, {"Freq", 80}, {"Block1", QJsonObject{{"A1", 5}}}}));
        XoverParams xover;
        hp->getXoverParams(xover);
        QVERIFY(xover.type == XoverType::LR_24 && xover.frequency == 80.0);
        QCOMPARE(hp->coefficients().sections[0].a1, calcXoverCoeffs(xover).sections[0].a1);
        const QByteArray before = hp->serialize();
        const QString hpPath = QStringLiteral("Analog Output 1/Xover/HP");
        const std::pair<QJsonObject, QStringList> xoverRefusals[] = {
            {{{"Freq", 500}}, {hpPath + "/Type"}},
            {{{"Type", "lr_24"}, {"Freq", 80}}, {hpPath + "/Type"}},
            {{{"Type", "BW_12"}, {"Freq", "500"}}, {hpPath + "/Freq"}},
            {{{"Type", "CH_12"}, {"Freq", 0}}, {hpPath}}, // no Chebyshev high-pass at 0 Hz
        };
        for (const auto& [o, names] : xoverRefusals)
            QCOMPARE(load(tree, hpFile(o)).refused, names);
        QCOMPARE(hp->serialize(), before);
    }

    // Only the members a saved file holds are taken; every other member is named (in any
    // order) and changes nothing, however well formed: the write after a load would not
    // send it, and the window would show what the device does not have.
    void otherMembersAreRefusedByName()
    {
        ParamTree tree;
        const QList<QByteArray> fresh = snapshot(tree);
        const SettingsLoad none = load(tree, QJsonArray{1, 2, 3});
        QVERIFY(none.loaded.isEmpty() && none.refused.isEmpty());
        SettingsLoad result = load(
            tree, QJsonObject{{"Analog Output 2", QJsonObject{{"Mute", 1},
                                                              {"Invert", "true"},
                                                              {"Volume", "-3"},
                                                              {"Volumes", -3},
                                                              {"Label", "Sub"},
                                                              {"Subwoofer Channel", true}}},
                              {"DAC SABRE", QJsonObject{{"Filter", "fast roll-off minimum phase"}}},
                              {"Digital Input 1", 5},
                              {"Analog Output 9", QJsonObject()},
                              {"Master Volume", -12},
                              {"Preset", "2"},
                              {"Auto Input", true},
                              {"Firmware Version", "9.9"}});
        QVERIFY(result.loaded.isEmpty());
        std::sort(result.refused.begin(), result.refused.end());
        QCOMPARE(result.refused,
                 QStringList({"Analog Output 2/Invert", "Analog Output 2/Label",
                              "Analog Output 2/Mute", "Analog Output 2/Subwoofer Channel",
                              "Analog Output 2/Volume", "Analog Output 2/Volumes",
                              "Analog Output 9", "Auto Input", "DAC SABRE/Filter",
                              "Digital Input 1", "Firmware Version", "Master Volume", "Preset"}));
        QCOMPARE(snapshot(tree), fresh);
        // A file holding only one output's delay changes only that delay.
        const int delayIndex = 37 + 16 * 2 + 13;
        result = load(tree, QJsonObject{{"Analog Output 3", QJsonObject{{"Delay", 2.5}}}});
        QCOMPARE(result.loaded, QList<Node*>({tree.getParamNode(ParamTree::All, delayIndex)}));
        QList<QByteArray> after = snapshot(tree);
        QCOMPARE(after[delayIndex].toHex(), QByteArray("00002040")); // 2.5
        after[delayIndex] = fresh[delayIndex];
        QCOMPARE(after, fresh);
    }
};

QTEST_GUILESS_MAIN(TestParamTree)
#include "test_paramtree.moc"
