#include "paramtreedialog.h"
#include "treewidget.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
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
        QSignalSpy enqueued(&hub, &TreeWidget::paramEnqueuedForUpdate);
        hub.enqueueParamIndexForUpdate(5);
        hub.enqueueParamIndexForUpdate(3);
        hub.enqueueParamIndexForUpdate(5);
        QCOMPARE(enqueued.count(), 3);
        int index = -1;
        QVERIFY(hub.dequeueParamIndex(index));
        QCOMPARE(index, 5);
        // Touched again after being taken: back at the end.
        hub.enqueueParamIndexForUpdate(5);
        QCOMPARE(drain(hub), QList<int>({3, 5}));
        index = 42;
        QVERIFY(!hub.dequeueParamIndex(index));
        QCOMPARE(index, 42);

        hub.enqueueParamIndexForUpdate(1);
        hub.enqueueParamIndexForUpdate(2);
        enqueued.clear();
        hub.clearQueueOfUpdates();
        QCOMPARE(enqueued.count(), 0);
        hub.enqueueParamIndexForUpdate(2);
        QCOMPARE(drain(hub), QList<int>({2}));
    }

    void widgetEditsEnqueueTheirParamIndex()
    {
        TreeWidget hub;
        QSignalSpy enqueued(&hub, &TreeWidget::paramEnqueuedForUpdate);
        QSignalSpy preset(&hub, &TreeWidget::presetChanged);
        QCheckBox box;
        box.setProperty("paramIndex", 17);
        connect(&box, &QCheckBox::toggled, &hub, &TreeWidget::onCheckboxToggled);
        box.setChecked(true);
        box.setChecked(false);
        QCOMPARE(enqueued.count(), 2);
        QCOMPARE(drain(hub), QList<int>({17}));

        // No usable property, or no sender at all: nothing happens.
        QCheckBox bare;
        connect(&bare, &QCheckBox::toggled, &hub, &TreeWidget::onWidgetChanged);
        bare.setChecked(true);
        QCheckBox wordy;
        wordy.setProperty("paramIndex", QStringLiteral("seven"));
        connect(&wordy, &QCheckBox::toggled, &hub, &TreeWidget::onWidgetChanged);
        wordy.setChecked(true);
        hub.onWidgetChanged();
        hub.onPEQChanged();
        QCOMPARE(enqueued.count(), 2);
        QCOMPARE(drain(hub), QList<int>());

        // The preset selector announces itself but never queues.
        QPushButton presetBox;
        presetBox.setProperty("paramIndex", 3);
        connect(&presetBox, &QPushButton::clicked, &hub, [&hub]() { hub.onPresetChanged(2); });
        presetBox.click();
        QCOMPARE(preset.count(), 1);
        QCOMPARE(drain(hub), QList<int>());
    }

    void labelEditorsAnnounceChannelLabels()
    {
        TreeWidget hub;
        QSignalSpy labels(&hub, &TreeWidget::channelLabelChanged);
        QLineEdit editor;
        editor.setProperty("channelIndex", 2);
        connect(&editor, &QLineEdit::textChanged, &hub, &TreeWidget::onChannelLabelChanged);
        editor.setText(QStringLiteral("Sub"));
        editor.setText(QString());
        QCOMPARE(labels.count(), 2);
        QCOMPARE(labels.at(0).at(0).toInt(), 2);
        QCOMPARE(labels.at(0).at(1).toString(), QStringLiteral("Sub"));
        QCOMPARE(labels.at(1).at(1).toString(), QStringLiteral("Output 3"));
        QCOMPARE(drain(hub), QList<int>());

        QLineEdit unnumbered;
        connect(&unnumbered, &QLineEdit::textChanged, &hub, &TreeWidget::onChannelLabelChanged);
        unnumbered.setText(QStringLiteral("x"));
        QCOMPARE(labels.count(), 2);
    }

    void crossoverAndEqualizerButtons()
    {
        TreeWidget hub;
        QSignalSpy xover(&hub, &TreeWidget::xoverButtonClicked);
        QSignalSpy peq(&hub, &TreeWidget::peqButtonClicked);

        QPushButton xoverButton;
        xoverButton.setProperty("channelIndex", 4);
        connect(&xoverButton, &QPushButton::clicked, &hub, &TreeWidget::onXoverButtonClicked);
        xoverButton.click();
        QCOMPARE(xover.count(), 1);
        QCOMPARE(xover.at(0).at(0).toInt(), 4);

        auto* fakeNode = reinterpret_cast<PEQSNode*>(quintptr(0x1000));
        QPushButton peqButton;
        peqButton.setProperty("peqsNode", QVariant::fromValue(fakeNode));
        connect(&peqButton, &QPushButton::clicked, &hub, &TreeWidget::onPEQButtonClicked);
        peqButton.click();
        QCOMPARE(peq.count(), 1);
        QCOMPARE(peq.at(0).at(0).value<PEQSNode*>(), fakeNode);

        // A property that does not convert still announces the click, with no node.
        QPushButton odd;
        odd.setProperty("peqsNode", QStringLiteral("not a node"));
        connect(&odd, &QPushButton::clicked, &hub, &TreeWidget::onPEQButtonClicked);
        odd.click();
        QCOMPARE(peq.count(), 2);
        QCOMPARE(peq.at(1).at(0).value<PEQSNode*>(), static_cast<PEQSNode*>(nullptr));
        QVERIFY(QMetaType::type("PEQSNode*") != QMetaType::UnknownType);
    }

    void dialogLayout()
    {
        ParamTreeDialog dialog;
        TreeWidget* hub = dialog.getParamTree();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Parameter Tree"));
        QCOMPARE(hub->objectName(), QStringLiteral("paramTree"));
        QCOMPARE(hub->columnCount(), 2);
        QCOMPARE(hub->headerItem()->text(0), QStringLiteral("Parameter"));
        QCOMPARE(hub->headerItem()->text(1), QStringLiteral("Value"));
        QCOMPARE(hub->header()->defaultSectionSize(), 170);
        QCOMPARE(hub->minimumWidth(), 340);
        QVERIFY(hub->alternatingRowColors());
        QCOMPARE(hub->sizePolicy().horizontalPolicy(), QSizePolicy::MinimumExpanding);
        QVERIFY(!dialog.isVisible());
    }
};

QTEST_MAIN(TestTreeWidget)
#include "test_treewidget.moc"
