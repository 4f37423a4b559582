#include "checkboxnode.h"
#include "comboboxnode.h"
#include "customcheckbox.h"
#include "customcombobox.h"
#include "customdoublespinbox.h"
#include "custompushbutton.h"
#include "customslider.h"
#include "dacmodelnode.h"
#include "devicenodes.h"
#include "doublespinboxnode.h"
#include "firmwareversionnode.h"
#include "hubqueue.h"
#include "labelnode.h"
#include "levelnode.h"
#include "outputnode.h"
#include "parambinding.h"
#include "paramhub.h"
#include "paramtree.h"
#include "paramtreeview.h"
#include "peqnode.h"
#include "peqsnode.h"
#include "settingsjson.h"
#include "testsupport.h"
#include "volumeslider.h"
#include "xoverfilternode.h"
#include "xovernode.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <memory>

namespace {

// Value nodes under "Analog Output 3" (1-based index in its path), in a hub of their own
// whose queue shows what a user edit would write.
struct Fixture
{
    ParamHub hub;
    QList<Node*> params;
    Node root;
    const NodeArgs rootArgs{&root, &params, &hub};
    std::vector<std::unique_ptr<QWidget>> views;
    Node* channel = new Node(rootArgs, "Analog Output 3", make_indexed_path_segment(2, 3), "");
    NodeArgs args = channel->childArgs(rootArgs);

    Fixture() { root.children.append(channel); }
    template <typename T, typename... A> T* add(A&&... a)
    {
        auto* node = new T(args, std::forward<A>(a)...);
        channel->children.append(node);
        return node;
    }
    // A view of the node, as the parameter tree shows it.
    template <typename W, typename N> W* viewOf(N* node)
    {
        auto* widget = new W;
        views.emplace_back(widget);
        ParamBinding::bind(node, widget);
        return widget;
    }
};

QStringList rowTexts(QTreeWidgetItem* item)
{
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts << item->child(i)->text(0) + QLatin1Char('=') + item->child(i)->text(1);
    return texts;
}

// The node's own member of a settings file, as the node takes it.
SettingsLoad readMember(Node* node, const QJsonValue& value)
{
    SettingsLoad load;
    node->readJson(QJsonObject{{node->name, value}}, load);
    return load;
}

// Refused by name, and the node's wire form left as it was.
bool refusesMember(Node* node, const QJsonValue& value)
{
    const QByteArray before = node->serialize();
    const SettingsLoad load = readMember(node, value);
    return load.loaded.isEmpty() && load.refused == QStringList{"Analog Output 3/" + node->name} &&
           node->serialize() == before;
}

// A refused payload leaves the node's wire form as it was.
bool refuses(Node* node, const QByteArray& payload)
{
    const QByteArray before = node->serialize();
    return !node->deserialize(payload) && node->serialize() == before;
}

} // namespace

