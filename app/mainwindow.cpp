#include "mainwindow.h"

#include "aboutdialog.h"
#include "channelcopy.h"
#include "crossoverdialog.h"
#include "dacmodelnode.h"
#include "deviceaccess.h"
#include "devicenodes.h"
#include "edithistory.h"
#include "equalizerdialog.h"
#include "firmwareversionnode.h"
#include "parambinding.h"
#include "paramtree.h"
#include "paramtreedialog.h"
#include "paramtreeview.h"
#include "peqsnode.h"
#include "pluginversionnode.h"
#include "pluginwritingprogress.h"
#include "ui_mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QIdentityProxyModel>
#include <QMessageBox>
#include <QPixmapCache>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabBar>

namespace {

// The file list's header asks for a 16-pixel-wide spacer image that keeps the column title
// in line with the names below it. Qt's file model makes a new image on every request and
// the pixmap cache keeps each drawing of one, so every header repaint left one behind. One
// spacer, kept in that cache, serves every dialog.
class SharedHeaderSpacer : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        const QVariant data = QIdentityProxyModel::headerData(section, orientation, role);
        if (role != Qt::DecorationRole || data.userType() != QMetaType::QImage)
            return data;
        const QImage image = data.value<QImage>();
        const QString key =
            QStringLiteral("tonvise-header-spacer-%1x%2").arg(image.width()).arg(image.height());
        QPixmap spacer;
        if (!QPixmapCache::find(key, &spacer)) {
            spacer = QPixmap::fromImage(image);
            QPixmapCache::insert(key, spacer);
        }
        return spacer;
    }
};

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), settingsMenu(this),
      settings(QStringLiteral("Veltrane"), QStringLiteral("Tonvise"))
{
    aboutDialog = new AboutDialog(this);
    equalizerDialog = new EqualizerDialog(this);
    crossoverDialog = new CrossoverDialog(this);
    paramTreeDialog = new ParamTreeDialog(this);
    pluginProgress = new PluginWritingProgress(this);
    treeWidget = paramTreeDialog->getParamTree();

    ui->setupUi(this);
    // Dialogs, message boxes and file dialogs are windows of their own: they take the
    // application's font, not this window's, unless the two are made the same.
    QApplication::setFont(font());
    paramTree = std::make_unique<ParamTree>();
    treeWidget->showTree(paramTree.get());
    crossoverDialog->setXoverNodes(paramTree->getXoverNodes());
    ParamBinding::bind(paramTree->getPresetNode(), ui->presetValue);
    ParamBinding::bind(paramTree->inputSourceNode(), ui->inputSourceValue);
    const auto versionLabels = aboutDialog->getVersionLabels();
    ParamBinding::bind(paramTree->firmwareVersionNode(), versionLabels.first.get());
    ParamBinding::bind(paramTree->pluginVersionNode(), versionLabels.second.get());
    deviceSession = new DeviceSession(paramTree.get(), paramTree->hub->updateQueue(), *this, this);
    buildPanels();

    QAction* readAll = settingsMenu.addAction(QStringLiteral("   Read All  (F5)"));
    readAll->setShortcut(QKeySequence(Qt::Key_F5));
    readAll->setShortcutVisibleInContextMenu(false);
    connect(readAll, &QAction::triggered, this, &MainWindow::on_actionRead_All_triggered);
    auto* readAllShortcut = new QShortcut(QKeySequence(Qt::Key_F5), this);
    readAllShortcut->setContext(Qt::WindowShortcut);
    connect(readAllShortcut, &QShortcut::activated, this, &MainWindow::on_actionRead_All_triggered);

    QAction* writePlugin = settingsMenu.addAction(QStringLiteral("   Write Plugin"));
    connect(writePlugin, &QAction::triggered, this, &MainWindow::on_actionWrite_Plugin_triggered);
    readLevelsAction = settingsMenu.addAction(QStringLiteral("   Read Levels"));
    readLevelsAction->setCheckable(true);
    readLevelsAction->setChecked(false);
    connect(readLevelsAction, &QAction::toggled, deviceSession, &DeviceSession::setReadLevels);
    darkModeAction = settingsMenu.addAction(QStringLiteral("   Dark mode"));
    darkModeAction->setCheckable(true);
    connect(darkModeAction, &QAction::toggled, this, &MainWindow::changestyle);
    QAction* showTree = settingsMenu.addAction(QStringLiteral("   Parameter Tree\u2026"));
    connect(showTree, &QAction::triggered, this, &MainWindow::showParamTree);
    QMenu* service = settingsMenu.addMenu(QStringLiteral("   Service"));
    connect(service->addAction(QStringLiteral("Reboot")), &QAction::triggered, deviceSession,
            &DeviceSession::reboot);
    connect(service->addAction(QStringLiteral("Run Bootloader")), &QAction::triggered,
            deviceSession, &DeviceSession::runBootloader);
    settingsMenu.setLayoutDirection(Qt::RightToLeft);
    buildHistoryActions();
    buildLinks();
    QAction* about = settingsMenu.addAction(QStringLiteral("   About"));
    connect(about, &QAction::triggered, this, &MainWindow::onActionAboutTriggered);

    connect(deviceSession, &DeviceSession::connectionChanged, this,
            &MainWindow::updateConnectionIndicator);
    // While the whole tree is in transit, edits would be overwritten or sent twice.
    connect(deviceSession, &DeviceSession::bulkTransferChanged, treeWidget,
            [this](bool running) { treeWidget->setEnabled(!running); });
    connect(deviceSession, &DeviceSession::pluginProgress, this, &MainWindow::showPluginProgress);
    connect(deviceSession, &DeviceSession::pluginFinished, pluginProgress, &QWidget::hide);
    ParamHub* hub = paramTree->hub;
    connect(hub, &ParamHub::presetChanged, deviceSession, &DeviceSession::writePreset);
    connect(hub, &ParamHub::crossoverRequested, this, &MainWindow::onXoverButtonClicked);
    connect(crossoverDialog, &CrossoverDialog::copyRequested, this,
            [this](int output) { pasteSettings(output, -1, CrossoverPart); });
    connect(hub, &ParamHub::equalizerRequested, this, &MainWindow::onPEQButtonClicked);
    connect(equalizerDialog, &EqualizerDialog::copyRequested, this, [this](PEQSNode* node) {
        const int strip = stripOf(node->parent);
        if (strip >= 0)
            pasteSettings(strip, -1, EqualizerPart);
    });
    connect(hub, &ParamHub::channelLabelChanged, this, &MainWindow::onChannelLabelChanged);
    connect(hub, &ParamHub::channelLabelChanged, equalizerDialog,
            &EqualizerDialog::onChannelLabelChanged);
    connect(hub, &ParamHub::channelLabelChanged, crossoverDialog,
            &CrossoverDialog::onChannelLabelChanged);

    tuneComboBoxes();

    if (settings.value(themeKey).toString() == darkTheme)
        reloadDarkStyle();
    else
        reloadLightStyle();

    auto* lightShortcut = new QShortcut(QKeySequence(Qt::Key_F12), this);
    lightShortcut->setContext(Qt::WindowShortcut);
    connect(lightShortcut, &QShortcut::activated, this, &MainWindow::reloadLightStyle);
    auto* darkShortcut = new QShortcut(QKeySequence(Qt::Key_F11), this);
    darkShortcut->setContext(Qt::WindowShortcut);
    connect(darkShortcut, &QShortcut::activated, this, &MainWindow::reloadDarkStyle);

    startTimer(1000, Qt::CoarseTimer);
}

