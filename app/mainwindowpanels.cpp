// The main window's panels: channel strips, routing and subwoofer tables, DAC and
// remote bindings, the label editor and the settings-file buttons.
#include "mainwindow.h"

#include "aboutdialog.h"
#include "channelcontrol.h"
#include "crossoverdialog.h"
#include "customcheckbox.h"
#include "equalizerdialog.h"
#include "inputnode.h"
#include "outputnode.h"
#include "paramtree.h"
#include "ui_mainwindow.h"

#include <QInputDialog>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QSaveFile>

namespace {

const int maxLabelLength = 16;

} // namespace

void MainWindow::buildPanels()
{
    ui->outputChannels->addStretch();
    for (int i = 0; i < paramTree->outputCount(); ++i) {
        auto* strip = new ChannelControl(QStringLiteral("  Output %0  ").arg(i + 1), false, this);
        strip->bind(paramTree->getOutputNode(i));
        ui->outputChannels->addWidget(strip);
        ui->outputChannels->addStretch();
        outputStrips.append(strip);
        connect(strip, &ChannelControl::titlePressed, this, &MainWindow::onOutputTitlePressed);
    }
    // Grouped outputs move together: every strip offers its changes to every other one.
    for (ChannelControl* from : qAsConst(outputStrips)) {
        for (ChannelControl* to : qAsConst(outputStrips)) {
            if (from != to)
                connect(from, &ChannelControl::changed, to, &ChannelControl::on_change);
        }
    }
    for (int i = 0; i < paramTree->inputCount(); ++i) {
        auto* strip = new ChannelControl(QStringLiteral("  Input %0  ").arg(i + 1), true, this);
        strip->bind(paramTree->getInputNode(i));
        ui->inputChannels->addWidget(strip);
    }

    for (int o = 0; o < paramTree->outputCount(); ++o) {
        auto* label = new QLabel(QStringLiteral("Output %0").arg(o + 1), this);
        ui->routingTable->addWidget(label, o + 1, 0);
        routingLabels.append(label);
        for (int n = 0; n < paramTree->inputCount(); ++n) {
            if (o == 0)
                ui->routingTable->addWidget(new QLabel(QStringLiteral("Input %0").arg(n + 1), this),
                                            0, n + 1, Qt::AlignHCenter);
            auto* box = new CustomCheckBox(this);
            box->setProperty("className", QStringLiteral("routing-checkbox"));
            ui->routingTable->addWidget(box, o + 1, n + 1, Qt::AlignHCenter);
            if (OutputNode* output = paramTree->getOutputNode(o))
                output->bindSource(n, box);
        }
    }

    ui->dacModelLabel->hide();
    // The form owns the label and outlives the tree; the handle only lends it.
    paramTree->bindDacModel(std::shared_ptr<QLabel>(ui->dacModelLabel, [](QLabel*) {}));

    for (int i = ui->tabs->count() - 1; i >= 0; --i) {
        const QString title = ui->tabs->tabText(i);
        if (!title.startsWith(QLatin1String("DAC")))
            continue;
        if (title.startsWith(QLatin1String("DAC Sabre")))
            sabreTab = ui->tabs->widget(i);
        else if (title.startsWith(QLatin1String("DAC Ak449x")))
            ak449xTab = ui->tabs->widget(i);
        ui->tabs->removeTab(i);
    }

    ui->masterVolumeControl->prepareForMasterVolume();
    ui->masterVolumeControl->bind(paramTree.get());

    paramTree->bind(DacAk449xNode::Bindings{ui->ak449xCh12FilterValue, ui->ak449xCh34FilterValue,
                                            ui->ak449xCh56FilterValue, ui->ak449xCh78FilterValue});
    paramTree->bind(DacSabreNode::Bindings{ui->sabreFilterSettingsValue, ui->sabre2ndHarmonicValue,
                                           ui->sabre3rdHarmonicValue, ui->sabre2ndHarmonicSlider,
                                           ui->sabre3rdHarmonicSlider});
    paramTree->bind(RemoteControlBindings{ui->volumeSourceValue, ui->presetSourceValue,
                                          ui->remoteDisplayValue, ui->subwooferModeValue,
                                          ui->subwooferVolumeValue});

    ui->subwooferChannels->setAlignment(Qt::AlignLeft);
    for (int i = 0; i < paramTree->outputCount(); ++i) {
        auto* label = new QLabel(QStringLiteral("Output %0").arg(i + 1), this);
        auto* box = new CustomCheckBox(this);
        ui->subwooferChannels->addWidget(label, i, 1);
        ui->subwooferChannels->addWidget(box, i, 0);
        paramTree->bindSubwooferChannel(i, box);
        subwooferLabels.append(label);
    }
}

