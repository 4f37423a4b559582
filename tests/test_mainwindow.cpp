#include "linkexchange.h"
#include "mainwindow.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMap>
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
            // The keys switch the theme, and the tick shows the one in use.
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            for (const bool dark : {false, true, true, false}) {
                QTest::keyClick(&w, dark ? Qt::Key_F11 : Qt::Key_F12);
                QCOMPARE(store.value("theme").toString(), dark ? "dark" : "light");
                QCOMPARE(darkMode(w)->isChecked(), dark);
                QCOMPARE(w.styleSheet().contains(navy), dark);
            }
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
        QMap<QString, QAction*> entries;
        for (QAction* action : menu->actions()) {
            texts << action->text();
            entries[action->text()] = action;
            if (action->menu())
                for (QAction* inner : action->menu()->actions())
                    texts << "> " + inner->text();
        }
        QCOMPARE(texts, QStringList({"   Read All  (F5)", "   Write Plugin", "   Read Levels",
                                     "   Dark mode", QStringLiteral("   Parameter Tree\u2026"),
                                     "   Service", "> Reboot", "> Run Bootloader", "   Undo",
                                     "   Redo", "   About"}));
        QCOMPARE(menu->actions().at(0)->shortcut(), QKeySequence(Qt::Key_F5));

        // The tree opens beside the window, which stays usable.
        auto* tree = w.findChild<QDialog*>(QStringLiteral("ParamTreeDialog"));
        QVERIFY(!tree->isVisible());
        entries.value(QStringLiteral("   Parameter Tree\u2026"))->trigger();
        QVERIFY(tree->isVisible() && !tree->isModal());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        tree->close();

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

    // What the device session does reaches the window: the tree view is locked during
    // Read All, the menu reaches the session, and its questions come as message boxes.
    void followsTheDeviceSession()
    {
        PrivatePreferences prefs;
        freshProcessor().setLatency(std::chrono::milliseconds(1)); // Read All takes a while
        MainWindow w;
        TickBlocker ticks;
        w.installEventFilter(&ticks);
        DeviceSession* session = w.session();
        auto* hub = w.findChild<QWidget*>(QStringLiteral("paramTree"));
        session->tick();
        QTRY_COMPARE(session->state(), DeviceSession::ReadingAll);
        QVERIFY(!hub->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(session->isIdle(), 10000);
        QVERIFY(hub->isEnabled());

        QMap<QString, QAction*> entries;
        for (QAction* action : w.findChildren<QAction*>())
            entries[action->text()] = action;
        entries.value(QStringLiteral("   Read Levels"))->setChecked(true);
        QVERIFY(session->readsLevels());
        QString question;
        answerNextDialog(
            [&question](QWidget* dialog) {
                question = static_cast<QMessageBox*>(dialog)->text();
                static_cast<QMessageBox*>(dialog)->done(QMessageBox::No);
            },
            5000, "QMessageBox");
        entries.value(QStringLiteral("Reboot"))->trigger();
        QCOMPARE(question, QStringLiteral("Reboot device?"));
        QVERIFY(session->isIdle());
    }

    // Exactly the page of the DAC the device names shows; none while it is away, and a
    // reconnect builds the page for what the device reports then. The indicator follows.
    void dacTabFollowsTheReportedModel()
    {
        PrivatePreferences prefs;
        EmulatedProcessor& emu = freshProcessor();
        MainWindow w;
        TickBlocker ticks;
        w.installEventFilter(&ticks);
        auto* tabs = w.findChild<QTabWidget*>(QStringLiteral("tabs"));
        const auto titles = [tabs] {
            QStringList out;
            for (int i = 0; i < tabs->count(); ++i)
                out << tabs->tabText(i);
            return out;
        };
        const QStringList always{"Outputs", "Inputs", "Routing", "Remote"};
        const struct
        {
            QByteArray model; // as the device reports it
            QStringList tabs;
        } steps[] = {{"SABRE", always + QStringList{"DAC"}},
                     {"AK449X", always + QStringList{"AK449X"}},
                     {"", always},
                     {"SABRE", always + QStringList{"DAC"}}};
        auto* indicator = w.findChild<QPushButton*>(QStringLiteral("connectButton"));
        const auto shows = [indicator](const char* text, const char* colour) {
            return indicator->text() == QLatin1String(text) &&
                   indicator->styleSheet() ==
                       QStringLiteral("border-bottom:2px solid %1;").arg(colour);
        };
        DeviceSession* session = w.session();
        for (const auto& step : steps) {
            emu.unplug();
            ticks.tick(&w);
            QTRY_VERIFY(sessionIdle(*session) && !session->isConnected());
            QVERIFY(&step == steps || shows("Connecting", "#ff0000")); // once it was connected
            ticks.tick(&w);
            QCOMPARE(titles(), always);
            QTRY_VERIFY(sessionIdle(*session));
            emu.setValue(12, step.model.leftJustified(32, '\0')); // DAC Model
            emu.plugIn();
            ticks.tick(&w);
            QTRY_VERIFY_WITH_TIMEOUT(sessionIdle(*session) && session->isConnected(), 10000);
            QVERIFY(shows("Connected", "#00ff00"));
            ticks.tick(&w);
            QCOMPARE(titles(), step.tabs);
            QTRY_VERIFY(sessionIdle(*session));
        }
        QCOMPARE(indicator->toolTip(), QString());

        // Plugged in but not to be opened (no udev rule): the indicator says how to fix it.
        emu.unplug();
        emu.plugIn();
        emu.setOpenRefused(true);
        ticks.tick(&w);
        QTRY_VERIFY(sessionIdle(*session) && !session->isConnected());
        ticks.tick(&w);
        QVERIFY2(indicator->toolTip().contains("70-tonvise.rules"),
                 qPrintable(indicator->toolTip()));
        QTRY_VERIFY(sessionIdle(*session));
        emu.setOpenRefused(false);
        ticks.tick(&w);
        QTRY_VERIFY_WITH_TIMEOUT(sessionIdle(*session) && session->isConnected(), 10000);
        ticks.tick(&w);
        QCOMPARE(indicator->toolTip(), QString());
        QTRY_VERIFY(sessionIdle(*session));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
