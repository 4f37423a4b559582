#include "channelcontrol.h"
#include "customcheckbox.h"
#include "customcombobox.h"
#include "customdoublespinbox.h"
#include "custompushbutton.h"
#include "customslider.h"
#include "doublespinboxnode.h"
#include "inputnode.h"
#include "outputnode.h"
#include "paramtree.h"
#include "peqsnode.h"
#include "treewidget.h"
#include "volumeslider.h"

#include <QtTest>

namespace {

Node* child(Node* parent, const QString& name)
{
    for (Node* node : parent->children)
        if (node->name == name)
            return node;
    return nullptr;
}

// The tree and its strips, wired as the main window wires them: each output strip's
// change is offered to every other output strip (56 connections); inputs likewise here,
// to show that they still never move together.
struct Mixer
{
    Mixer() : tree(&hub)
    {
        for (int i = 0; i < tree.outputCount(); ++i) {
            outputs << new ChannelControl(QStringLiteral("  Output %0  ").arg(i + 1), false,
                                          &window);
            outputs.last()->bind(tree.getOutputNode(i));
        }
        for (int i = 0; i < tree.inputCount(); ++i) {
            inputs << new ChannelControl(QStringLiteral("  Input %0  ").arg(i + 1), true, &window);
            inputs.last()->bind(tree.getInputNode(i));
        }
        wire(outputs);
        wire(inputs);
        offered.fill(0, outputs.size() + inputs.size());
        int n = 0;
        for (ChannelControl* strip : outputs + inputs) {
            QObject::connect(strip, &ChannelControl::changed,
                             [this, n](ChannelControl::Change, bool* ok) {
                                 if (!ok)
                                     ++offered[n];
                             });
            ++n;
        }
    }

    static void wire(const QList<ChannelControl*>& strips)
    {
        for (ChannelControl* from : strips)
            for (ChannelControl* to : strips)
                if (from != to)
                    QObject::connect(from, &ChannelControl::changed, to,
                                     &ChannelControl::on_change);
    }

    void setOutput(int i, const char* param, double value)
    {
        auto* node = dynamic_cast<DoubleSpinBoxNode*>(child(tree.getOutputNode(i), param));
        QVERIFY(node);
        node->setValueSilently(value);
    }

    int outputParam(int i, const char* param)
    {
        return child(tree.getOutputNode(i), param)->paramIndex;
    }

    QList<int> takeQueue()
    {
        QList<int> indices;
        int index = -1;
        while (hub.dequeueParamIndex(index))
            indices << index;
        std::sort(indices.begin(), indices.end());
        return indices;
    }

    TreeWidget hub;
    ParamTree tree;
    QWidget window;
    QList<ChannelControl*> outputs;
    QList<ChannelControl*> inputs;
    QVector<int> offered; // announced changes per strip (outputs, then inputs)
};

template <typename T> T* part(ChannelControl* strip, const char* name)
{
    return strip->findChild<T*>(QLatin1String(name));
}

double volumeOf(ChannelControl* strip)
{
    return part<CustomDoubleSpinBox>(strip, "volume")->value();
}

// As a user would: focus, replace the number, press Return.
void typeValue(CustomDoubleSpinBox* box, const QString& text)
{
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(box, &focusIn);
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

// The mouse enters the fader (which fixes the start of the drag), then the handle moves.
void dragFader(ChannelControl* strip, int sliderValue)
{
    auto* slider = part<CustomSlider>(strip, "slider");
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(slider, &enter);
    slider->setValue(sliderValue);
}

// The highest fader position of the strip that reads `db` at the spin box's 0.1 dB.
int faderPositionFor(ChannelControl* strip, double db)
{
    auto* fader = part<VolumeSlider>(strip, "volumeSlider");
    int v = part<CustomSlider>(strip, "slider")->maximum();
    while (v > 0 && qRound(fader->calcDb(v) * 10) > qRound(db * 10))
        --v;
    return v;
}

} // namespace

class TestChannelControl : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void variants()
    {
        Mixer mixer;
        ChannelControl* output = mixer.outputs[2];
        ChannelControl* input = mixer.inputs[0];
        QCOMPARE(output->title(), QStringLiteral("  Output 3  "));
        for (const char* name : {"group", "delay", "xover", "invert", "mute", "peq"})
            QVERIFY2(part<QWidget>(output, name)->isVisibleTo(output), name);
        for (const char* name : {"group", "delay", "xover", "invert"})
            QVERIFY2(!part<QWidget>(input, name)->isVisibleTo(input), name);
        for (ChannelControl* strip : {output, input})
            for (const char* name : {"volumeSource", "spdifCable"})
                QVERIFY2(!part<QWidget>(strip, name)->isVisibleTo(strip), name);

        // Bound ranges replace the form's.
        QCOMPARE(part<CustomDoubleSpinBox>(output, "volume")->minimum(), -120.0);
        QCOMPARE(part<CustomDoubleSpinBox>(output, "delay")->maximum(), 15.0);