MainWindow::~MainWindow()
{
    // The link stops before the tree it reads into goes.
    delete deviceSession;
    delete ui;
}

// The window's one timer drives the session's probe and then the DAC tab, which
// follows the model the device reported.
void MainWindow::timerEvent(QTimerEvent*)
{
    deviceSession->tick();
    updateDacTab();
    updateAccessHint();
}

// A processor that is plugged in but may not be opened looks like an absent one: say
// why, and how to fix it. Listing is cheap, and only done while the open fails.
void MainWindow::updateAccessHint()
{
    const bool refused =
        !deviceSession->isConnected() && deviceSession->openFailed() && deviceListed();
    ui->connectButton->setToolTip(refused ? deviceRefusedMessage() : QString());
}

void MainWindow::updateDacTab()
{
    const QString model = ui->dacModelLabel->text();
    if (model == lastDacModel)
        return;
    QWidget* wanted = nullptr;
    QString title;
    if (model == QLatin1String("SABRE")) {
        wanted = sabreTab;
        title = QStringLiteral("DAC");
    } else if (model == QLatin1String("AK449X")) {
        wanted = ak449xTab;
        title = QStringLiteral("AK449X");
    }
    // By page, not by title: the AK449X page's title does not begin with "DAC".
    for (QWidget* page : {sabreTab, ak449xTab}) {
        const int at = ui->tabs->indexOf(page);
        if (page && page != wanted && at >= 0)
            ui->tabs->removeTab(at);
    }
    if (wanted && ui->tabs->indexOf(wanted) < 0)
        ui->tabs->addTab(wanted, title);
    lastDacModel = model;
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!firstShowDone) {
        firstShowDone = true;
        ui->tabs->setCurrentIndex(0);
    }
}

