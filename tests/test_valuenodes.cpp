#include "checkboxnode.h"
#include "comboboxnode.h"
#include "customcheckbox.h"
#include "customcombobox.h"
#include "customdoublespinbox.h"
#include "customlineedit.h"
#include "custompushbutton.h"
#include "customslider.h"
#include "dacmodelnode.h"
#include "doublespinboxnode.h"
#include "firmwareversionnode.h"
#include "labelnode.h"
#include "levelnode.h"
#include "pluginversionnode.h"
#include "treewidget.h"
#include "volumemeter.h"
#include "volumeslider.h"

#include <QLabel>
#include <QProgressBar>
#include <QtTest>
#include <memory>

namespace {

// A channel-like inner node (indexed segment carrying the 1-based channel number) in a
// hub of its own; the hub's queue shows what a user edit would write.
struct Fixture
{
    TreeWidget hub;
    QList<Node*> params;
    Node root;
    Node* channel;
    NodeArgs args;

    Fixture()
    {
        NodeArgs rootArgs;
        rootArgs.parent = &root;
        rootArgs.params = &params;
        rootArgs.treeWidget = &hub;
        channel = new Node(rootArgs, QStringLiteral("Analog Output 3"),
                           make_indexed_path_segment(2, 3), QString());
        root.children.append(channel);
        args = channel->childArgs(rootArgs);
    }
    template <typename T, typename... A> T* add(A&&... a)
    {
        auto* node = new T(args, std::forward<A>(a)...);
        channel->children.append(node);
        return node;
    }
    template <typename W> W* widgetOf(Node* node)
    {
        return qobject_cast<W*>(hub.itemWidget(node->treeItem, 1));
    }
    QList<int> drain()
    {
        QList<int> indices;
        int index;
        while (hub.dequeueParamIndex(index))
            indices << index;
        return indices;
    }
};

QByteArray floatBytes(const char* hex)
{
    return QByteArray::fromHex(hex);
}

const DoubleSpinBoxParams volumeParams{-120.0, 3.0, 0.1, 0.0, QStringLiteral(" dB"), 1};
const DoubleSpinBoxParams harmonicParams{-100.0, 100.0, 1.0, 0.0, QString(), 0};

} // namespace