        QCOMPARE(input->getOutputLabel(), QString());
        input->setOutputLabel("Ignored");
        output->setOutputLabel("Sub");
        QCOMPARE(output->getOutputLabel(), QStringLiteral("Sub"));
        QCOMPARE(mixer.takeQueue(), QList<int>{mixer.outputParam(2, "Label")});

        ChannelControl unbound;
        QCOMPARE(unbound.getOutputLabel(), QString());
    }

    void masterStrip()
    {
        Mixer mixer;
        ChannelControl master(&mixer.window);
        master.prepareForMasterVolume();
        master.bind(&mixer.tree);
        QCOMPARE(master.title(), QStringLiteral("  Master  "));
        for (const char* name : {"volumeSlider", "volume", "spdifCable"})
            QVERIFY2(part<QWidget>(&master, name)->isVisibleTo(&master), name);
        for (const char* name :
             {"group", "delay", "mute", "invert", "peq", "xover", "volumeSource", "meter"})
            QVERIFY2(!part<QWidget>(&master, name)->isVisibleTo(&master), name);
        QVERIFY(part<CustomComboBox>(&master, "spdifCable")->count() > 0);

        auto* volume = part<CustomDoubleSpinBox>(&master, "volume");
        typeValue(volume, "-20");
        QCOMPARE(mixer.takeQueue(), QList<int>{volume->property("paramIndex").toInt()});
    }

    void buttonsReachTheHub()
    {
        Mixer mixer;
        QSignalSpy peq(&mixer.hub, &TreeWidget::peqButtonClicked);
        QSignalSpy xover(&mixer.hub, &TreeWidget::xoverButtonClicked);
        part<QPushButton>(mixer.outputs[4], "xover")->click();
        part<QPushButton>(mixer.outputs[4], "peq")->click();
        part<QPushButton>(mixer.inputs[1], "peq")->click();
        QCOMPARE(xover.count(), 1);
        QCOMPARE(xover.at(0).at(0).toInt(), 4);
        QCOMPARE(peq.count(), 2);
        QCOMPARE(peq.at(0).at(0).value<PEQSNode*>(), mixer.tree.getOutputNode(4)->getPEQSNode());
        QCOMPARE(peq.at(1).at(0).value<PEQSNode*>(), mixer.tree.getInputNode(1)->getPEQSNode());

        ChannelControl unbound(QStringLiteral("x"), false);
        part<QPushButton>(&unbound, "xover")->click();
        part<QPushButton>(&unbound, "peq")->click();
        QCOMPARE(xover.count() + peq.count(), 3);
    }

    void groupedVolumeSpinBox()
    {
        Mixer mixer;
        ChannelControl* a = mixer.outputs[0];
        ChannelControl* b = mixer.outputs[1];
        ChannelControl* loose = mixer.outputs[2];
        part<CustomCheckBox>(a, "group")->setChecked(true);
        part<CustomCheckBox>(b, "group")->setChecked(true);
        mixer.setOutput(0, "Volume", -10.0);
        mixer.setOutput(1, "Volume", -118.0);
        mixer.setOutput(2, "Volume", -50.0);

        // -124 dB is out of the second strip's range: the whole move is refused.
        typeValue(part<CustomDoubleSpinBox>(a, "volume"), "-16");
        QCOMPARE(volumeOf(a), -10.0);
        QCOMPARE(volumeOf(b), -118.0);
        QCOMPARE(mixer.takeQueue(), QList<int>());

        typeValue(part<CustomDoubleSpinBox>(a, "volume"), "-12");
        QCOMPARE(volumeOf(a), -12.0);
        QCOMPARE(volumeOf(b), -120.0);
        QCOMPARE(volumeOf(loose), -50.0);
        QCOMPARE(part<VolumeSlider>(b, "volumeSlider")->getValue(), -120.0);
        QCOMPARE(mixer.takeQueue(),
                 (QList<int>{mixer.outputParam(0, "Volume"), mixer.outputParam(1, "Volume")}));
        QCOMPARE(mixer.offered[0], 1);
        QCOMPARE(mixer.offered[1], 0);
    }

    // A step whose floating-point delta overshoots the edge by a hair still fits at the
    // precision the boxes hold.
    void rangeEdgeAtDisplayedPrecision()
    {
        Mixer mixer;
        for (ChannelControl* strip : {mixer.outputs[0], mixer.outputs[1]})
            part<CustomCheckBox>(strip, "group")->setChecked(true);
        mixer.setOutput(0, "Volume", -119.3);
        mixer.setOutput(1, "Volume", -119.9);
        part<CustomDoubleSpinBox>(mixer.outputs[0], "volume")->stepBy(-1);
        QCOMPARE(volumeOf(mixer.outputs[0]), -119.4);
        QCOMPARE(volumeOf(mixer.outputs[1]), -120.0);

        mixer.setOutput(0, "Delay", 1.0);
        mixer.setOutput(1, "Delay", 0.01);
        auto* delayA = part<CustomDoubleSpinBox>(mixer.outputs[0], "delay");
        auto* delayB = part<CustomDoubleSpinBox>(mixer.outputs[1], "delay");
        delayA->stepBy(-1);
        QCOMPARE(delayA->value(), 0.99);
        QCOMPARE(delayB->value(), 0.0);

        // Past the edge by a real step it is still refused.
        delayA->stepBy(-1);
        QCOMPARE(delayA->value(), 0.99);
        QCOMPARE(delayB->value(), 0.0);
    }

