#include "treewidget.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

QList<int> drain(TreeWidget& hub)
{
    QList<int> out;
    int index = -1;
    while (hub.dequeueParamIndex(index))
        out.append(index);
    return out;
}

} // namespace

class TestTreeWidget : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void queueKeepsFirstTouchOrderWithoutDuplicates()
    {
        TreeWidget hub;
        for (int i : {5, 3, 5})
            hub.enqueueParamIndexForUpdate(i);
        int index = -1;
        QVERIFY(hub.dequeueParamIndex(index) && index == 5);
        hub.enqueueParamIndexForUpdate(5); // touched again after being taken: at the end
        QCOMPARE(drain(hub), QList<int>({3, 5}));
        index = 42;
        QVERIFY(!hub.dequeueParamIndex(index) && index == 42);
        hub.enqueueParamIndexForUpdate(1);
        hub.clearQueueOfUpdates();
        QCOMPARE(drain(hub), QList<int>());
    }

    void widgetEditsEnqueueOnlyUsableIndices()
    {
        TreeWidget hub;
        QSignalSpy preset(&hub, &TreeWidget::presetChanged);
        QCheckBox box, bare, wordy;
        box.setProperty("paramIndex", 17);
        wordy.setProperty("paramIndex", QStringLiteral("seven"));
        connect(&box, &QCheckBox::toggled, &hub, &TreeWidget::onCheckboxToggled);
        for (QCheckBox* b : {&bare, &wordy})
            connect(b, &QCheckBox::toggled, &hub, &TreeWidget::onWidgetChanged);
        for (QCheckBox* b : {&box, &bare, &wordy, &box})
            b->toggle();
        hub.onWidgetChanged(); // no sender at all
        hub.onPEQChanged();
        QCOMPARE(drain(hub), QList<int>({17}));
        // The preset selector announces itself but never queues.
        hub.onPresetChanged(2);
        QCOMPARE(preset.count(), 1);
        QCOMPARE(drain(hub), QList<int>());
    }

    void buttonsAnnounceTheirChannelOrNode()
    {
        TreeWidget hub;
        QSignalSpy xover(&hub, &TreeWidget::xoverButtonClicked);
        QSignalSpy peq(&hub, &TreeWidget::peqButtonClicked);
        QPushButton xoverButton, peqButton, odd;
        xoverButton.setProperty("channelIndex", 4);
        connect(&xoverButton, &QPushButton::clicked, &hub, &TreeWidget::onXoverButtonClicked);
        xoverButton.click();
        QCOMPARE(xover.at(0).at(0).toInt(), 4);
        auto* fakeNode = reinterpret_cast<PEQSNode*>(quintptr(0x1000));
        peqButton.setProperty("peqsNode", QVariant::fromValue(fakeNode));
        // A property that does not convert still announces the click, with no node.
        odd.setProperty("peqsNode", QStringLiteral("not a node"));
        for (QPushButton* b : {&peqButton, &odd}) {
            connect(b, &QPushButton::clicked, &hub, &TreeWidget::onPEQButtonClicked);
            b->click();
        }
        QCOMPARE(peq.count(), 2);
        QCOMPARE(peq.at(0).at(0).value<PEQSNode*>(), fakeNode);
        QCOMPARE(peq.at(1).at(0).value<PEQSNode*>(), static_cast<PEQSNode*>(nullptr));
        QCOMPARE(drain(hub), QList<int>());
    }
};

QTEST_MAIN(TestTreeWidget)
#include "test_treewidget.moc"
