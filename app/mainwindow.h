#pragma once

#include <QMainWindow>
#include <QMenu>
#include <QSettings>
#include <QString>

namespace Ui {
class MainWindow;
}
class ParamTreeDialog;
class TreeWidget;

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Inputs of the connection automaton.
    enum input
    {
        ParamEnqueued = 0,
        TimerTick = 1,
        WriteAll = 2,
        ReadAll = 3,
        PresetChanged = 4,
        WritePlugin = 5,
        Reboot = 6,
        RunBootloader = 7,
        RequestComplete = 8,
    };
    Q_ENUM(input)

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    void updateConnectionIndicator();
    void saveFileDir(const QString& key, const QString& fileName);
    bool confirm(const QString& text);
    void showMessageBox(const QString& text);
    void runAutomaton(MainWindow::input in);

    bool isConnected() const { return connected; }

public Q_SLOTS:
    void onParamEnqueuedForUpdate();
    void on_settingsButton_clicked();
    void on_actionRead_All_triggered();
    void on_actionGenerate_Plugin_triggered();
    void on_actionShow_Tree_toggled(bool arg1);
    void onActionAboutTriggered(bool checked);
    void reloadStyle();
    void reloadStyleblue();
    void onParamTreeDialogFinished();
    void changestyle(bool checked);

protected:
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool applyStyleSheet(const QString& resource);
    void updateDacTab();

    Ui::MainWindow* ui;
    ParamTreeDialog* paramTreeDialog = nullptr;
    TreeWidget* treeWidget = nullptr;
    QMenu settingsMenu;
    QAction* readLevelsAction = nullptr;
    QAction* darkModeAction = nullptr;
    QWidget* sabreTab = nullptr;
    QWidget* ak449xTab = nullptr;

    QString lastDacModel;
    bool firstShowDone = false;
    bool connected = false;

    QSettings settings;
    const QString themeKey = QStringLiteral("theme");
    const QString lightTheme = QStringLiteral("light");
    const QString darkTheme = QStringLiteral("dark");
    const QString lastPluginsDirKey = QStringLiteral("lastPluginsDir");
    const QString lastPresetsDirKey = QStringLiteral("lastPresetsDir");
};