class TestValueNodes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void labelTravelsAsCodePoints()
    {
        Fixture f;
        auto* label = f.add<LabelNode>();
        auto* editor = f.widgetOf<CustomLineEdit>(label);
        QVERIFY(editor);
        QCOMPARE(label->name, QStringLiteral("Label"));
        QCOMPARE(label->makePath(), QByteArray::fromHex("820329"));
        QVERIFY(!label->isSetting());
        QCOMPARE(editor->maxLength(), 16);
        QCOMPARE(editor->property("channelIndex").toInt(), 2);
        QSignalSpy announced(&f.hub, &TreeWidget::channelLabelChanged);

        QVERIFY(label->deserialize(QByteArray::fromHex("53000000"
                                                       "75000000"
                                                       "62000000") +
                                   QByteArray(52, '\0')));
        QCOMPARE(label->text(), QStringLiteral("Sub"));
        QCOMPARE(label->serialize(), QByteArray::fromHex("53000000"    // S
                                                         "75000000"    // u
                                                         "62000000") + // b
                                         QByteArray(13 * 4, '\0'));
        // A label from the device is announced but not written back.
        QCOMPARE(announced.size(), 1);
        QCOMPARE(announced.at(0).at(1).toString(), QStringLiteral("Sub"));
        QVERIFY(f.drain().isEmpty());

        QVERIFY(label->deserialize(QByteArray(64, '\0')));
        QCOMPARE(label->text(), QString());
        QCOMPARE(announced.last().at(1).toString(), QStringLiteral("Output 3"));

        // Sixteen code points without a terminator.
        QByteArray full;
        for (int i = 0; i < 15; ++i)
            full += QByteArray::fromHex("41000000"); // A
        full += QByteArray::fromHex("2d4e0000");     // U+4E2D
        QVERIFY(label->deserialize(full));
        QCOMPARE(label->text(), QString(15, QLatin1Char('A')) + QChar(0x4E2D));
        QCOMPARE(label->serialize(), full);

        QVERIFY(!label->deserialize(QByteArray(63, '\0')));
        QVERIFY(!label->deserialize(QByteArray(68, 'A')));
        QCOMPARE(label->serialize(), full);

        // Renaming from the program queues the label once and announces it.
        label->setText(QStringLiteral("Tweeter L"));
        QCOMPARE(f.drain(), QList<int>({label->paramIndex}));
        QCOMPARE(announced.last().at(0).toInt(), 2);
        QCOMPARE(announced.last().at(1).toString(), QStringLiteral("Tweeter L"));
    }

    void checkBoxMirrorsAndEnqueuesOnce()
    {
        Fixture f;
        auto* mute = f.add<CheckBoxNode>(QStringLiteral("Mute"), make_path_segment(9));
        auto* own = f.widgetOf<CustomCheckBox>(mute);
        QVERIFY(own && !own->isChecked());
        QCOMPARE(own->property("paramIndex").toInt(), mute->paramIndex);
        QCOMPARE(mute->typeTag, QStringLiteral("checkbox"));
        CustomCheckBox box;
        CustomPushButton button;
        button.setCheckable(true);
        mute->bind(&box);
        mute->bind(&button);

        QVERIFY(mute->deserialize(QByteArray::fromHex("02")));
        QVERIFY(own->isChecked() && box.isChecked() && button.isChecked());
        QCOMPARE(mute->serialize(), QByteArray::fromHex("01"));
        QVERIFY(!mute->deserialize(QByteArray()));
        QVERIFY(!mute->deserialize(QByteArray::fromHex("0000")));
        QVERIFY(own->isChecked());
        QVERIFY(mute->deserialize(QByteArray::fromHex("00")));
        QCOMPARE(mute->serialize(), QByteArray::fromHex("00"));
        QVERIFY(!box.isChecked() && !button.isChecked());
        QVERIFY(f.drain().isEmpty());

        // A click on the strip's button is one write, and every mirror follows.
        button.click();
        QCOMPARE(f.drain(), QList<int>({mute->paramIndex}));
        QVERIFY(own->isChecked() && box.isChecked());
        box.setChecked(false);
        QCOMPARE(f.drain(), QList<int>({mute->paramIndex}));
        QVERIFY(!button.isChecked());

        QJsonObject json;
        mute->readJson(QJsonObject{{QStringLiteral("Mute"), QStringLiteral("true")}});
        mute->readJson(QJsonObject{{QStringLiteral("Mute"), 1}});
        QVERIFY(!own->isChecked());
        mute->readJson(QJsonObject{{QStringLiteral("Mute"), true}});
        QVERIFY(own->isChecked() && button.isChecked());
        QVERIFY(f.drain().isEmpty());
        mute->constructJson(json);
        QCOMPARE(json, QJsonObject({{QStringLiteral("Mute"), true}}));
    }

    void spinBoxNodeDecodesFloats()
    {
        Fixture f;
        auto* volume =
            f.add<DoubleSpinBoxNode>(QStringLiteral("Volume"), make_path_segment(7), volumeParams);
        auto* own = f.widgetOf<CustomDoubleSpinBox>(volume);
        QVERIFY(own);
        QCOMPARE(own->suffix(), QStringLiteral(" dB"));
        QCOMPARE(own->property("paramIndex").toInt(), volume->paramIndex);

        QVERIFY(volume->deserialize(floatBytes("0000c03f"))); // 1.5
        QCOMPARE(volume->value(), 1.5);
        QCOMPARE(volume->serialize(), floatBytes("0000c03f"));
        QVERIFY(volume->deserialize(floatBytes("00002041"))); // 10.0, clamped
        QCOMPARE(volume->value(), 3.0);
        QVERIFY(volume->deserialize(floatBytes("ae47a1bf"))); // -1.26, rounded
        QCOMPARE(volume->value(), -1.3);

        // Non-finite floats are refused; NaN would otherwise jump to the maximum.
        for (const char* bad : {"0000c07f",    // NaN
                                "0000807f",    // +infinity
                                "000080ff"}) { // -infinity
            QVERIFY(!volume->deserialize(floatBytes(bad)));
            QCOMPARE(volume->value(), -1.3);
        }
        QVERIFY(!volume->deserialize(floatBytes("0000c0")));
        QVERIFY(!volume->deserialize(floatBytes("0000c03f00")));
        QCOMPARE(volume->value(), -1.3);

        volume->readJson(QJsonObject{{QStringLiteral("Volume"), QStringLiteral("2")}});
        volume->readJson(QJsonObject{{QStringLiteral("Volume"), true}});
        QCOMPARE(volume->value(), -1.3);
        volume->readJson(QJsonObject{{QStringLiteral("Volume"), -6.5}});
        QCOMPARE(volume->value(), -6.5);
        QJsonObject json;
        volume->constructJson(json);
        QCOMPARE(json, QJsonObject({{QStringLiteral("Volume"), -6.5}}));
        QVERIFY(f.drain().isEmpty());
    }

    void spinBoxNodeBoundToSpinBoxAndFader()
    {
        Fixture f;
        auto* volume =
            f.add<DoubleSpinBoxNode>(QStringLiteral("Volume"), make_path_segment(7), volumeParams);
        auto* own = f.widgetOf<CustomDoubleSpinBox>(volume);
        CustomDoubleSpinBox sb;
        VolumeSlider vs;
        auto* fader = vs.findChild<CustomSlider*>(QStringLiteral("slider"));
        volume->bind(&sb, &vs);
        QCOMPARE(sb.maximum(), 3.0);
        QCOMPARE(sb.suffix(), QStringLiteral(" dB"));
        QCOMPARE(sb.property("paramIndex").toInt(), volume->paramIndex);
        QCOMPARE(vs.property("paramIndex").toInt(), volume->paramIndex);

        // Values from the device or a file reach every widget and queue nothing.
        QVERIFY(volume->deserialize(floatBytes("0000c0c0"))); // -6.0
        QCOMPARE(sb.value(), -6.0);
        QCOMPARE(fader->value(), 923);
        volume->readJson(QJsonObject{{QStringLiteral("Volume"), -12.0}});
        QCOMPARE(sb.value(), -12.0);
        QVERIFY(!volume->deserialize(floatBytes("0000c07f")));
        QCOMPARE(sb.value(), -12.0);
        QVERIFY(std::abs(vs.getValue() + 12.0) < 0.1);
        QVERIFY(f.drain().isEmpty());

        // A user edit in the strip's spin box: one write, every mirror follows.
        sb.setValueWithSignals(-3.0);
        QCOMPARE(f.drain(), QList<int>({volume->paramIndex}));
        QCOMPARE(own->value(), -3.0);
        QCOMPARE(volume->serialize(), floatBytes("000040c0"));
        QVERIFY(std::abs(vs.getValue() + 3.0) < 0.1);

        // A drag of the fader: one write per step, the spin boxes follow.
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(fader, &enter);
        fader->setValue(1230);
        QCOMPARE(f.drain(), QList<int>({volume->paramIndex}));
        QCOMPARE(own->value(), 3.0);
        QCOMPARE(sb.value(), 3.0);

        // An edit in the tree view's own spin box.
        own->setValueWithSignals(-20.0);
        QCOMPARE(f.drain(), QList<int>({volume->paramIndex}));
        QCOMPARE(sb.value(), -20.0);
        QVERIFY(std::abs(vs.getValue() + 20.0) < 0.1);
    }

    void spinBoxNodeBoundToPlainSlider()
    {
        Fixture f;
        auto* harmonic = f.add<DoubleSpinBoxNode>(QStringLiteral("2nd Harmonic"),
                                                  make_path_segment(30), harmonicParams);
        CustomDoubleSpinBox sb;
        CustomSlider slider;
        slider.setRange(-100, 100);
        harmonic->bind(&sb, &slider);
        QCOMPARE(sb.decimals(), 0);

        QVERIFY(harmonic->deserialize(floatBytes("cdcc2cc0"))); // -2.7
        QCOMPARE(harmonic->value(), -3.0);                      // rounded by the spin box
        QCOMPARE(slider.value(), -2);                           // truncated toward zero
        QVERIFY(f.drain().isEmpty());

        slider.setValue(40);
        QCOMPARE(f.drain(), QList<int>({harmonic->paramIndex}));
        QCOMPARE(harmonic->value(), 40.0);
        QCOMPARE(sb.value(), 40.0);
        sb.setValueWithSignals(-55.0);
        QCOMPARE(f.drain(), QList<int>({harmonic->paramIndex}));
        QCOMPARE(slider.value(), -55);

        // A spin box alone.
        auto* delay = f.add<DoubleSpinBoxNode>(
            QStringLiteral("Delay"), make_path_segment(8),
            DoubleSpinBoxParams{0.0, 15.0, 0.01, 0.0, QStringLiteral(" ms"), 2});
        CustomDoubleSpinBox delaySpin;
        delay->bind(&delaySpin, nullptr);
        delaySpin.setValueWithSignals(1.25);
        QCOMPARE(f.drain(), QList<int>({delay->paramIndex}));
        QCOMPARE(delay->value(), 1.25);
    }

    void comboBoxNodeClampsAndMatchesText()
    {
        Fixture f;
        const QList<QString> options{QStringLiteral("Digital"), QStringLiteral("USB"),
                                     QStringLiteral("Analog")};
        auto* source =
            f.add<ComboBoxNode>(QStringLiteral("Input Source"), make_path_segment(40), options, 1);
        auto* own = f.widgetOf<CustomComboBox>(source);
        QVERIFY(own);
        QCOMPARE(own->currentIndex(), 1);
        QCOMPARE(source->serialize(), QByteArray::fromHex("01"));
        CustomComboBox first;
        CustomComboBox second;
        source->bind(&first);
        source->bindSecond(&second);
        QCOMPARE(second.count(), 3);
        QCOMPARE(second.itemText(2), QStringLiteral("Analog"));
        QVERIFY(!first.property("paramIndex").isValid());

        QVERIFY(source->deserialize(QByteArray::fromHex("07")));
        QCOMPARE(own->currentIndex(), 2);
        QCOMPARE(first.currentIndex(), 2);
        QCOMPARE(second.currentIndex(), 2);
        QVERIFY(source->deserialize(QByteArray::fromHex("ff")));
        QCOMPARE(source->serialize(), QByteArray::fromHex("02"));
        QVERIFY(source->deserialize(QByteArray::fromHex("00")));
        QVERIFY(!source->deserialize(QByteArray::fromHex("0000")));
        QCOMPARE(source->currentIndex(), 0);

        source->readJson(QJsonObject{{QStringLiteral("Input Source"), QStringLiteral("usb")}});
        source->readJson(QJsonObject{{QStringLiteral("Input Source"), 2}});
        QCOMPARE(source->currentIndex(), 0);
        source->readJson(QJsonObject{{QStringLiteral("Input Source"), QStringLiteral("Analog")}});
        QCOMPARE(second.currentIndex(), 2);
        QVERIFY(f.drain().isEmpty());
        QJsonObject json;
        source->constructJson(json);
        QCOMPARE(json, QJsonObject({{QStringLiteral("Input Source"), QStringLiteral("Analog")}}));

        // A choice in the second box is one write, through the node's own box.
        second.setCurrentIndex(1);
        QCOMPARE(f.drain(), QList<int>({source->paramIndex}));
        QCOMPARE(own->currentIndex(), 1);
        QCOMPARE(first.currentIndex(), 1);
    }

    void presetChoiceIsAnnouncedNotWritten()
    {
        Fixture f;
        auto* preset = f.add<ComboBoxNode>(
            QStringLiteral("Preset"), make_path_segment(17),
            QList<QString>{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}, 0);
        auto* own = f.widgetOf<CustomComboBox>(preset);
        QVERIFY(!own->property("paramIndex").isValid());
        QSignalSpy presets(&f.hub, &TreeWidget::presetChanged);
        QSignalSpy enqueued(&f.hub, &TreeWidget::paramEnqueuedForUpdate);
        own->setCurrentIndex(2);
        QCOMPARE(presets.size(), 1);
        QVERIFY(enqueued.isEmpty());
        QVERIFY(preset->deserialize(QByteArray::fromHex("01")));
        QCOMPARE(presets.size(), 1);
    }

    void versionBlocksAreTerminated()
    {
        Fixture f;
        auto* firmware = f.add<FirmwareVersionNode>();
        auto* plugin = f.add<PluginVersionNode>();
        auto* dac = f.add<DacModelNode>();
        QCOMPARE(firmware->name, QStringLiteral("Firmware Version"));
        QCOMPARE(plugin->makePath(), QByteArray::fromHex("820322"));
        QCOMPARE(dac->segment.bytes[0], uint8_t(35));
        QCOMPARE(dac->typeTag, QStringLiteral("version"));
        QVERIFY(dac->readOnly && !dac->isSetting());
        auto* own = f.widgetOf<QLabel>(firmware);
        QVERIFY(own && own->text().isEmpty());
        auto bound = std::make_shared<QLabel>();
        firmware->bind(bound);

        QVERIFY(firmware->deserialize(QByteArray("1.2.3") + QByteArray(27, '\0')));
        QCOMPARE(own->text(), QStringLiteral("1.2.3"));
        QCOMPARE(bound->text(), QStringLiteral("1.2.3"));
        QCOMPARE(firmware->serialize(), QByteArray(32, '\0'));
        // Bytes after the first zero are not part of the text; Latin-1 throughout.
        QVERIFY(dac->deserialize(QByteArray("AK4493\xe9\0junk", 11) + QByteArray(21, '\0')));
        QCOMPARE(dac->text(), QStringLiteral("AK4493\u00e9"));

        QVERIFY(!firmware->deserialize(QByteArray(31, 'x') + QByteArray("!")));
        QVERIFY(!firmware->deserialize(QByteArray(33, '\0')));
        QCOMPARE(bound->text(), QStringLiteral("1.2.3"));

        QJsonObject json;
        f.channel->constructJson(json);
        QCOMPARE(json.value(f.channel->name).toObject(), QJsonObject());
    }

    void levelTruncatesAndFloors()
    {
        Fixture f;
        auto* level = f.add<LevelNode>();
        auto* bar = f.widgetOf<QProgressBar>(level);
        QVERIFY(bar);
        QCOMPARE(bar->text(), QStringLiteral("-150 dB"));
        QVERIFY(level->readOnly);
        QVERIFY(!bar->property("paramIndex").isValid());
        VolumeSlider vs;
        vs.resize(60, 200);
        level->bind(&vs);
        auto* meter = vs.findChild<VolumeMeter*>(QStringLiteral("meter"));

        QVERIFY(level->deserialize(floatBytes("000048c3"))); // -200.0
        QCOMPARE(bar->text(), QStringLiteral("-150 dB"));
        QVERIFY(level->deserialize(floatBytes("33334bc1"))); // -12.7
        QCOMPARE(bar->text(), QStringLiteral("-12 dB"));
        QCOMPARE(bar->value(), -12);
        QVERIFY(level->deserialize(floatBytes("0000c07f"))); // NaN: accepted, ignored
        QCOMPARE(bar->text(), QStringLiteral("-12 dB"));
        QVERIFY(level->deserialize(floatBytes("000080ff"))); // -infinity: the floor
        QCOMPARE(bar->text(), QStringLiteral("-150 dB"));
        QVERIFY(!level->deserialize(floatBytes("0000")));
        QCOMPARE(level->serialize(), QByteArray(4, '\0'));

        // The bound fader's meter shows the level: +3 dB lights it all.
        QVERIFY(level->deserialize(floatBytes("00004040"))); // 3.0, no upper limit
        QCOMPARE(bar->text(), QStringLiteral("3 dB"));
        const QImage lit = meter->grab().toImage();
        QCOMPARE(lit.pixel(4, 0), VolumeMeter::tToColor(0));
        QVERIFY(f.drain().isEmpty());
    }
};

QTEST_MAIN(TestValueNodes)
#include "test_valuenodes.moc"
