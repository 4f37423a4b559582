#pragma once

#include "deviceprotocol.h"
#include "paramtree.h"
#include "treewidget.h"

#include <QByteArray>
#include <QFileDialog>
#include <QList>
#include <QMainWindow>
#include <QMenu>
#include <QSettings>
#include <QString>
#include <memory>

namespace Ui {
class MainWindow;
}
class AboutDialog;
class ChannelControl;
class CrossoverDialog;
class EqualizerDialog;
class HIDThread;
class QLabel;
class Node;
class ParamTreeDialog;
class PluginWritingProgress;
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

    // States of the automaton: which request is in flight.
    enum State
    {
        Idle = 0,
        UpdatingParam = 1,
        PollingLevels = 2,
        WritingAll = 3,
        ReadingAll = 4,
        WritingPlugin = 5,
        VerifyingPlugin = 6,
        WritingPreset = 7,
        AwaitingServiceReply = 8,
    };

    struct ReadParamResult
    {
        bool valid = false;
        bool ok = false;
        bool changed = false;
    };

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    void updateConnectionIndicator();
    void saveFileDir(const QString& key, const QString& fileName);
    bool confirm(const QString& text);
    void showMessageBox(const QString& text);
    // A file name chosen in a file dialog that starts in the folder stored under
    // `folderKey`; empty when cancelled.
    QString askForFile(QFileDialog::AcceptMode mode, const QString& title, const QString& folderKey,
                       const QString& filter);
    void runAutomaton(MainWindow::input in);

    bool isConnected() const { return connected; }
    int automatonState() const { return state; }
    ParamTree* getParamTree() const { return paramTree.get(); }

    // Request frames, and senders handing them to the worker (false: nothing sent).
    QByteArray makeReadParamRequest(const Node* node);
    QByteArray makeWriteParamRequest(const Node* node);
    bool makeReadParamRequest(ParamTree::ParamSubset subset);
    bool makeWriteParamRequest(ParamTree::ParamSubset subset);
    bool makeUpdateRequest();
    bool makeWritePluginRequest();
    bool makeReadPluginRequest();
    bool makeRebootRequest();
    bool makeRunBootloaderRequest();

    // Checks of the last response.
    ReadParamResult handleReadParamResponse(ParamTree::ParamSubset subset, bool apply);
    bool handleWriteParamResponse();
    DeviceProtocol::WritePluginResult handleWritePluginResponse();
    bool handleReadPluginResponse();

public Q_SLOTS:
    void onRequestComplete(QByteArray response);
    void onParamEnqueuedForUpdate();
    void onPresetChanged();
    void onXoverButtonClicked(int channelIndex);
    void onPEQButtonClicked(PEQSNode* node);
    void onChannelLabelChanged(int channelIndex, const QString& text);
    void on_saveButton_clicked();
    void on_loadButton_clicked();
    void on_settingsButton_clicked();
    void on_actionRead_All_triggered();
    void on_actionGenerate_Plugin_triggered();
    void on_actionWrite_Plugin_triggered();
    void on_actionShow_Tree_toggled(bool arg1);
    void onActionRebootTriggered();
    void onActionRunBootloaderTriggered();
    void onActionAboutTriggered(bool checked);
    void reloadStyle();
    void reloadStyleblue();
    void onParamTreeDialogFinished();
    void onOutputTitlePressed();
    void changestyle(bool checked);

protected:
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool applyStyleSheet(const QString& resource);
    void updateDacTab();
    void buildPanels();
    void tuneComboBoxes();
    void dispatchIdle(MainWindow::input in);
    bool completeRequest();
    void startReadAll();
    bool startPluginPass();
    bool continuePluginWriting();
    bool continuePluginVerification();

    Ui::MainWindow* ui;
    AboutDialog* aboutDialog = nullptr;
    EqualizerDialog* equalizerDialog = nullptr;
    CrossoverDialog* crossoverDialog = nullptr;
    ParamTreeDialog* paramTreeDialog = nullptr;
    TreeWidget* treeWidget = nullptr;
    QMenu settingsMenu;
    QAction* readLevelsAction = nullptr;
    QAction* darkModeAction = nullptr;
    QWidget* sabreTab = nullptr;
    QWidget* ak449xTab = nullptr;

    std::unique_ptr<ParamTree> paramTree;
    HIDThread* hidThread = nullptr;
    PluginWritingProgress* pluginProgress = nullptr;

    QList<ChannelControl*> outputStrips;
    QList<QLabel*> routingLabels;
    QList<QLabel*> subwooferLabels;

    QString lastDacModel;
    bool firstShowDone = false;
    bool connected = false;

    // The automaton; GUI thread only.
    int state = Idle;
    QList<MainWindow::input> inputQueue;
    QByteArray lastResponse;
    int paramIndex = 0;
    QByteArray pluginImage;
    int pluginOffset = 0;
    int pluginChunkCount = 0;
    int pluginRestarts = 0;

    QSettings settings;
    const QString themeKey = QStringLiteral("theme");
    const QString lightTheme = QStringLiteral("light");
    const QString darkTheme = QStringLiteral("dark");
    const QString lastPluginsDirKey = QStringLiteral("lastPluginsDir");
    const QString lastPresetsDirKey = QStringLiteral("lastPresetsDir");
};
