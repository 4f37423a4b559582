#include "channelcontrol.h"
#include "customcheckbox.h"
#include "customdoublespinbox.h"
#include "custompushbutton.h"
#include "customslider.h"
#include "devicenodes.h"
#include "doublespinboxnode.h"
#include "inputnode.h"
#include "outputnode.h"
#include "paramhub.h"
#include "paramtree.h"
#include "paramtreeview.h"
#include "peqsnode.h"
#include "volumemeter.h"
#include "volumeslider.h"
#include "wirevalue.h"

#include <QProgressBar>
#include <QtTest>

namespace {

template <typename T = QWidget> T* part(ChannelControl* strip, const char* name)
{
    return strip->findChild<T*>(QLatin1String(name));
}

double volumeOf(ChannelControl* strip)
{
    return part<CustomDoubleSpinBox>(strip, "volume")->value();
}

// The tree and its strips, wired as the main window wires them: each output strip's
// change is offered to every other output strip (56 connections); inputs likewise here,
// to show that they still never move together.
struct Mixer
{
    ParamTree tree;
    ParamHub& hub = *tree.hub;
    ParamTreeView view; // the rows, as the parameter tree dialog shows them
    QWidget window;
    QList<ChannelControl*> outputs, inputs;

    Mixer()
    {
        view.showTree(&tree);
        for (int i = 0; i < tree.outputCount(); ++i) {
            outputs << new ChannelControl(QStringLiteral("Output"), false, &window);
            outputs.last()->bind(tree.getOutputNode(i));
        }
        for (int i = 0; i < tree.inputCount(); ++i) {
            inputs << new ChannelControl(QStringLiteral("Input"), true, &window);
            inputs.last()->bind(tree.getInputNode(i));
        }
        for (const auto& strips : {outputs, inputs})
            for (ChannelControl* from : strips)
                for (ChannelControl* to : strips)
                    if (from != to)
                        QObject::connect(from, &ChannelControl::changed, to,
                                         &ChannelControl::on_change);
    }
    void group(QList<int> strips)
    {
        for (int i : strips)
            part<CustomCheckBox>(outputs[i], "group")->setChecked(true);
    }
    Node* param(int i, const char* name)
    {
        for (Node* node : tree.getOutputNode(i)->children)
            if (node->name == QLatin1String(name))
                return node;
        return nullptr;
    }
    void set(int i, const char* name, double value)
    {
        static_cast<DoubleSpinBoxNode*>(param(i, name))->setValue(value, ChangeSource::Device);
    }
    QList<int> takeQueue()
    {
        QList<int> indices;
        for (int index = -1; hub.dequeueParamIndex(index);)
            indices << index;
        std::sort(indices.begin(), indices.end());
        return indices;
    }
};

// As a user would: focus, replace the number, press Return.
void typeValue(ChannelControl* strip, double value)
{
    auto* box = part<CustomDoubleSpinBox>(strip, "volume");
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(box, &focusIn);
    box->selectAll();
    QTest::keyClicks(box, QString::number(value));
    QTest::keyClick(box, Qt::Key_Return);
}

// The handle goes to the highest position that reads `db` at the spin box's 0.1 dB, as a
// mouse drag would put it.
void dragFader(ChannelControl* strip, double db)
{
    auto* slider = part<CustomSlider>(strip, "slider");
    int v = slider->maximum();
    while (v > 0 &&
           qRound(part<VolumeSlider>(strip, "volumeSlider")->calcDb(v) * 10) > qRound(db * 10))
        --v;
    slider->setValue(v);
}

void wheelUp(QWidget* widget)
{
    QWheelEvent wheel(QPointF(5, 5), widget->mapToGlobal(QPoint(5, 5)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

int faderPosition(ChannelControl* strip)
{
    return part<CustomSlider>(strip, "slider")->value();
}

// Where a fader showing `db` rests.
int restingPlace(double db)
{
    VolumeSlider fader;
    fader.setValueSilently(db);
    return fader.findChild<CustomSlider*>(QStringLiteral("slider"))->value();
}

enum Input
{
    Typed,
    Dragged,
    KeyUp,
    KeyPageDown,
    WheelUp,
};

} // namespace

class TestChannelControl : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void variantsAndButtons()
    {
        Mixer mixer;
        ChannelControl* output = mixer.outputs[4];
        ChannelControl* input = mixer.inputs[1];
        for (const char* name : {"group", "delay", "xover", "invert"})
            QVERIFY2(part(output, name)->isVisibleTo(output) &&
                         !part(input, name)->isVisibleTo(input),
                     name);
        ChannelControl master(&mixer.window);
        master.prepareForMasterVolume();
        master.bind(&mixer.tree);
        QVERIFY(!part(&master, "mute")->isVisibleTo(&master));
        typeValue(&master, -20);
        QCOMPARE(mixer.takeQueue(), QList<int>{mixer.tree.masterVolumeNode()->paramIndex});

        QSignalSpy peq(&mixer.hub, &ParamHub::equalizerRequested);
        QSignalSpy xover(&mixer.hub, &ParamHub::crossoverRequested);
        part<QPushButton>(output, "xover")->click();
        part<QPushButton>(input, "peq")->click();
        QCOMPARE(xover.at(0).at(0).toInt(), 4);
        QCOMPARE(peq.at(0).at(0).value<PEQSNode*>(), mixer.tree.getInputNode(1)->getPEQSNode());
    }

    // A grouped output moved by its box or its fader takes every other grouped output along
    // by the same dB, counted from the value it showed: no mouse ever enters these faders,
    // and a key or wheel step of a fader is finer than the boxes' 0.1 dB near the top. A
    // move another grouped output cannot follow is refused: nothing moves, nothing is sent.
    void groupedVolume_data()
    {
        QTest::addColumn<int>("input");
        QTest::newRow("typed") << int(Typed);
        QTest::newRow("dragged") << int(Dragged);
        QTest::newRow("key up") << int(KeyUp);
        QTest::newRow("key page down") << int(KeyPageDown);
        QTest::newRow("wheel up") << int(WheelUp);
    }
    void groupedVolume()
    {
        QFETCH(int, input);
        const bool up = input == KeyUp || input == WheelUp;
        Mixer mixer;
        mixer.group({0, 1});
        mixer.set(0, "Volume", -10.0);
        mixer.set(1, "Volume", -40.3);
        mixer.set(2, "Volume", -50.0);
        ChannelControl* a = mixer.outputs[0];
        auto* handle = part<CustomSlider>(a, "slider");
        const auto move = [&] {
            switch (input) {
            case Typed:
                return typeValue(a, volumeOf(a) - 6.0);
            case Dragged:
                return dragFader(a, volumeOf(a) - 6.0);
            case KeyUp:
                return QTest::keyClick(handle, Qt::Key_Up);
            case KeyPageDown:
                return QTest::keyClick(handle, Qt::Key_PageDown);
            case WheelUp:
                return wheelUp(handle);
            }
        };
        const auto shown = [&] {
            QList<double> values;
            for (int i = 0; i < 3; ++i)
                values << volumeOf(mixer.outputs[i]) << faderPosition(mixer.outputs[i]);
            return values;
        };

        move();
        const double moved = volumeOf(a) + 10.0;
        QVERIFY(up ? moved > 0.0 : moved < 0.0);
        QCOMPARE(volumeOf(mixer.outputs[1]) + 40.3, moved);
        QCOMPARE(volumeOf(mixer.outputs[2]), -50.0);
        for (int i = 0; i < 3; ++i) // each fader shows its box
            QCOMPARE(faderPosition(mixer.outputs[i]), restingPlace(volumeOf(mixer.outputs[i])));
        QCOMPARE(mixer.takeQueue(), (QList<int>{mixer.param(0, "Volume")->paramIndex,
                                                mixer.param(1, "Volume")->paramIndex}));

        mixer.set(1, "Volume", up ? 3.0 : -120.0);
        const QList<double> before = shown();
        move();
        QCOMPARE(shown(), before);
        QVERIFY(mixer.takeQueue().isEmpty());
    }

    // Values from the device show alike everywhere: -10.04 dB as -10.0 dB in the box and on
    // the fader (which would stand two steps lower for -10.04), and a level of +5 dB as a
    // meter lit from top to bottom and a full bar in the tree.
    void deviceValuesShowAlike()
    {
        Mixer mixer;
        ChannelControl* strip = mixer.outputs[3];
        mixer.window.resize(200, 520);
        mixer.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mixer.window));
        QVERIFY(mixer.param(3, "Volume")->deserialize(writeFloatLE(-10.04f)));
        QCOMPARE(volumeOf(strip), -10.0);
        QCOMPARE(part<VolumeSlider>(strip, "volumeSlider")->getValue(), -10.0);
        QCOMPARE(faderPosition(strip), 786);

        Node* level = mixer.param(3, "Level");
        auto* bar = qobject_cast<QProgressBar*>(mixer.view.itemWidget(mixer.view.itemOf(level), 1));
        auto* meter = part<VolumeMeter>(strip, "meter");
        for (float db : {-40.0f, 5.0f})
            QVERIFY(level->deserialize(writeFloatLE(db)));
        QCOMPARE(bar->value(), bar->maximum());
        const QImage lit = meter->grab().toImage();
        QVERIFY(lit.height() > 100);
        for (int y = 0; y < lit.height(); ++y)
            QCOMPARE(lit.pixel(lit.width() / 2, y),
                     VolumeMeter::tToColor(double(y) / lit.height()));
    }

