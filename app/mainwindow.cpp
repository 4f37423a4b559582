#include "mainwindow.h"

#include "aboutdialog.h"
#include "crossoverdialog.h"
#include "equalizerdialog.h"
#include "hidthread.h"
#include "paramtree.h"
#include "paramtreedialog.h"
#include "pluginwritingprogress.h"
#include "treewidget.h"
#include "ui_mainwindow.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QIdentityProxyModel>
#include <QMessageBox>
#include <QPixmapCache>
#include <QShortcut>
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
    connect(paramTreeDialog, &QDialog::finished, this, &MainWindow::onParamTreeDialogFinished);
    pluginProgress = new PluginWritingProgress(this);
    // The worker starts with the first request; its answers arrive through the event loop.
    hidThread = new HIDThread(this);
    treeWidget = paramTreeDialog->getParamTree();

    ui->setupUi(this);
    paramTree = std::make_unique<ParamTree>(treeWidget);
    crossoverDialog->setXoverNodes(paramTree->getXoverNodes());
    paramTree->bindPreset(ui->presetValue, ui->inputSourceValue);
    const auto versionLabels = aboutDialog->getVersionLabels();
    paramTree->bindVersions(versionLabels.first, versionLabels.second);
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
    darkModeAction = settingsMenu.addAction(QStringLiteral("   Dark mode"));
    darkModeAction->setCheckable(true);
    connect(darkModeAction, &QAction::toggled, this, &MainWindow::changestyle);
    QMenu* service = settingsMenu.addMenu(QStringLiteral("   Service"));
    connect(service->addAction(QStringLiteral("Reboot")), &QAction::triggered, this,
            &MainWindow::onActionRebootTriggered);
    connect(service->addAction(QStringLiteral("Run Bootloader")), &QAction::triggered, this,
            &MainWindow::onActionRunBootloaderTriggered);
    settingsMenu.setLayoutDirection(Qt::RightToLeft);
    QAction* about = settingsMenu.addAction(QStringLiteral("   About"));
    connect(about, &QAction::triggered, this, &MainWindow::onActionAboutTriggered);

    connect(hidThread, &HIDThread::requestComplete, this, &MainWindow::onRequestComplete,
            Qt::QueuedConnection);
    connect(treeWidget, &TreeWidget::paramEnqueuedForUpdate, this,
            &MainWindow::onParamEnqueuedForUpdate);
    connect(treeWidget, &TreeWidget::presetChanged, this, &MainWindow::onPresetChanged);
    connect(treeWidget, &TreeWidget::xoverButtonClicked, this, &MainWindow::onXoverButtonClicked);
    connect(treeWidget, &TreeWidget::peqButtonClicked, this, &MainWindow::onPEQButtonClicked);
    connect(treeWidget, &TreeWidget::channelLabelChanged, this, &MainWindow::onChannelLabelChanged);
    connect(treeWidget, &TreeWidget::channelLabelChanged, equalizerDialog,
            &EqualizerDialog::onChannelLabelChanged);
    connect(treeWidget, &TreeWidget::channelLabelChanged, crossoverDialog,
            &CrossoverDialog::onChannelLabelChanged);
    connect(equalizerDialog, &EqualizerDialog::changed, treeWidget, &TreeWidget::onPEQChanged);
    connect(crossoverDialog, &CrossoverDialog::changed, treeWidget, &TreeWidget::onXoverChanged);

    tuneComboBoxes();

    if (settings.value(themeKey).toString() == darkTheme)
        reloadStyleblue();
    else
        reloadStyle();

    auto* lightShortcut = new QShortcut(QKeySequence(Qt::Key_F12), this);
    lightShortcut->setContext(Qt::WindowShortcut);
    connect(lightShortcut, &QShortcut::activated, this, &MainWindow::reloadStyle);
    auto* darkShortcut = new QShortcut(QKeySequence(Qt::Key_F11), this);
    darkShortcut->setContext(Qt::WindowShortcut);
    connect(darkShortcut, &QShortcut::activated, this, &MainWindow::reloadStyleblue);

    startTimer(1000, Qt::CoarseTimer);
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::onParamEnqueuedForUpdate()
{
    runAutomaton(ParamEnqueued);
}

void MainWindow::timerEvent(QTimerEvent*)
{
    runAutomaton(TimerTick);
    updateDacTab();
}

void MainWindow::updateDacTab()
{
    const QString model = ui->dacModelLabel->text();
    if (model == lastDacModel)
        return;
    for (int i = ui->tabs->count() - 1; i >= 0; --i) {
        if (ui->tabs->tabText(i).startsWith(QLatin1String("DAC")))
            ui->tabs->removeTab(i);
    }
    if (model == QLatin1String("SABRE") && sabreTab)
        ui->tabs->addTab(sabreTab, QStringLiteral("DAC"));
    else if (model == QLatin1String("AK449X") && ak449xTab)
        ui->tabs->addTab(ak449xTab, QStringLiteral("AK449X"));
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

void MainWindow::updateConnectionIndicator()
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
    box.setDefaultButton(static_cast<QPushButton*>(nullptr));
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

void MainWindow::showMessageBox(const QString& text)
{
    QMessageBox box(this);
    box.setText(text);
    box.exec();
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
    runAutomaton(ReadAll);
}

void MainWindow::on_actionGenerate_Plugin_triggered() {}

void MainWindow::on_actionShow_Tree_toggled(bool arg1)
{
    paramTreeDialog->setVisible(arg1);
}

bool MainWindow::applyStyleSheet(const QString& resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    setStyleSheet(QString::fromUtf8(file.readAll()));
    return true;
}

void MainWindow::reloadStyle()
{
    if (applyStyleSheet(QStringLiteral(":/light.qss")))
        settings.setValue(themeKey, lightTheme);
}

void MainWindow::reloadStyleblue()
{
    if (!applyStyleSheet(QStringLiteral(":/blue.qss")))
        return;
    settings.setValue(themeKey, darkTheme);
    darkModeAction->setChecked(true);
}

void MainWindow::onParamTreeDialogFinished() {}

void MainWindow::changestyle(bool checked)
{
    if (checked)
        reloadStyleblue();
    else
        reloadStyle();
}
