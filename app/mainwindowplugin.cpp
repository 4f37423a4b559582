// Writing a plugin image to the device and verifying it by reading it back.
#include "mainwindow.h"

#include "deviceprotocol.h"
#include "pluginwritingprogress.h"

#include <QFile>

namespace {

// A device that keeps refusing the first chunk with code 8 would otherwise restart
// the pass forever behind an application-modal dialog.
constexpr int maxPluginRestarts = 10;
constexpr int restartCode = 8;

int percent(qint64 done, qint64 total)
{
    return int(done * 100 / total);
}

} // namespace

void MainWindow::on_actionWrite_Plugin_triggered()
{
    const QString fileName =
        askForFile(QFileDialog::AcceptOpen, QStringLiteral("Choose plugin binary"),
                   lastPluginsDirKey, QStringLiteral("Binary (*.bin)"));
    if (fileName.isEmpty())
        return;
    saveFileDir(lastPluginsDirKey, fileName);
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // Offsets travel as signed 32-bit numbers: refuse before anything is sent.
    if (file.size() > 0 && !DeviceProtocol::pluginSizeSupported(file.size())) {
        showMessageBox(QStringLiteral("Error: can't start plugin writing."));
        return;
    }
    pluginImage = file.readAll();
    runAutomaton(WritePlugin);
}

bool MainWindow::startPluginPass()
{
    pluginOffset = 0;
    pluginChunkCount = 0;
    if (!DeviceProtocol::pluginSizeSupported(pluginImage.size()) || !makeWritePluginRequest())
        return false;
    pluginProgress->setText(QStringLiteral("Writing plugin..."));
    pluginProgress->setProgress(0);
    return true;
}

bool MainWindow::continuePluginWriting()
{
    const DeviceProtocol::WritePluginResult r = handleWritePluginResponse();
    if (r.ok) {
        pluginProgress->setProgress(percent(pluginOffset, pluginImage.size()));
        if (makeWritePluginRequest())
            return true;
        pluginOffset = 0;
        if (!makeReadPluginRequest()) {
            state = Idle;
            pluginProgress->hide();
            showMessageBox(QStringLiteral("Error: can't start plugin verification."));
            return false;
        }
        state = VerifyingPlugin;
        pluginProgress->setText(QStringLiteral("Verifying plugin..."));
        pluginProgress->setProgress(0);
        return true;
    }
    if (r.code == restartCode && pluginChunkCount == 1 && pluginRestarts < maxPluginRestarts) {
        ++pluginRestarts;
        if (startPluginPass())
            return true;
    }
    state = Idle;
    pluginProgress->hide();
    showMessageBox(QStringLiteral("Error: can't write plugin (%1/%2, code=%3)")
                       .arg(pluginOffset)
                       .arg(pluginImage.size())
                       .arg(r.code));
    return false;
}

bool MainWindow::continuePluginVerification()
{
    if (!handleReadPluginResponse()) {
        pluginProgress->hide();
        showMessageBox(QStringLiteral("Plugin verification failed!"));
    } else {
        pluginProgress->setProgress(percent(pluginOffset, pluginImage.size()));
        if (pluginOffset < pluginImage.size() && makeReadPluginRequest())
            return true;
        pluginProgress->hide();
        showMessageBox(QStringLiteral(
            "The plugin has been written successfully! Restart the device, please."));
    }
    // The state stays VerifyingPlugin while the box is open, so inputs wait in the queue.
    state = Idle;
    return false;
}