    // A step whose floating-point delta overshoots the edge by a hair still fits at the
    // precision the boxes hold; past the edge by a real step it is refused.
    void rangeEdgeAtDisplayedPrecision()
    {
        Mixer mixer;
        mixer.group({0, 1});
        mixer.set(0, "Volume", -119.3);
        mixer.set(1, "Volume", -119.9);
        part<CustomDoubleSpinBox>(mixer.outputs[0], "volume")->stepBy(-1);
        QCOMPARE(volumeOf(mixer.outputs[1]), -120.0);
        mixer.set(0, "Delay", 1.0);
        mixer.set(1, "Delay", 0.01);
        for (int step = 0; step < 2; ++step) // the second step would take B below zero
            part<CustomDoubleSpinBox>(mixer.outputs[0], "delay")->stepBy(-1);
        QCOMPARE(part<CustomDoubleSpinBox>(mixer.outputs[0], "delay")->value(), 0.99);
        QCOMPARE(part<CustomDoubleSpinBox>(mixer.outputs[1], "delay")->value(), 0.0);
    }

    // Muting one grouped strip mutes every other grouped strip exactly once (the nodes'
    // changes: what the device is sent) and leaves the others alone; inputs never group.
    void groupedMuteAndInvert()
    {
        Mixer mixer;
        mixer.group({0, 2, 5});
        QVector<int> toggles(8), inverted;
        for (int i = 0; i < 8; ++i) {
            const int index = mixer.param(i, "Mute")->paramIndex;
            QObject::connect(&mixer.hub, &ParamHub::valueChanged,
                             [&toggles, i, index](int at) { toggles[i] += at == index; });
        }
        part<CustomPushButton>(mixer.outputs[2], "mute")->click();
        part<CustomPushButton>(mixer.outputs[3], "mute")->click();
        part<CustomPushButton>(mixer.outputs[5], "invert")->click();
        for (ChannelControl* strip : mixer.outputs)
            inverted << part<CustomPushButton>(strip, "invert")->isChecked();
        QCOMPARE(toggles, (QVector<int>{1, 0, 1, 1, 0, 1, 0, 0}));
        QCOMPARE(inverted, (QVector<int>{1, 0, 1, 0, 0, 1, 0, 0}));
        typeValue(mixer.inputs[0], -30);
        part<CustomPushButton>(mixer.inputs[0], "mute")->click();
        QCOMPARE(volumeOf(mixer.inputs[1]), 0.0);
        QVERIFY(!part<CustomPushButton>(mixer.inputs[1], "mute")->isChecked());
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
