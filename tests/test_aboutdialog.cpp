#include "aboutdialog.h"

#include <QLabel>
#include <QPointer>
#include <QtTest>

class TestAboutDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void versionsAndSharedHandles()
    {
        AboutDialog dialog;
        QCOMPARE(dialog.findChild<QLabel*>("toolVersion")->text(), QStringLiteral("1.3.8"));
        auto labels = dialog.getVersionLabels();
        QCOMPARE(labels.first.get(), dialog.findChild<QLabel*>("firmwareVersion"));
        QCOMPARE(labels.second.get(), dialog.findChild<QLabel*>("pluginVersion"));
        QCOMPARE(labels.first->text() + labels.second->text(), QStringLiteral("??"));
        // Asking twice hands out the same shared handle, not a second owner.
        auto again = dialog.getVersionLabels();
        QCOMPARE(labels.first.use_count(), 2L);
        QCOMPARE(again.second.get(), labels.second.get());
    }

    // Whichever of the window and the handles goes first, each label is freed exactly
    // once (the sanitizer build catches a double or missing free).
    void labelsFreedOnce()
    {
        for (bool windowFirst : {true, false}) {
            auto* window = new QWidget;
            auto labels = (new AboutDialog(window))->getVersionLabels();
            const QPointer<QLabel> firmware = labels.first.get(), plugin = labels.second.get();
            if (windowFirst) {
                delete window;
                QVERIFY(plugin);
                labels.second->setText(QStringLiteral("late")); // the tree may still write
            }
            labels = {};
            QCOMPARE(plugin.isNull(), windowFirst);
            if (!windowFirst)
                delete window;
            QVERIFY(!firmware && !plugin);
        }
    }
};

QTEST_MAIN(TestAboutDialog)
#include "test_aboutdialog.moc"