void MainWindow::updateConnectionIndicator(bool connected)
{
    if (connected) {
        ui->connectButton->setText(QStringLiteral("Connected"));
        ui->connectButton->setStyleSheet(QStringLiteral("border-bottom:2px solid #00ff00;"));
    } else {
        ui->connectButton->setText(QStringLiteral("Connecting"));
        ui->connectButton->setStyleSheet(QStringLiteral("border-bottom:2px solid #ff0000;"));
    }
    // Forces the next tick to rebuild the DAC tab from what the device reports next.
    ui->dacModelLabel->setText(QString());
}

void MainWindow::saveFileDir(const QString& key, const QString& fileName)
{
    settings.setValue(key, QFileInfo(fileName).absoluteDir().absolutePath());
}

bool MainWindow::confirm(const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral(" "), text,
                    QMessageBox::Yes | QMessageBox::No, this);
    // Only a deliberate Yes goes ahead: Return, like Escape, answers No.
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString MainWindow::askForFile(QFileDialog::AcceptMode mode, const QString& title,
                               const QString& folderKey, const QString& filter)
{
    // Our own dialog rather than QFileDialog's static functions, for the shared header
    // spacer; like theirs it lives only while it asks.
    QFileDialog dialog(this, title, settings.value(folderKey).toString(), filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    dialog.setProxyModel(new SharedHeaderSpacer(&dialog));
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

void MainWindow::showMessage(const QString& text)
{
    QMessageBox box(this);
    box.setText(text);
    box.exec();
}

void MainWindow::buildHistoryActions()
{
    editHistory = new EditHistory(paramTree.get(), this);
    // The steps hold values the device had; once it may hold others, undoing one would
    // write a value nobody chose.
    const QString clearedTip =
        QStringLiteral("The history is cleared when the processor's values are read again "
                       "(Read All, a preset change, a reconnect).");
    undoAction = settingsMenu.addAction(QString());
    redoAction = settingsMenu.addAction(QString());
    for (QAction* action : {undoAction, redoAction}) {
        action->setStatusTip(clearedTip);
        action->setToolTip(clearedTip);
        action->setShortcutVisibleInContextMenu(false);
    }
    settingsMenu.setToolTipsVisible(true);
    connect(undoAction, &QAction::triggered, editHistory, &EditHistory::undo);
    connect(redoAction, &QAction::triggered, editHistory, &EditHistory::redo);
    // Application-wide, so that the dialogs and the parameter tree undo too; a text field
    // with the focus keeps Ctrl+Z for its own text.
    const QList<QPair<QKeySequence, QAction*>> keys = {
        {QKeySequence(Qt::CTRL | Qt::Key_Z), undoAction},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), redoAction},
        {QKeySequence(Qt::CTRL | Qt::Key_Y), redoAction},
    };
    for (const auto& key : keys) {
        auto* shortcut = new QShortcut(key.first, this);
        shortcut->setContext(Qt::ApplicationShortcut);
        QAction* action = key.second;
        connect(shortcut, &QShortcut::activated, action, &QAction::trigger);
    }
    connect(editHistory, &EditHistory::changed, this, &MainWindow::updateHistoryActions);
    connect(&settingsMenu, &QMenu::aboutToShow, this, &MainWindow::updateHistoryActions);
    updateHistoryActions();

    connect(deviceSession, &DeviceSession::bulkTransferChanged, editHistory, [this](bool running) {
        if (running && deviceSession->state() == DeviceSession::ReadingAll)
            editHistory->clear();
        // Like an edit, an undo waits while the whole tree is in transit.
        bulkTransferRunning = running;
        updateHistoryActions();
    });
    connect(deviceSession, &DeviceSession::connectionChanged, editHistory, [this](bool connected) {
        if (connected)
            editHistory->clear();
    });
    connect(paramTree->hub, &ParamHub::presetChanged, editHistory, &EditHistory::clear);
}