class TestValueNodes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void labelTravelsAsCodePoints()
    {
        Fixture f;
        auto* label = f.add<LabelNode>();
        QSignalSpy announced(&f.hub, &ParamHub::channelLabelChanged);
        const QByteArray sub = hex("53000000 75000000 62000000") + QByteArray(52, '\0'); // "Sub"
        QVERIFY(label->deserialize(sub));
        QCOMPARE(label->text(), QStringLiteral("Sub"));
        QCOMPARE(label->serialize(), sub);
        QVERIFY(label->deserialize(QByteArray(64, '\0'))); // empty: the channel's own name
        QCOMPARE(announced.last().at(1).toString(), QStringLiteral("Output 3"));
        // Sixteen code points fill the block without a terminator.
        const QByteArray full = hex("41000000").repeated(15) + hex("2d4e0000"); // A..A U+4E2D
        QVERIFY(label->deserialize(full));
        QCOMPARE(label->text(), QString(15, QLatin1Char('A')) + QChar(0x4E2D));
        QVERIFY(refuses(label, QByteArray(63, '\0')) && refuses(label, QByteArray(68, 'A')));
        // Labels from the device are announced, not written back; a rename is written once.
        QCOMPARE(announced.size(), 3);
        QVERIFY(drain(f.hub).isEmpty());
        label->setText(QStringLiteral("Tweeter L"), ChangeSource::User);
        QCOMPARE(drain(f.hub), QList<int>({label->paramIndex}));
        QCOMPARE(announced.last(), QVariantList({2, QStringLiteral("Tweeter L")}));
    }

    void checkBoxMirrorsAndEnqueuesOnce()
    {
        Fixture f;
        auto* mute = f.add<CheckBoxNode>(QStringLiteral("Mute"), make_path_segment(9));
        auto* own = f.viewOf<CustomCheckBox>(mute);
        CustomCheckBox box;
        CustomPushButton button;
        button.setCheckable(true);
        ParamBinding::bind(mute, &box);
        ParamBinding::bind(mute, &button);
        QVERIFY(mute->deserialize(hex("02")));
        QVERIFY(own->isChecked() && box.isChecked() && button.isChecked());
        QCOMPARE(mute->serialize(), hex("01"));
        QVERIFY(refuses(mute, QByteArray()) && refuses(mute, hex("0000")));
        QVERIFY(refusesMember(mute, 0) && own->isChecked());
        QCOMPARE(readMember(mute, false).loaded, QList<Node*>({mute}));
        QVERIFY(!button.isChecked() && !box.isChecked());
        QVERIFY(drain(f.hub).isEmpty());

        button.click();
        QCOMPARE(drain(f.hub), QList<int>({mute->paramIndex}));
        QVERIFY(own->isChecked() && box.isChecked());
    }

    void spinBoxNodeRefusesNonFiniteAndMirrors()
    {
        Fixture f;
        auto* volume = f.add<DoubleSpinBoxNode>(
            QStringLiteral("Volume"), make_path_segment(7),
            DoubleSpinBoxParams{-120.0, 3.0, 0.1, 0.0, QStringLiteral(" dB"), 1});
        auto* own = f.viewOf<CustomDoubleSpinBox>(volume);
        CustomDoubleSpinBox sb;
        VolumeSlider vs;
        ParamBinding::bind(volume, &sb);
        ParamBinding::bind(volume, &vs);
        // 1.5; 10 clamped; -1.26 rounded; -6.
        const std::pair<const char*, double> floats[] = {
            {"0000c03f", 1.5}, {"00002041", 3.0}, {"ae47a1bf", -1.3}, {"0000c0c0", -6.0}};
        for (const auto& [bytes, shown] : floats) {
            QVERIFY(volume->deserialize(hex(bytes)));
            QCOMPARE(sb.value(), shown);
        }
        QCOMPARE(volume->serialize(), hex("0000c0c0"));
        // NaN and infinities are refused: the spin box would take NaN as +3 dB.
        for (const char* bad : {"0000c07f", "0000807f", "000080ff", "0000c0", "0000c03f00"})
            QVERIFY2(refuses(volume, hex(bad)), bad);
        // A file's number beyond the range is refused, not clamped into it.
        for (const QJsonValue& bad :
             {QJsonValue("2"), QJsonValue(qInf()), QJsonValue(3.002), QJsonValue(-120.002)})
            QVERIFY(refusesMember(volume, bad));
        QCOMPARE(own->value(), -6.0);
        // What rounds to zero is a plain zero, never "-0.0" shown or 80 00 00 00 sent.
        QVERIFY(volume->deserialize(hex("00606088"))); // -6.8e-34
        QCOMPARE(volume->serialize(), hex("00000000"));
        readMember(volume, -1e-9);
        QVERIFY(volume->serialize() == hex("00000000") && !own->text().contains(QLatin1Char('-')));
        readMember(volume, -0.06);
        QCOMPARE(volume->value(), -0.1); // still rounds away from zero
        QCOMPARE(readMember(volume, 3.0005).loaded, QList<Node*>({volume}));
        QCOMPARE(volume->value(), 3.0);
        QVERIFY(drain(f.hub).isEmpty());

        // A user edit is one write, and every mirror follows.
        sb.setValueWithSignals(-3.0);
        QCOMPARE(drain(f.hub), QList<int>({volume->paramIndex}));
        QCOMPARE(own->value(), -3.0);
        QVERIFY(std::abs(vs.getValue() + 3.0) < 0.1);
    }

    // An index beyond the options is shown as "Unknown (N)", in the simple popup too, and is
    // written, saved and loaded as N until the user picks an option.
    void comboBoxNodeKeepsUnknownIndexAndMatchesText()
    {
        Fixture f;
        auto* source =
            f.add<ComboBoxNode>(QStringLiteral("Input Source"), make_path_segment(40),
                                QList<QString>{QStringLiteral("Digital"), QStringLiteral("USB"),
                                               QStringLiteral("Analog")},
                                1);
        auto* own = f.viewOf<CustomComboBox>(source);
        CustomComboBox second;
        ParamBinding::bind(source, &second);
        second.setSimplePopup(true);
        second.showPopup(); // the popup first built with the three options
        QVERIFY(source->deserialize(hex("ff")));
        QCOMPARE(source->serialize(), hex("ff"));
        QCOMPARE(own->currentText(), QStringLiteral("Unknown (255)"));
        second.showPopup(); // built anew; the first one goes once closed
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QList<QPushButton*> buttons = second.findChildren<QPushButton*>();
        QCOMPARE(buttons.size(), 4);
        QVERIFY(buttons[3]->text() == QStringLiteral("Unknown (255)") && buttons[3]->isChecked());
        second.hidePopup();
        QJsonObject saved;
        source->constructJson(saved);
        QCOMPARE(saved, QJsonObject({{"Input Source", "Unknown (255)"}}));

        // A known index takes the extra item away; the saved text brings the index back.
        QVERIFY(source->deserialize(hex("00")));
        QVERIFY(own->count() == 3 && second.count() == 3);
        QVERIFY(refuses(source, hex("0000")));
        for (const QJsonValue& bad : {QJsonValue("usb"), QJsonValue(2), QJsonValue("Unknown (1)"),
                                      QJsonValue("Unknown (256)")})
            QVERIFY(refusesMember(source, bad));
        QCOMPARE(own->currentIndex(), 0);
        QCOMPARE(readMember(source, saved.value("Input Source")).loaded, QList<Node*>({source}));
        QVERIFY(source->serialize() == hex("ff") && second.currentText() == own->currentText());
        readMember(source, "Analog");
        QCOMPARE(second.currentIndex(), 2);
        QVERIFY(drain(f.hub).isEmpty());
        second.setCurrentIndex(1);
        QCOMPARE(drain(f.hub), QList<int>({source->paramIndex}));
        QCOMPARE(source->serialize(), hex("01"));
    }

    void versionBlocksAreTerminated()
    {
        Fixture f;
        auto* firmware = f.add<FirmwareVersionNode>();
        auto* dac = f.add<DacModelNode>();
        auto bound = std::make_shared<QLabel>();
        auto* firmwareView = f.viewOf<QLabel>(firmware);
        ParamBinding::bind(firmware, bound.get());
        QVERIFY(firmware->deserialize(QByteArray("1.2.3") + QByteArray(27, '\0')));
        QCOMPARE(firmwareView->text(), QStringLiteral("1.2.3"));
        // Bytes after the first zero are not part of the text; Latin-1 throughout.
        QVERIFY(dac->deserialize(QByteArray("AK4493\xe9\0junk", 11) + QByteArray(21, '\0')));
        QCOMPARE(dac->text(), QStringLiteral("AK4493\u00e9"));
        QVERIFY(!firmware->deserialize(QByteArray(32, 'x')) &&
                !firmware->deserialize(QByteArray(33, 0)));
        QCOMPARE(bound->text(), QStringLiteral("1.2.3"));
    }

    void levelTruncatesAndFloors()
    {
        Fixture f;
        auto* level = f.add<LevelNode>();
        auto* bar = f.viewOf<QProgressBar>(level);
        const std::pair<const char*, const char*> levels[] = {
            {"000048c3", "-150 dB"}, // -200
            {"33334bc1", "-12 dB"},  // -12.7
            {"0000c07f", "-12 dB"},  // NaN: accepted, ignored
            {"000080ff", "-150 dB"}, // -infinity: the floor
            {"00004040", "3 dB"}};   // no upper limit
        for (const auto& [bytes, text] : levels) {
            QVERIFY(level->deserialize(hex(bytes)));
            QCOMPARE(bar->text(), QLatin1String(text));
        }
        QVERIFY(!level->deserialize(hex("0000")));
        QVERIFY(drain(f.hub).isEmpty());
    }

    // The parameter tree view: a row per node, editors that are views like any other,
    // filter rows that follow the device, and buttons that ask for the dialogs.
    void paramTreeViewRowsEditorsAndButtons()
    {
        ParamTree tree;
        ParamHub& hub = *tree.hub;
        ParamTreeView view;
        view.showTree(&tree);
        QCOMPARE(view.topLevelItemCount(), 15 + 2 + 8);
        const auto editorOf = [&view](const Node* node) {
            return view.itemWidget(view.itemOf(node), 1);
        };

        XoverFilterNode* hp = tree.getXoverNodes().first()->filter(true);
        QCOMPARE(rowTexts(view.itemOf(hp)).mid(0, 2), QStringList({"Type=None", "Freq=10 Hz"}));
        QCOMPARE(rowTexts(view.itemOf(hp)->child(5)),
                 QStringList({"A1=0", "A2=0", "B0=1", "B1=0", "B2=0"}));
        PEQNode* band = *tree.getOutputNode(0)->getPEQSNode()->getPEQNode(0);
        QByteArray payload = band->serialize();
        payload.replace(0, 1, hex("03")).replace(13, 4, hex("00008000")); // peak, a1 0.5
        QVERIFY(band->deserialize(payload));
        QCOMPARE(rowTexts(view.itemOf(band)).at(0), QStringLiteral("Type=Peak"));
        QCOMPARE(rowTexts(view.itemOf(band)->child(4)).at(0), QStringLiteral("A1=0.5"));

        QSignalSpy crossover(&hub, &ParamHub::crossoverRequested);
        QSignalSpy equalizer(&hub, &ParamHub::equalizerRequested);
        OutputNode* third = tree.getOutputNode(2);
        qobject_cast<QPushButton*>(editorOf(third->getXoverNode()))->click();
        qobject_cast<QPushButton*>(editorOf(third->getPEQSNode()))->click();
        QCOMPARE(crossover.at(0).at(0).toInt(), 2);
        QCOMPARE(equalizer.at(0).at(0).value<PEQSNode*>(), third->getPEQSNode());

        // The tree's editor and a strip's box show one node: an edit in either is one write
        // and shows in the other, through the node alone.
        auto* treeBox = qobject_cast<CustomDoubleSpinBox*>(editorOf(tree.masterVolumeNode()));
        CustomDoubleSpinBox strip;
        ParamBinding::bind(tree.masterVolumeNode(), &strip);
        hub.clearQueueOfUpdates();
        strip.setValueWithSignals(-12.34);
        QCOMPARE(treeBox->value(), -12.3);
        treeBox->setValueWithSignals(-4.0);
        QCOMPARE(strip.value(), -4.0);
        int queued = -1;
        QVERIFY(hub.dequeueParamIndex(queued) && queued == tree.masterVolumeNode()->paramIndex);
        QVERIFY(!hub.dequeueParamIndex(queued));
        QCOMPARE(tree.masterVolumeNode()->serialize(), hex("000080c0"));

        // Choosing a preset in any of its boxes is announced, never queued.
        QSignalSpy presetChanged(&hub, &ParamHub::presetChanged);
        CustomComboBox presetBox;
        ParamBinding::bind(tree.getPresetNode(), &presetBox);
        presetBox.setCurrentIndex(2);
        QCOMPARE(qobject_cast<QComboBox*>(editorOf(tree.getPresetNode()))->currentIndex(), 2);
        QCOMPARE(presetChanged.count(), 1);
        QVERIFY(!hub.dequeueParamIndex(queued));
    }
};

QTEST_MAIN(TestValueNodes)
#include "test_valuenodes.moc"
