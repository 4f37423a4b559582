#pragma once

#include "deviceprotocol.h"
#include "paramhub.h"
#include "paramtree.h"

#include <QByteArray>
#include <QList>
#include <QMainWindow>
#include <QMenu>
#include <QSet>
#include <QSettings>
#include <QString>
#include <memory>
#include <optional>

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
class ParamTreeView;

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
    void runAutomaton(MainWindow::input in);

    bool isConnected() const { return connected; }
    int automatonState() const { return state; }
    ParamTree* getParamTree() const { return paramTree.get(); }

    // Request frames, and senders handing them to the worker (false: nothing sent).
    QByteArray makeReadParamRequest(const Node* node);
    QByteArray makeWriteParamRequest(const Node* node);
    bool makeReadParamRequest(ParamTree::ParamSubset subset);
    bool makeWriteParamRequest(ParamTree::ParamSubset subset);
    bool makeWriteAllRequest();
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
    void reloadLightStyle();
    void reloadDarkStyle();
    void onParamTreeDialogFinished();
    void onOutputTitlePressed();
    void changestyle(bool checked);
    void showParamTree();

protected:
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool applyStyleSheet(const QString& resource);
    bool applyTheme(bool dark);
    void updateDacTab();
    void buildPanels();
    void tuneComboBoxes();
    void dispatchIdle(MainWindow::input in);
    bool completeRequest();
    void startReadAll();
    // Takes the last response as the answer to the read of node `index` of `subset`.
    ReadParamResult handleReadParamResponse(ParamTree::ParamSubset subset, bool apply, int index);
    bool userChangeWaiting(const Node* node) const;
    bool startPluginPass();
    bool continuePluginWriting();
    bool continuePluginVerification();

    Ui::MainWindow* ui;
    AboutDialog* aboutDialog = nullptr;
    EqualizerDialog* equalizerDialog = nullptr;
    CrossoverDialog* crossoverDialog = nullptr;
    ParamTreeDialog* paramTreeDialog = nullptr;
    ParamTreeView* treeWidget = nullptr; // the parameter tree dialog's view
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
    // Set by a settings file until its Write All starts: that Write All sends only the
    // parameters the file set. Any other Write All sends every setting.
    std::optional<QSet<const Node*>> fileWrites;
    QList<const Node*> writeAllNodes; // what the Write All in progress sends, in order
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
