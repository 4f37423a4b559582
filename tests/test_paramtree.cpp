#include "channelparamnodes.h"
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
#include <cstring>

namespace {

// "Analog Output 1/Xover/HP": names from the top level down, as the device table writes them.
QString namePath(const Node* node)
{
    QStringList names;
    for (; node && node->parent; node = node->parent)
        names.prepend(node->name);
    return names.join(QLatin1Char('/'));
}

QByteArray floatBytes(float value)
{
    QByteArray bytes(4, 0);
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
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
private Q_SLOTS:
    // The device's own table (written from the device documentation, not from this
    // tree) against every parameter the tool builds: index, name, kind, path and size.
    void everyParameterMatchesTheDeviceTable()
    {
        TreeWidget hub;
        ParamTree tree(&hub);
        QCOMPARE(firmwareParamCount, 165);
        QCOMPARE(tree.subsetToList(ParamTree::All)->size(), firmwareParamCount);
        for (int i = 0; i < firmwareParamCount; ++i) {
            const FirmwareParam& expected = firmwareParams[i];
            Node* node = tree.getParamNode(ParamTree::All, i);
            QVERIFY2(node, qPrintable(QString::number(i)));
            QCOMPARE(node->paramIndex, i);
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

    void subsets()
    {
        TreeWidget hub;
        ParamTree tree(&hub);
        QList<int> levels;
        for (Node* node : *tree.subsetToList(ParamTree::Levels))
            levels << node->paramIndex;
        QCOMPARE(levels, QList<int>({21, 29, 38, 54, 70, 86, 102, 118, 134, 150}));
        const QList<Node*>& settings = *tree.subsetToList(ParamTree::Settings);
        QCOMPARE(settings.size(), 126);
        QCOMPARE(settings.first()->name, QStringLiteral("Ch 1-2 Filter"));
        QCOMPARE(settings.first()->paramIndex, 13);
        for (Node* node : settings)
            QVERIFY(node->persistent && !node->readOnly && node->typeTag != QLatin1String("label"));
        QVERIFY(!tree.subsetToList(static_cast<ParamTree::ParamSubset>(3)));
    }

    void gettersAtAndPastTheirEnds()
    {
        TreeWidget hub;
        ParamTree tree(&hub);
        QCOMPARE(namePath(tree.getParamNode(ParamTree::All, 164)),
                 QStringLiteral("Analog Output 8/Sources/Digital Input 2"));
        QVERIFY(!tree.getParamNode(ParamTree::All, 165));
        QVERIFY(!tree.getParamNode(ParamTree::All, -1));
        QVERIFY(!tree.getParamNode(static_cast<ParamTree::ParamSubset>(3), 0));
        QCOMPARE(tree.getParamNode(ParamTree::Levels, 0)->paramIndex, 21);
        QCOMPARE(tree.getParamNode(ParamTree::Levels, 2)->paramIndex, 38);
        QVERIFY(!tree.getParamNode(ParamTree::Levels, 10));
        QVERIFY(!tree.getParamNode(ParamTree::Settings, 126));
        QVERIFY(tree.getInputNode(1) && !tree.getInputNode(2) && !tree.getInputNode(-1));
        QVERIFY(tree.getOutputNode(7) && !tree.getOutputNode(8));
        QCOMPARE(tree.getXoverNodes().size(), 8);
        QCOMPARE(tree.getParamNode(ParamTree::All, 43)->makePath(),
                 QByteArray::fromHex("82010d0f"));
        QCOMPARE(tree.getParamNode(ParamTree::All, 0)->makePath(), QByteArray::fromHex("11"));

        auto* master = static_cast<DoubleSpinBoxNode*>(tree.getParamNode(ParamTree::All, 2));
        QVERIFY(tree.deserializeParam(ParamTree::All, 2, floatBytes(-10.0f)));
        QCOMPARE(master->value(), -10.0);
        QVERIFY(!tree.deserializeParam(ParamTree::All, 2, QByteArray(3, 0)));
        QVERIFY(!tree.deserializeParam(ParamTree::All, 165, floatBytes(1.0f)));
        QCOMPARE(master->value(), -10.0);
    }

    void pathTreeAgreesWithTheDevice()
    {
        TreeWidget hub;
        ParamTree tree(&hub);
        QVector<path_tree_item> own = tree.constructPathTree();
        QCOMPARE(own.size(), 242);
        QVERIFY(tree.verifyPathTree(own));
        // The device's tree, built from its own table, resolves every path the same way.
        QVERIFY(tree.verifyPathTree(buildFirmwarePathTree()));
        QCOMPARE(buildFirmwarePathTree().size(), 242);

        // Exchange the parameter values of two leaves.
        QList<int> leaves;
        for (int i = 0; i < own.size(); ++i) {
            const path_tree_item& item = own.at(i);
            if (path_tree_item_not_null(item) &&
                !(path_tree_item_value(item) & PATH_TREE_INNER_FLAG))
                leaves << i;
        }
        const int first = leaves.value(0, -1), second = leaves.value(1, -1);
        QVERIFY(first >= 0 && second > first);
        std::swap(own[first].bytes[2], own[second].bytes[2]);
        std::swap(own[first].bytes[3], own[second].bytes[3]);
        QVERIFY(!tree.verifyPathTree(own));
        QVERIFY(!tree.verifyPathTree({}));
    }

    void outputChannelLayout()
    {
        TreeWidget hub;
        ParamTree tree(&hub);
        OutputNode* third = tree.getOutputNode(2);
        QCOMPARE(childNames(third),
                 QStringList({"Label", "Level", "Volume", "Mute", "Invert", "Subwoofer Channel",
                              "Xover", "PEQ", "Delay", "Sources"}));
        QCOMPARE(childNames(third->children.last()),
                 QStringList({"Digital Input 1", "Digital Input 2"}));
        auto* button =
            qobject_cast<QPushButton*>(hub.itemWidget(third->getXoverNode()->treeItem, 1));
        QVERIFY(button);
        QCOMPARE(button->property("channelIndex").toInt(), 2);
        QSignalSpy xover(&hub, &TreeWidget::xoverButtonClicked);
        third->clickXoverButton();
        QCOMPARE(xover.count(), 1);
        QCOMPARE(xover.at(0).at(0).toInt(), 2);
        QSignalSpy peq(&hub, &TreeWidget::peqButtonClicked);
        third->clickPeqButton();
        QCOMPARE(peq.at(0).at(0).value<PEQSNode*>(), third->getPEQSNode());

        QCOMPARE(third->getPEQSNode()->getOutputChannelIndex(), std::optional<int>(2));
        QCOMPARE(tree.getOutputNode(7)->getPEQSNode()->getOutputChannelIndex(),
                 std::optional<int>(7));
        PEQSNode* inputBank = tree.getInputNode(0)->getPEQSNode();
        QVERIFY(!inputBank->getOutputChannelIndex());
        QVERIFY(inputBank->isInputNode());
        QVERIFY(!third->getPEQSNode()->isInputNode());
        QCOMPARE(inputBank->getChannelName(), QStringLiteral("Digital Input 1"));
        QCOMPARE(tree.getInputNode(1)->makePath(), QByteArray::fromHex("8302"));
        QCOMPARE(tree.getInputNode(1)->children.at(1)->makePath(), QByteArray::fromHex("830207"));
    }

    void digitalOutputsAndAnalogSources()
    {
        TreeWidget hub;
        QList<Node*> params;
        Node root;
        NodeArgs args{&root, &params, &hub, nullptr};
        DigitalOutputNode digital(args, 1, 1, 2);
        QVERIFY(!childNames(&digital).contains(QStringLiteral("Delay")));
        QVERIFY(!digital.getDelayNode());
        QCOMPARE(digital.makePath(), QByteArray::fromHex("8401"));
        QCOMPARE(childNames(digital.children.last()),
                 QStringList({"Analog Input 1", "Digital Input 1", "Digital Input 2"}));
        QCOMPARE(digital.children.last()->children.first()->makePath(),
                 QByteArray::fromHex("84011081"
                                     "01"));
        AnalogInputNode analog(args, 1);
        QCOMPARE(analog.name, QStringLiteral("Analog Input 1"));
        QVERIFY(analog.getPEQSNode()->isInputNode());
    }

    void freshFilterRowsAndRejectedPayloads()
    {
        TreeWidget hub;
        ParamTree tree(&hub);
        XoverFilterNode* hp = tree.getXoverNodes().first()->filter(true);
        QStringList rows = rowTexts(hp->treeItem);
        QCOMPARE(rows.mid(0, 2), QStringList({"Type=None", "Freq=10 Hz"}));
        QCOMPARE(rows.size(), 6); // Type, Freq, Block1..Block4
        QCOMPARE(rowTexts(hp->treeItem->child(2)),
                 QStringList({"A1=0", "A2=0", "B0=1", "B1=0", "B2=0"}));

        PEQNode* band = *tree.getOutputNode(0)->getPEQSNode()->getPEQNode(0);
        QCOMPARE(rowTexts(band->treeItem).mid(0, 4),
                 QStringList({"Type=None", "Freq=10 Hz", "Q=0.50", "Gain=0.0 dB"}));
        const QByteArray before = band->serialize();
        QByteArray typeNine = before;
        typeNine[0] = 9;
        QVERIFY(!band->deserialize(typeNine));
        QVERIFY(!band->deserialize(before.left(32)));
        QCOMPARE(band->serialize(), before);

        // A band from the device is taken with its coefficients as sent.
        QByteArray peak = before;
        peak[0] = 3;
        peak.replace(13, 4, QByteArray::fromHex("00008000")); // a1 = 0.5 in 8.24
        QVERIFY(band->deserialize(peak));
        QCOMPARE(band->getPEQParams().type, PEQType::PEAK);
        QCOMPARE(band->coefficients().a1, 0.5);
        QCOMPARE(rowTexts(band->treeItem).at(0), QStringLiteral("Type=Peak"));
        QCOMPARE(rowTexts(band->treeItem->child(4)).at(0), QStringLiteral("A1=0.5"));

        QByteArray xover = hp->serialize();
        xover[0] = 11;
        QVERIFY(!hp->deserialize(xover));
        QVERIFY(!hp->deserialize(xover.left(85)));
        xover[0] = 6;
        xover[1] = 2; // anything but 1 reads as lowpass
        QVERIFY(hp->deserialize(xover));
        XoverParams params;
        hp->getXoverParams(params);
        QCOMPARE(params.type, XoverType::LR_24);
        QVERIFY(!params.highpass);
        QCOMPARE(rowTexts(hp->treeItem).at(0), QStringLiteral("Type=Linkwitz-Riley, 24 dB/oct"));

        PEQSNode* bank = tree.getOutputNode(0)->getPEQSNode();
        const PEQParams outside = bank->getPEQParams(5);
        QCOMPARE(outside.type, PEQType::NONE);
        QCOMPARE(outside.frequency, 10.0);
        QCOMPARE(outside.gain, 0.0);
        QCOMPARE(outside.q, 0.5);
        QVERIFY(!bank->getPEQNode(-1) && !bank->getPEQNode(5));
        QCOMPARE(bank->getPEQParamIndex(5), -1);
        QCOMPARE(bank->getPEQParamIndex(0), 45);
        QCOMPARE(tree.getXoverNodes().first()->getParamIndex(false), 44);
    }

    void deviceWideNodesAndBindings()
    {
        TreeWidget hub;
        ParamTree tree(&hub);
        auto* ak = static_cast<ComboBoxNode*>(tree.getParamNode(ParamTree::All, 13));
        QCOMPARE(ak->currentIndex(), 2);
        QCOMPARE(ak->serialize(), QByteArray::fromHex("02"));
        QCOMPARE(static_cast<ComboBoxNode*>(tree.getParamNode(ParamTree::All, 17))->currentIndex(),
                 0);

        // Choosing a preset is announced, never queued as a write.
        CustomComboBox presetBox, inputBox;
        tree.bindPreset(&presetBox, &inputBox);
        QSignalSpy presetChanged(&hub, &TreeWidget::presetChanged);
        QSignalSpy enqueued(&hub, &TreeWidget::paramEnqueuedForUpdate);
        presetBox.setCurrentIndex(2);
        QCOMPARE(presetChanged.count(), 1);
        QCOMPARE(enqueued.count(), 0);
        QCOMPARE(static_cast<ComboBoxNode*>(tree.getParamNode(ParamTree::All, 0))->currentIndex(),
                 2);
        inputBox.setCurrentIndex(1);
        int queued = -1;
        QVERIFY(hub.dequeueParamIndex(queued));
        QCOMPARE(queued, 7);

        CustomCheckBox box;
        tree.bindSubwooferChannel(8, &box);
        tree.bindSubwooferChannel(-1, &box);
        box.setChecked(true);
        QVERIFY(!hub.dequeueParamIndex(queued));
        tree.bindSubwooferChannel(2, &box);
        box.setChecked(false);
        box.setChecked(true);
        QVERIFY(hub.dequeueParamIndex(queued));
        QCOMPARE(queued, 37 + 16 * 2 + 5);
        QVERIFY(static_cast<CheckBoxNode*>(tree.getParamNode(ParamTree::All, queued))->isChecked());
    }
};

QTEST_MAIN(TestParamTree)
#include "test_paramtree.moc"