void MainWindow::tuneComboBoxes()
{
    const QList<CustomComboBox*> boxes = {ui->presetValue,
                                          ui->inputSourceValue,
                                          ui->ak449xCh12FilterValue,
                                          ui->ak449xCh34FilterValue,
                                          ui->ak449xCh56FilterValue,
                                          ui->ak449xCh78FilterValue,
                                          ui->sabreFilterSettingsValue,
                                          ui->volumeSourceValue,
                                          ui->presetSourceValue,
                                          ui->remoteDisplayValue,
                                          ui->subwooferModeValue};
    for (CustomComboBox* box : boxes) {
        box->setSimplePopup(true);
        box->setPopupClassPrefix(QStringLiteral("preset-popup-"));
    }
}

void MainWindow::onOutputTitlePressed()
{
    const int i = outputStrips.indexOf(qobject_cast<ChannelControl*>(sender()));
    if (i < 0)
        return;
    ChannelControl* strip = outputStrips.at(i);
    QInputDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Output %0").arg(i + 1));
    dialog.setLabelText(QStringLiteral("Label:"));
    dialog.setTextValue(strip->getOutputLabel());
    connect(&dialog, &QInputDialog::textValueChanged, &dialog, [&dialog](const QString& text) {
        if (text.size() > maxLabelLength)
            dialog.setTextValue(text.left(maxLabelLength));
    });
    if (dialog.exec() == QDialog::Accepted)
        strip->setOutputLabel(dialog.textValue());
}

void MainWindow::onChannelLabelChanged(int channelIndex, const QString& text)
{
    if (channelIndex < 0)
        return;
    if (channelIndex < outputStrips.size())
        outputStrips.at(channelIndex)->setTitle(QStringLiteral("  %1  ").arg(text));
    if (channelIndex < routingLabels.size())
        routingLabels.at(channelIndex)->setText(text);
    if (channelIndex < subwooferLabels.size())
        subwooferLabels.at(channelIndex)->setText(text);
}

void MainWindow::onXoverButtonClicked(int channelIndex)
{
    crossoverDialog->show(channelIndex);
}

void MainWindow::onPEQButtonClicked(PEQSNode* node)
{
    equalizerDialog->show(node); // tolerates a null node
}

void MainWindow::on_saveButton_clicked()
{
    QString fileName = askForFile(QFileDialog::AcceptSave, QStringLiteral("Save settings"),
                                  lastPresetsDirKey, QStringLiteral("JSON (*.json)"));
    if (fileName.isEmpty())
        return;
    saveFileDir(lastPresetsDirKey, fileName);
    if (!fileName.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
        fileName += QLatin1String(".json");

    QJsonDocument document;
    paramTree->constructJsonDocument(document);
    // The previous file stays whole until the new one is complete.
    // A short write (disk full, file size limit) counts as a failure too.
    const QByteArray text = document.toJson(QJsonDocument::Indented);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        showMessageBox(QStringLiteral("Error: can't save settings."));
}

void MainWindow::on_loadButton_clicked()
{
    const QString fileName = askForFile(QFileDialog::AcceptOpen, QStringLiteral("Load settings"),
                                        lastPresetsDirKey, QStringLiteral("JSON (*.json)"));
    if (fileName.isEmpty())
        return;
    saveFileDir(lastPresetsDirKey, fileName);

    QFile file(fileName);
    QJsonParseError error{};
    QJsonDocument document;
    if (file.open(QIODevice::ReadOnly))
        document = QJsonDocument::fromJson(file.readAll(), &error);
    if (!file.isOpen() || error.error != QJsonParseError::NoError) {
        showMessageBox(QStringLiteral("Error: can't load settings."));
        return;
    }
    paramTree->readJsonDocument(document);
    runAutomaton(WriteAll);
}

void MainWindow::onActionAboutTriggered(bool)
{
    aboutDialog->show();
}
