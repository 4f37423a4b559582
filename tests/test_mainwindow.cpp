#include "linkexchange.h"
#include "mainwindow.h"
#include "testsupport.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initTestResources(); }

    void themeIsStoredAndRestored()
    {
        PrivatePreferences prefs;
        QSettings store(QStringLiteral("Veltrane"), QStringLiteral("Tonvise"));
        const QString navy = QStringLiteral("#0e1f3b");
        // The settings menu is the window's only direct child menu; "Dark mode" is its fourth.
        auto darkMode = [](MainWindow& w) {
            return w.findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly)->actions().at(3);
        };
        {
            MainWindow w;
            QCOMPARE(store.value("theme").toString(), QStringLiteral("light"));
            QVERIFY(!darkMode(w)->isChecked());
            darkMode(w)->setChecked(true);
            QCOMPARE(store.value("theme").toString(), QStringLiteral("dark"));
            QVERIFY(w.styleSheet().contains(navy));
        }
        {
            MainWindow w;
            QVERIFY(darkMode(w)->isChecked() && w.styleSheet().contains(navy));
            // F12 goes light but leaves the checked entry alone; F11 goes dark.
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QTest::keyClick(&w, Qt::Key_F12);
            QCOMPARE(store.value("theme").toString(), QStringLiteral("light"));
            QVERIFY(darkMode(w)->isChecked() && !w.styleSheet().contains(navy));
            QTest::keyClick(&w, Qt::Key_F11);
            QCOMPARE(store.value("theme").toString(), QStringLiteral("dark"));
        }
        store.setValue("theme", "purple");
        MainWindow w;
        QVERIFY(!darkMode(w)->isChecked());
        QCOMPARE(store.value("theme").toString(), QStringLiteral("light"));
    }

    void menuAndFirstShow()
    {
        PrivatePreferences prefs;
        MainWindow w;
        QMenu* menu = w.findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
        QStringList texts;
        for (QMenu* m : {menu, menu->actions().at(4)->menu()})
            for (QAction* action : m->actions())
                texts << action->text();
        QCOMPARE(texts, QStringList({"   Read All  (F5)", "   Write Plugin", "   Read Levels",
                                     "   Dark mode", "   Service", "   About", "Reboot",
                                     "Run Bootloader"}));
        QCOMPARE(menu->actions().at(0)->shortcut(), QKeySequence(Qt::Key_F5));

        // Both DAC pages leave the bar until the device names its DAC; the first show
        // selects the first tab, later ones keep the user's.
        auto* tabs = w.findChild<QTabWidget*>(QStringLiteral("tabs"));
        for (int i = 0; i < tabs->count(); ++i)
            QVERIFY(!tabs->tabText(i).startsWith(QStringLiteral("DAC")));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(tabs->currentIndex(), 0);
        tabs->setCurrentIndex(2);
        w.hide();
        w.show();
        QCOMPARE(tabs->currentIndex(), 2);
    }

    // What the device session reports reaches the window: the indicator, the tree view
    // locked during Read All, and its questions as message boxes; the menu reaches it.
    void followsTheDeviceSession()
    {
        PrivatePreferences prefs;
        EmulatedProcessor& emu = freshProcessor();
        emu.setLatency(std::chrono::milliseconds(1)); // Read All takes long enough to see
        MainWindow w;
        TickBlocker ticks;
        w.installEventFilter(&ticks);
        DeviceSession* session = w.session();
        auto* indicator = w.findChild<QPushButton*>(QStringLiteral("connectButton"));
        auto* hub = w.findChild<QWidget*>(QStringLiteral("paramTree"));
        QCOMPARE(indicator->text(), QStringLiteral("Connecting"));

        session->tick();
        QTRY_COMPARE(session->state(), DeviceSession::ReadingAll);
        QVERIFY(!hub->isEnabled());
        QCOMPARE(indicator->text(), QStringLiteral("Connected"));
        QCOMPARE(indicator->styleSheet(), QStringLiteral("border-bottom:2px solid #00ff00;"));
        QTRY_VERIFY_WITH_TIMEOUT(session->isIdle(), 10000);
        QVERIFY(hub->isEnabled());

        emu.unplug();
        session->tick();
        QTRY_VERIFY_WITH_TIMEOUT(session->isIdle() && !session->isConnected(), 10000);
        QCOMPARE(indicator->text(), QStringLiteral("Connecting"));
        QCOMPARE(indicator->styleSheet(), QStringLiteral("border-bottom:2px solid #ff0000;"));

        QMenu* menu = w.findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
        menu->actions().at(2)->setChecked(true); // Read Levels
        QVERIFY(session->readsLevels());
        QString question;
        answerNextDialog(
            [&question](QWidget* dialog) {
                question = static_cast<QMessageBox*>(dialog)->text();
                static_cast<QMessageBox*>(dialog)->done(QMessageBox::No);
            },
            5000, "QMessageBox");
        menu->actions().at(4)->menu()->actions().at(0)->trigger(); // Service, Reboot
        QCOMPARE(question, QStringLiteral("Reboot device?"));
        QVERIFY(session->isIdle());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
