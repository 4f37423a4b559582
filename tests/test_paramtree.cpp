#include "checkboxnode.h"
#include "comboboxnode.h"
#include "customcheckbox.h"
#include "customcombobox.h"
#include "doublespinboxnode.h"
#include "firmwaretable.h"
#include "inputnode.h"
#include "outputnode.h"
#include "paramtree.h"
#include "peqnode.h"
#include "peqsnode.h"
#include "treewidget.h"
#include "xoverfilternode.h"
#include "xovernode.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidgetItem>
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

QStringList rowTexts(QTreeWidgetItem* item)
{
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts << item->child(i)->text(0) + QLatin1Char('=') + item->child(i)->text(1);
    return texts;
}

QStringList childNames(const Node* node)
{
    QStringList names;
    for (const Node* child : node->children)
        names << child->name;
    return names;
}

} // namespace

class TestParamTree : public QObject
{
    Q_OBJECT
    TreeWidget hub;
    ParamTree tree{&hub};

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
        const QList<Node*>& settings = *tree.subsetToList(ParamTree::Settings);
        QCOMPARE(settings.size(), 126);
        QCOMPARE(settings.first()->paramIndex, 13);
        for (Node* node : settings)
            QVERIFY(node->isSetting() && node->typeTag != QLatin1String("label"));
        const auto bad = static_cast<ParamTree::ParamSubset>(3);
        QVERIFY(!tree.subsetToList(bad) && !tree.getParamNode(bad, 0));
        QVERIFY(!tree.getParamNode(ParamTree::All, 165) && !tree.getParamNode(ParamTree::All, -1));
        QVERIFY(!tree.getParamNode(ParamTree::Levels, 10));
        QVERIFY(!tree.getParamNode(ParamTree::Settings, 126));
        QVERIFY(tree.getInputNode(1) && !tree.getInputNode(2) && !tree.getInputNode(-1));
        QVERIFY(tree.getOutputNode(7) && !tree.getOutputNode(8));

        auto* master = static_cast<DoubleSpinBoxNode*>(tree.getParamNode(ParamTree::All, 2));
        QVERIFY(tree.deserializeParam(ParamTree::All, 2, QByteArray::fromHex("00002041"))); // 10
        QVERIFY(!tree.deserializeParam(ParamTree::All, 2, QByteArray(3, 0)));
        QVERIFY(!tree.deserializeParam(ParamTree::All, 165, QByteArray(4, 0)));
        QCOMPARE(master->value(), 3.0); // clamped to the maximum