    void groupedVolumeFader()
    {
        Mixer mixer;
        ChannelControl* a = mixer.outputs[0];
        ChannelControl* b = mixer.outputs[1];
        part<CustomCheckBox>(a, "group")->setChecked(true);
        part<CustomCheckBox>(b, "group")->setChecked(true);
        mixer.setOutput(0, "Volume", -10.0);
        mixer.setOutput(1, "Volume", -118.0);
        auto* faderB = part<VolumeSlider>(b, "volumeSlider");
        auto* sliderA = part<CustomSlider>(a, "slider");
        const int startA = sliderA->value();
        const double dbB = faderB->getValue();

        dragFader(a, faderPositionFor(a, -16.0));
        QCOMPARE(sliderA->value(), startA);
        QCOMPARE(volumeOf(a), -10.0);
        QCOMPARE(faderB->getValue(), dbB);
        QCOMPARE(mixer.takeQueue(), QList<int>());

        // The fader's grid is coarse near the bottom (B reads about -118.07 dB); a move
        // that ends within 0.05 dB of the edge counts as reaching it.
        dragFader(a, faderPositionFor(a, -12.0));
        QCOMPARE(volumeOf(a), -12.0);
        QCOMPARE(volumeOf(b), -120.0);
        QCOMPARE(faderB->getValue(), -120.0);
        QCOMPARE(mixer.takeQueue(),
                 (QList<int>{mixer.outputParam(0, "Volume"), mixer.outputParam(1, "Volume")}));
    }

    void groupedMuteAndInvert()
    {
        Mixer mixer;
        const QList<int> grouped = {0, 2, 5};
        for (int i : grouped)
            part<CustomCheckBox>(mixer.outputs[i], "group")->setChecked(true);
        // The nodes' own check boxes in the tree view: what the device will be sent.
        QList<QSignalSpy*> muteSpies;
        for (int i = 0; i < mixer.outputs.size(); ++i) {
            Node* mute = child(mixer.tree.getOutputNode(i), "Mute");
            muteSpies << new QSignalSpy(
                qobject_cast<QCheckBox*>(mixer.hub.itemWidget(mute->treeItem, 1)),
                &QCheckBox::toggled);
        }

        part<CustomPushButton>(mixer.outputs[2], "mute")->click();
        for (int i = 0; i < mixer.outputs.size(); ++i) {
            const bool expected = grouped.contains(i);
            QCOMPARE(part<CustomPushButton>(mixer.outputs[i], "mute")->isChecked(), expected);
            QCOMPARE(muteSpies[i]->count(), expected ? 1 : 0);
        }
        QCOMPARE(mixer.offered, (QVector<int>{0, 0, 1, 0, 0, 0, 0, 0, 0, 0}));

        // An ungrouped strip's own edit is never offered.
        part<CustomPushButton>(mixer.outputs[3], "mute")->click();
        QCOMPARE(muteSpies[3]->count(), 1);
        for (int i : {0, 1, 2, 4, 5, 6, 7})
            QCOMPARE(muteSpies[i]->count(), grouped.contains(i) ? 1 : 0);

        // A strip that just applied a change offers its own next edit again.
        part<CustomPushButton>(mixer.outputs[5], "invert")->click();
        for (int i = 0; i < mixer.outputs.size(); ++i)
            QCOMPARE(part<CustomPushButton>(mixer.outputs[i], "invert")->isChecked(),
                     grouped.contains(i));
        QCOMPARE(mixer.offered, (QVector<int>{0, 0, 1, 0, 0, 1, 0, 0, 0, 0}));
        qDeleteAll(muteSpies);
    }

    void inputsNeverGroup()
    {
        Mixer mixer;
        ChannelControl* first = mixer.inputs[0];
        ChannelControl* second = mixer.inputs[1];
        typeValue(part<CustomDoubleSpinBox>(first, "volume"), "-30");
        part<CustomPushButton>(first, "mute")->click();
        QCOMPARE(volumeOf(first), -30.0);
        QCOMPARE(volumeOf(second), 0.0);
        QVERIFY(!part<CustomPushButton>(second, "mute")->isChecked());
        QCOMPARE(mixer.offered, QVector<int>(10, 0));
    }

    void titlePress()
    {
        ChannelControl strip(QStringLiteral("  Output 1  "), false);
        strip.show();
        QSignalSpy pressed(&strip, &ChannelControl::titlePressed);
        QTest::mousePress(&strip, Qt::LeftButton, Qt::NoModifier, QPoint(20, 41));
        QCOMPARE(pressed.count(), 0);
        QTest::mousePress(&strip, Qt::LeftButton, Qt::NoModifier, QPoint(20, 40));
        QCOMPARE(pressed.count(), 1);
    }
};

QTEST_MAIN(TestChannelControl)
#include "test_channelcontrol.moc"
