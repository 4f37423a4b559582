#include "aboutdialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

class TestAboutDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void showsToolVersionAndUnknownDeviceVersions()
    {
        AboutDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("About"));
        const QList<QPair<const char*, const char*>> rows{
            {"toolLabel", "Tonvise:"}, {"toolVersion", "1.3.8"},   {"firmwareLabel", "Firmware:"},
            {"firmwareVersion", "?"},  {"pluginLabel", "Plugin:"}, {"pluginVersion", "?"}};
        for (const auto& row : rows) {
            auto* label = dialog.findChild<QLabel*>(QLatin1String(row.first));
            QVERIFY2(label, row.first);
            QCOMPARE(label->text(), QLatin1String(row.second));
        }
    }

    void handlesReachTheDialogsLabels()
    {
        AboutDialog dialog;
        auto labels = dialog.getVersionLabels();
        QCOMPARE(labels.first.get(), dialog.findChild<QLabel*>("firmwareVersion"));
        QCOMPARE(labels.second.get(), dialog.findChild<QLabel*>("pluginVersion"));

        // What the device reports is shown as it is.
        labels.first->setText(QStringLiteral("FW 2.07-beta (build 11)"));
        labels.second->setText(QStringLiteral("plugin v3"));
        QCOMPARE(dialog.findChild<QLabel*>("firmwareVersion")->text(),
                 QStringLiteral("FW 2.07-beta (build 11)"));
        QCOMPARE(dialog.findChild<QLabel*>("pluginVersion")->text(), QStringLiteral("plugin v3"));

        // Asking twice hands out the same shared handle, not a second owner.
        auto again = dialog.getVersionLabels();
        QCOMPARE(labels.first.use_count(), 2L);
        QCOMPARE(again.second.get(), labels.second.get());
    }

    // Whichever of the window and the tree's handles goes first, each label is freed
    // exactly once (the sanitizer build catches a double or missing free).
    void destroyingTheWindowWhileBoundFreesEachLabelOnce()
    {
        auto* window = new QWidget;
        auto* dialog = new AboutDialog(window);
        auto labels = dialog->getVersionLabels();
        QPointer<QLabel> firmware = labels.first.get();
        QPointer<QLabel> plugin = labels.second.get();
        delete window;

        // The tree may still write into its labels until it lets them go.
        QVERIFY(firmware);
        QVERIFY(plugin);
        labels.first->setText(QStringLiteral("late"));
        labels = {};
        QVERIFY(!firmware);
        QVERIFY(!plugin);
    }

    void handlesDroppedBeforeTheWindow()
    {
        auto* window = new QWidget;
        auto* dialog = new AboutDialog(window);
        QPointer<QLabel> firmware;
        {
            auto labels = dialog->getVersionLabels();
            firmware = labels.first.get();
        }
        QVERIFY(firmware);
        delete window;
        QVERIFY(!firmware);
    }

    void okAndEscapeClose()
    {
        AboutDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* box = dialog.findChild<QDialogButtonBox*>("buttonBox");
        QVERIFY(box);
        QCOMPARE(box->buttons().size(), 1);
        QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(TestAboutDialog)
#include "test_aboutdialog.moc"
