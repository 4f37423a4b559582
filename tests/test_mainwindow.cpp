#include "mainwindow.h"
#include "testsupport.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT
private:
    QString storedTheme() const
    {
        return QSettings(QStringLiteral("Veltrane"), QStringLiteral("Tonvise"))
            .value(QStringLiteral("theme"))
            .toString();
    }
    QAction* menuEntry(MainWindow& w, const QString& text)
    {
        for (QMenu* menu : w.findChildren<QMenu*>()) {
            for (QAction* action : menu->actions()) {
                if (action->text() == text)
                    return action;
            }
        }
        return nullptr;
    }

private Q_SLOTS:
    void initTestCase() { initTestResources(); }

    void freshStoreStartsLightAndDarkModePersists()
    {
        PrivatePreferences prefs;
        {
            MainWindow w;
            QCOMPARE(w.windowTitle(), QStringLiteral("Tonvise"));
            QAction* dark = menuEntry(w, QStringLiteral("   Dark mode"));
            QVERIFY(dark);
            QVERIFY(!dark->isChecked());
            QCOMPARE(storedTheme(), QStringLiteral("light"));
            QVERIFY(w.styleSheet().contains(QStringLiteral("white")));
            dark->setChecked(true);
            QCOMPARE(storedTheme(), QStringLiteral("dark"));
            QVERIFY(w.styleSheet().contains(QStringLiteral("#0e1f3b")));
        }
        {
            MainWindow w;
            QAction* dark = menuEntry(w, QStringLiteral("   Dark mode"));
            QVERIFY(dark->isChecked());
            QVERIFY(w.styleSheet().contains(QStringLiteral("#0e1f3b")));
            // F12 goes light but leaves the checked entry alone.
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QTest::keyClick(&w, Qt::Key_F12);
            QCOMPARE(storedTheme(), QStringLiteral("light"));
            QVERIFY(dark->isChecked());
            QVERIFY(!w.styleSheet().contains(QStringLiteral("#0e1f3b")));
            QTest::keyClick(&w, Qt::Key_F11);
            QCOMPARE(storedTheme(), QStringLiteral("dark"));
        }
        {
            QSettings(QStringLiteral("Veltrane"), QStringLiteral("Tonvise"))
                .setValue(QStringLiteral("theme"), QStringLiteral("purple"));
            MainWindow w;
            QVERIFY(!menuEntry(w, QStringLiteral("   Dark mode"))->isChecked());
            QCOMPARE(storedTheme(), QStringLiteral("light"));
        }
    }

    void settingsMenuEntriesInOrder()
    {
        PrivatePreferences prefs;
        MainWindow w;
        QMenu* menu = nullptr;
        for (QMenu* m : w.findChildren<QMenu*>()) {
            if (m->parent() == &w)
                menu = m;
        }
        QVERIFY(menu);
        QStringList texts;
        for (QAction* action : menu->actions())
            texts << action->text();
        QCOMPARE(texts, QStringList(
                            {QStringLiteral("   Read All  (F5)"), QStringLiteral("   Write Plugin"),
                             QStringLiteral("   Read Levels"), QStringLiteral("   Dark mode"),
                             QStringLiteral("   Service"), QStringLiteral("   About")}));
        QCOMPARE(menu->layoutDirection(), Qt::RightToLeft);
        QVERIFY(menu->actions().at(2)->isCheckable());
        QVERIFY(!menu->actions().at(2)->isChecked());
        QCOMPARE(menu->actions().at(0)->shortcut(), QKeySequence(Qt::Key_F5));
        QMenu* service = menu->actions().at(4)->menu();
        QVERIFY(service);
        QCOMPARE(service->actions().size(), 2);
        QCOMPARE(service->actions().at(0)->text(), QStringLiteral("Reboot"));
        QCOMPARE(service->actions().at(1)->text(), QStringLiteral("Run Bootloader"));
    }

    void indicatorAndFirstShow()
    {
        PrivatePreferences prefs;
        MainWindow w;
        auto* indicator = w.findChild<QPushButton*>(QStringLiteral("connectButton"));
        QCOMPARE(indicator->text(), QStringLiteral("Connecting"));
        w.updateConnectionIndicator();
        QCOMPARE(indicator->styleSheet(), QStringLiteral("border-bottom:2px solid #ff0000;"));
        auto* tabs = w.findChild<QTabWidget*>(QStringLiteral("tabs"));
        // Both DAC pages leave the bar until the device names its DAC.
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