void MainWindow::updateHistoryActions()
{
    const QString undoText = editHistory->undoText();
    const QString redoText = editHistory->redoText();
    undoAction->setText(undoText.isEmpty() ? QStringLiteral("   Undo")
                                           : QStringLiteral("   Undo %1").arg(undoText));
    redoAction->setText(redoText.isEmpty() ? QStringLiteral("   Redo")
                                           : QStringLiteral("   Redo %1").arg(redoText));
    undoAction->setEnabled(!undoText.isEmpty() && !bulkTransferRunning);
    redoAction->setEnabled(!redoText.isEmpty() && !bulkTransferRunning);
}

void MainWindow::on_settingsButton_clicked()
{
    const QPoint origin = ui->settingsButton->mapToGlobal(QPoint(0, 0));
    const QPoint shift(ui->settingsButton->width() - settingsMenu.sizeHint().width(),
                       ui->settingsButton->height() - 2);
    settingsMenu.move(origin + shift);
    settingsMenu.show();
}

void MainWindow::on_actionRead_All_triggered()
{
    deviceSession->readAll();
}

void MainWindow::on_actionWrite_Plugin_triggered()
{
    const QString fileName =
        askForFile(QFileDialog::AcceptOpen, QStringLiteral("Choose plugin binary"),
                   lastPluginsDirKey, QStringLiteral("Binary (*.bin)"));
    if (fileName.isEmpty())
        return;
    saveFileDir(lastPluginsDirKey, fileName);
    deviceSession->writePluginFile(fileName);
}

void MainWindow::showPluginProgress(DeviceSession::PluginPhase phase, int done, int total)
{
    pluginProgress->setText(phase == DeviceSession::PluginPhase::Writing
                                ? QStringLiteral("Writing plugin...")
                                : QStringLiteral("Verifying plugin..."));
    pluginProgress->setProgress(total > 0 ? int(qint64(done) * 100 / total) : 0);
    pluginProgress->show();
}

void MainWindow::on_actionShow_Tree_toggled(bool arg1)
{
    paramTreeDialog->setVisible(arg1);
}

// Non-modal, so the tree can stay open beside the window while the device is edited.
void MainWindow::showParamTree()
{
    paramTreeDialog->show();
    paramTreeDialog->raise();
    paramTreeDialog->activateWindow();
}

bool MainWindow::applyStyleSheet(const QString& resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    setStyleSheet(QString::fromUtf8(file.readAll()));
    return true;
}

void MainWindow::reloadLightStyle()
{
    applyTheme(false);
}

void MainWindow::reloadDarkStyle()
{
    applyTheme(true);
}

bool MainWindow::applyTheme(bool dark)
{
    if (!applyStyleSheet(dark ? QStringLiteral(":/dark.qss") : QStringLiteral(":/light.qss")))
        return false;
    settings.setValue(themeKey, dark ? darkTheme : lightTheme);
    // The tick follows the sheet in use, whichever way it was chosen (menu, F11, F12); set
    // silently, since the sheet is already applied.
    const QSignalBlocker blocker(darkModeAction);
    darkModeAction->setChecked(dark);
    return true;
}

void MainWindow::changestyle(bool checked)
{
    if (!applyTheme(checked)) {
        const QSignalBlocker blocker(darkModeAction);
        darkModeAction->setChecked(!checked); // the old sheet stays in use
    }
}
