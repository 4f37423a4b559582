#pragma once

#include "devicesession.h"
#include "paramhub.h"
#include "paramtree.h"
#include "sessionprompter.h"

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
class ChannelLink;
class EditHistory;
class ChannelControl;
class CrossoverDialog;
class EqualizerDialog;
class QLabel;
class ParamTreeDialog;
class PluginWritingProgress;
class ParamTreeView;

// Builds the views, binds them to the parameter tree, and shows what the device
// session reports; the session does all talking to the device.
class MainWindow : public QMainWindow, public SessionPrompter
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    void saveFileDir(const QString& key, const QString& fileName);
    bool confirm(const QString& text) override;
    void showMessage(const QString& text) override;
    // A file name chosen in a file dialog that starts in the folder stored under
    // `folderKey`; empty when cancelled.
    QString askForFile(QFileDialog::AcceptMode mode, const QString& title, const QString& folderKey,
                       const QString& filter);

    ParamTree* getParamTree() const { return paramTree.get(); }
    DeviceSession* session() const { return deviceSession; }
    EditHistory* history() const { return editHistory; }

public Q_SLOTS:
    void onXoverButtonClicked(int channelIndex);
    void onPEQButtonClicked(PEQSNode* node);
    void onChannelLabelChanged(int channelIndex, const QString& text);
    void on_saveButton_clicked();
    void on_loadButton_clicked();
    void on_settingsButton_clicked();
    void on_actionRead_All_triggered();
    void on_actionWrite_Plugin_triggered();
    void on_actionShow_Tree_toggled(bool arg1);
    void onActionAboutTriggered(bool checked);
    void reloadLightStyle();
    void reloadDarkStyle();
    void onOutputTitlePressed();
    void changestyle(bool checked);
    void showParamTree();

protected:
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool applyStyleSheet(const QString& resource);
    void updateConnectionIndicator(bool connected);
    void showPluginProgress(DeviceSession::PluginPhase phase, int done, int total);
    bool applyTheme(bool dark);
    void updateAccessHint();
    void updateDacTab();
    void buildPanels();
    void tuneComboBoxes();
    void buildHistoryActions();
    // The strip's context menu: copy its settings, paste copied ones onto it.
    void showStripMenu(ChannelControl* strip, const QPoint& globalPos);
    // Asks which parts (all of them, or only those of `onlyParts`) of the copied strip's
    // channel go to which channels of its kind, `targetStrip` ticked, and sets them.
    void pasteSettings(int sourceStrip, int targetStrip, int onlyParts = 0);
    // Strips count outputs first, then inputs.
    const Node* stripChannel(int strip) const;
    int stripOf(const Node* channel) const; // -1 for no strip's channel
    QString stripName(int strip) const;
    void updateHistoryActions();
    // "Link L/R" on the output strips, kept per preset.
    void buildLinks();
    void showPresetLinks();

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
    DeviceSession* deviceSession = nullptr;
    EditHistory* editHistory = nullptr;
    ChannelLink* channelLink = nullptr;
    QAction* undoAction = nullptr;
    QAction* redoAction = nullptr;
    bool bulkTransferRunning = false;
    PluginWritingProgress* pluginProgress = nullptr;

    QList<ChannelControl*> outputStrips;
    QList<ChannelControl*> inputStrips;
    int copiedStrip = -1; // whose settings "Copy settings" took
    QList<QLabel*> routingLabels;
    QList<QLabel*> subwooferLabels;

    QString lastDacModel;
    bool firstShowDone = false;

    QSettings settings;
    const QString themeKey = QStringLiteral("theme");
    const QString lightTheme = QStringLiteral("light");
    const QString darkTheme = QStringLiteral("dark");
    const QString lastPluginsDirKey = QStringLiteral("lastPluginsDir");
    const QString lastPresetsDirKey = QStringLiteral("lastPresetsDir");
};