        QVector<path_tree_item> own = tree.constructPathTree();
        QCOMPARE(own.size(), 242);
        QVERIFY(tree.verifyPathTree(own));
        QVERIFY(tree.verifyPathTree(buildFirmwarePathTree()));
        QVERIFY(!tree.verifyPathTree({}));
        // Exchange the parameter values of the first two leaves.
        QList<int> leaves;
        for (int i = 0; i < own.size() && leaves.size() < 2; ++i) {
            if (path_tree_item_not_null(own[i]) &&
                !(path_tree_item_value(own[i]) & PATH_TREE_INNER_FLAG))
                leaves << i;
        }
        std::swap(own[leaves[0]].bytes[2], own[leaves[1]].bytes[2]);
        std::swap(own[leaves[0]].bytes[3], own[leaves[1]].bytes[3]);
        QVERIFY(!tree.verifyPathTree(own));
    }

    void channelLayoutAndButtons()
    {
        OutputNode* third = tree.getOutputNode(2);
        QCOMPARE(childNames(third),
                 QStringList({"Label", "Level", "Volume", "Mute", "Invert", "Subwoofer Channel",
                              "Xover", "PEQ", "Delay", "Sources"}));
        auto* button =
            qobject_cast<QPushButton*>(hub.itemWidget(third->getXoverNode()->treeItem, 1));
        QCOMPARE(button->property("channelIndex").toInt(), 2);
        QSignalSpy peq(&hub, &TreeWidget::peqButtonClicked);
        third->clickPeqButton();
        QCOMPARE(peq.at(0).at(0).value<PEQSNode*>(), third->getPEQSNode());
        QCOMPARE(third->getPEQSNode()->getOutputChannelIndex(), std::optional<int>(2));
        QCOMPARE(tree.getOutputNode(7)->getPEQSNode()->getOutputChannelIndex(),
                 std::optional<int>(7));
        QVERIFY(!tree.getInputNode(0)->getPEQSNode()->getOutputChannelIndex());

        QList<Node*> params;
        Node root;
        DigitalOutputNode digital(NodeArgs{&root, &params, &hub, nullptr}, 1, 1, 2);
        QVERIFY(!childNames(&digital).contains(QStringLiteral("Delay")) && !digital.getDelayNode());
        QCOMPARE(childNames(digital.children.last()),
                 QStringList({"Analog Input 1", "Digital Input 1", "Digital Input 2"}));
    }

    void filterRowsAndRejectedPayloads()
    {
        XoverFilterNode* hp = tree.getXoverNodes().first()->filter(true);
        QCOMPARE(rowTexts(hp->treeItem).mid(0, 2), QStringList({"Type=None", "Freq=10 Hz"}));
        QCOMPARE(rowTexts(hp->treeItem->child(5)),
                 QStringList({"A1=0", "A2=0", "B0=1", "B1=0", "B2=0"}));
        PEQSNode* bank = tree.getOutputNode(0)->getPEQSNode();
        PEQNode* band = *bank->getPEQNode(0);
        const QByteArray bandBefore = band->serialize(), hpBefore = hp->serialize();
        QByteArray typeNine = bandBefore, typeEleven = hpBefore;
        typeNine[0] = 9;
        typeEleven[0] = 11;
        QVERIFY(!band->deserialize(typeNine) && !band->deserialize(bandBefore.left(32)));
        QVERIFY(!hp->deserialize(typeEleven) && !hp->deserialize(hpBefore.left(85)));
        // A number that is not finite refuses the whole filter: a band's gain, frequency or
        // q, a crossover's frequency.
        for (const float bad : {std::numeric_limits<float>::quiet_NaN(), HUGE_VALF, -HUGE_VALF}) {
            const QByteArray b(reinterpret_cast<const char*>(&bad), 4);
            for (int at : {1, 5, 9})
                QVERIFY(!band->deserialize(QByteArray(bandBefore).replace(at, 4, b)));
            QVERIFY(!hp->deserialize(QByteArray(hpBefore).replace(2, 4, b)));
        }
        QCOMPARE(band->serialize(), bandBefore);
        QCOMPARE(hp->serialize(), hpBefore);

        // A band from the device is taken with its coefficients as sent.
        QByteArray peak = bandBefore;
        peak[0] = 3;
        peak.replace(13, 4, QByteArray::fromHex("00008000")); // a1 = 0.5 in 8.24
        QVERIFY(band->deserialize(peak));
        QCOMPARE(band->coefficients().a1, 0.5);
        QCOMPARE(rowTexts(band->treeItem).at(0), QStringLiteral("Type=Peak"));
        QCOMPARE(rowTexts(band->treeItem->child(4)).at(0), QStringLiteral("A1=0.5"));
        typeEleven[0] = 6;
        QVERIFY(hp->deserialize(typeEleven));
        QCOMPARE(rowTexts(hp->treeItem).at(0), QStringLiteral("Type=Linkwitz-Riley, 24 dB/oct"));

        const PEQParams outside = bank->getPEQParams(5);
        QVERIFY(outside.type == PEQType::NONE && outside.frequency == 10.0 && outside.q == 0.5);
        QVERIFY(!bank->getPEQNode(-1) && !bank->getPEQNode(5));
        QCOMPARE(bank->getPEQParamIndex(5), -1);
        QCOMPARE(bank->getPEQParamIndex(0), 45);
    }

    void deviceWideBindings()
    {
        // Choosing a preset is announced, never queued; the input source is.
        CustomComboBox presetBox, inputBox;
        tree.bindPreset(&presetBox, &inputBox);
        QSignalSpy presetChanged(&hub, &TreeWidget::presetChanged);
        hub.clearQueueOfUpdates();
        presetBox.setCurrentIndex(2);
        inputBox.setCurrentIndex(1);
        QCOMPARE(presetChanged.count(), 1);
        int queued = -1;
        QVERIFY(hub.dequeueParamIndex(queued) && queued == 7);
        QVERIFY(!hub.dequeueParamIndex(queued));

        CustomCheckBox box;
        tree.bindSubwooferChannel(8, &box);
        tree.bindSubwooferChannel(-1, &box);
        box.setChecked(true);
        QVERIFY(!hub.dequeueParamIndex(queued));
        tree.bindSubwooferChannel(2, &box);
        box.setChecked(false);
        box.setChecked(true);
        QVERIFY(hub.dequeueParamIndex(queued) && queued == 37 + 16 * 2 + 5);
    }
};

QTEST_MAIN(TestParamTree)
#include "test_paramtree.moc"
