#include "mainwindow.h"
#include "testsupport.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QtTest>

static QStringList texts(const QMenu* menu)
{
    QStringList result;
    for (QAction* action : menu->actions())
        result << action->text();
    return result;
}

// The settings menu is the window's only direct child menu; the service menu hangs below it.
static QMenu* settingsMenu(MainWindow& w)
{
    return w.findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly).value(0);
}

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
        {
            MainWindow w;
            QCOMPARE(store.value("theme").toString(), QStringLiteral("light"));
            settingsMenu(w)->actions().at(3)->setChecked(true);
            QCOMPARE(store.value("theme").toString(), QStringLiteral("dark"));
            QVERIFY(w.styleSheet().contains(navy));
        }
        {
            MainWindow w;
            QAction* dark = settingsMenu(w)->actions().at(3);
            QVERIFY(dark->isChecked() && w.styleSheet().contains(navy));
            // F12 goes light but leaves the checked entry alone; F11 goes dark.
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QTest::keyClick(&w, Qt::Key_F12);
            QCOMPARE(store.value("theme").toString(), QStringLiteral("light"));
            QVERIFY(dark->isChecked() && !w.styleSheet().contains(navy));
            QTest::keyClick(&w, Qt::Key_F11);
            QCOMPARE(store.value("theme").toString(), QStringLiteral("dark"));
        }
        store.setValue("theme", "purple");
        MainWindow w;
        QVERIFY(!settingsMenu(w)->actions().at(3)->isChecked());
        QCOMPARE(store.value("theme").toString(), QStringLiteral("light"));
    }

    void menuIndicatorAndFirstShow()
    {
        PrivatePreferences prefs;
        MainWindow w;
        QMenu* menu = settingsMenu(w);
        QVERIFY(menu);
        QCOMPARE(texts(menu), QStringList({"   Read All  (F5)", "   Write Plugin", "   Read Levels",
                                           "   Dark mode", "   Service", "   About"}));
        QCOMPARE(texts(menu->actions().at(4)->menu()), QStringList({"Reboot", "Run Bootloader"}));
        QCOMPARE(menu->actions().at(0)->shortcut(), QKeySequence(Qt::Key_F5));

        auto* indicator = w.findChild<QPushButton*>(QStringLiteral("connectButton"));
        QCOMPARE(indicator->text(), QStringLiteral("Connecting"));
        w.updateConnectionIndicator();
        QCOMPARE(indicator->styleSheet(), QStringLiteral("border-bottom:2px solid #ff0000;"));
        // Both DAC pages leave the bar until the device names its DAC.
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
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
