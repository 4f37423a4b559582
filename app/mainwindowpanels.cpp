// The main window's panels: channel strips, routing and subwoofer tables, DAC and
// remote bindings, the label editor and the settings-file buttons.
#include "mainwindow.h"

#include "edithistory.h"

#include "aboutdialog.h"
#include "channelcontrol.h"
#include "channelparamnodes.h"
#include "crossoverdialog.h"
#include "customcheckbox.h"
#include "customcombobox.h"
#include "dacmodelnode.h"
#include "dacnodes.h"
#include "devicenodes.h"
#include "edithistory.h"
#include "equalizerdialog.h"
#include "inputnode.h"
#include "outputnode.h"
#include "parambinding.h"
#include "paramtree.h"
#include "ui_mainwindow.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QSaveFile>
#include <QValidator>

namespace {

const int maxLabelLength = 16;

// The routing and subwoofer check boxes have no text of their own: a screen reader hears
// the output's label with what the box does.
void nameOutputBoxes(QGridLayout* routing, QGridLayout* subwoofer, int output, int inputCount,
                     const QString& label)
{
    for (int n = 0; n < inputCount; ++n)
        if (QLayoutItem* item = routing->itemAtPosition(output + 1, n + 1); item && item->widget())
            item->widget()->setAccessibleName(
                QStringLiteral("%1 from Input %2").arg(label).arg(n + 1));
    if (QLayoutItem* item = subwoofer->itemAtPosition(output, 0); item && item->widget())
        item->widget()->setAccessibleName(QStringLiteral("%1 subwoofer channel").arg(label));
}

// A labelled field is named after its label: screen readers on Linux would otherwise take a
// combo box's current item for its name.
void nameFieldsAfterLabels(QWidget* window)
{
    for (QLabel* label : window->findChildren<QLabel*>())
        if (QWidget* field = label->buddy(); field && field->accessibleName().isEmpty())
            field->setAccessibleName(label->text());
}

// Tab follows the order widgets were made in. The master strip comes from the form, before
// the strips and tables added to the tabs, but it stands right of them: move it last.
void moveToEndOfTabOrder(QWidget* window, QWidget* part)
{
    QList<QWidget*> parts;
    for (QWidget* w = part->nextInFocusChain(); w != part && part->isAncestorOf(w);
         w = w->nextInFocusChain()) {
        // Only what Tab stops at; a spin box's editor moves with its box.
        if (w->focusPolicy() != Qt::NoFocus && !w->focusProxy())
            parts << w;
    }
    QWidget* previous = window->previousInFocusChain();
    for (QWidget* w : qAsConst(parts)) {
        QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

// Keeps what is typed where it is typed: text pushed past the limit is cut from the end and
// the cursor stays behind the typed characters. (A length limit on the editor would refuse
// the keystroke instead; cutting from a textValueChanged handler moves the cursor to the end.)
class LabelLengthValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString& text, int& cursor) const override
    {
        if (text.size() > maxLabelLength) {
            int keep = maxLabelLength;
            if (text.at(keep - 1).isHighSurrogate())
                --keep; // never half a character
            text.truncate(keep);
            cursor = qMin(cursor, keep);
        }
        return Acceptable;
    }
};

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
        connect(strip, &ChannelControl::menuRequested, this,
                [this, strip](const QPoint& at) { showStripMenu(strip, at); });
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
        inputStrips.append(strip);
        connect(strip, &ChannelControl::menuRequested, this,
                [this, strip](const QPoint& at) { showStripMenu(strip, at); });
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
                ParamBinding::bind(output->sourceNode(n), box);
        }
    }

    ui->dacModelLabel->hide();
    // The form owns the label and outlives the tree; the handle only lends it.
    ParamBinding::bind(paramTree->dacModelNode(), ui->dacModelLabel);

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

    using ParamBinding::bind;
    DacAk449xNode* ak449x = paramTree->dacAk449xNode();
    const std::pair<int, CustomComboBox*> pairFilters[] = {{0, ui->ak449xCh12FilterValue},
                                                           {1, ui->ak449xCh34FilterValue},
                                                           {2, ui->ak449xCh56FilterValue},
                                                           {3, ui->ak449xCh78FilterValue}};
    for (const auto& [pair, box] : pairFilters)
        bind(ak449x->filterNode(pair), box);
    DacSabreNode* sabre = paramTree->dacSabreNode();
    bind(sabre->filterNode(), ui->sabreFilterSettingsValue);
    bind(sabre->harmonic2ndNode(), ui->sabre2ndHarmonicValue);
    bind(sabre->harmonic2ndNode(), ui->sabre2ndHarmonicSlider);
    bind(sabre->harmonic3rdNode(), ui->sabre3rdHarmonicValue);
    bind(sabre->harmonic3rdNode(), ui->sabre3rdHarmonicSlider);
    // The remote tab's volume source is a second view of the master strip's.
    bind(paramTree->volumeSourceNode(), ui->volumeSourceValue);
    bind(paramTree->presetSourceNode(), ui->presetSourceValue);
    bind(paramTree->remoteControlScreenNode(), ui->remoteDisplayValue);
    bind(paramTree->subwooferModeNode(), ui->subwooferModeValue);
    bind(paramTree->subwooferVolumeNode(), ui->subwooferVolumeValue);

    ui->subwooferChannels->setAlignment(Qt::AlignLeft);
    for (int i = 0; i < paramTree->outputCount(); ++i) {
        auto* label = new QLabel(QStringLiteral("Output %0").arg(i + 1), this);
        auto* box = new CustomCheckBox(this);
        ui->subwooferChannels->addWidget(label, i, 1);
        ui->subwooferChannels->addWidget(box, i, 0);
        bind(paramTree->getOutputNode(i)->subwooferChannelNode(), box);
        subwooferLabels.append(label);
    }
    for (int i = 0; i < paramTree->outputCount(); ++i)
        nameOutputBoxes(ui->routingTable, ui->subwooferChannels, i, paramTree->inputCount(),
                        QStringLiteral("Output %0").arg(i + 1));

    nameFieldsAfterLabels(this);
    moveToEndOfTabOrder(this, ui->masterVolumeControl);
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
    dialog.setInputMode(QInputDialog::TextInput); // creates the editor
    if (auto* editor = dialog.findChild<QLineEdit*>())
        editor->setValidator(new LabelLengthValidator(editor));
    dialog.setTextValue(strip->getOutputLabel());
    if (dialog.exec() == QDialog::Accepted)
        strip->setOutputLabel(dialog.textValue());
}

void MainWindow::onChannelLabelChanged(int channelIndex, const QString& text)
{
    if (channelIndex < 0)
        return;
    if (channelIndex < outputStrips.size())
        outputStrips.at(channelIndex)->setChannelLabel(text);
    if (channelIndex < routingLabels.size())
        routingLabels.at(channelIndex)->setText(text);
    if (channelIndex < subwooferLabels.size())
        subwooferLabels.at(channelIndex)->setText(text);
    if (channelIndex < paramTree->outputCount())
        nameOutputBoxes(ui->routingTable, ui->subwooferChannels, channelIndex,
                        paramTree->inputCount(), text);
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

    // The previous file stays whole until the new one is complete.
    // A short write (disk full, file size limit) counts as a failure too.
    const QByteArray text = paramTree->settingsFileText();
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        showMessage(QStringLiteral("Error: can't save settings."));
}

void MainWindow::on_loadButton_clicked()
{
    const QString fileName = askForFile(QFileDialog::AcceptOpen, QStringLiteral("Load settings"),
                                        lastPresetsDirKey, QStringLiteral("JSON (*.json)"));
    if (fileName.isEmpty())
        return;
    saveFileDir(lastPresetsDirKey, fileName);

    QFile file(fileName);
    QJsonDocument document;
    const QString failure = QStringLiteral("Error: can't load settings.");
    if (!file.open(QIODevice::ReadOnly) || !parseSettingsFile(file.readAll(), document)) {
        showMessage(failure);
        return;
    }
    // Only what the file set is written: a member it did not hold, or one refused, keeps
    // the value the device has.
    // One step, however many settings the file changed.
    editHistory->beginStep(QStringLiteral("loading %1").arg(QFileInfo(fileName).fileName()));
    const SettingsLoad load = paramTree->readJsonDocument(document);
    editHistory->endStep();
    deviceSession->writeLoaded(load.loaded);
    if (!load.refused.isEmpty())
        showMessage(failure + QLatin1Char('\n') + load.refused.join(QLatin1Char('\n')));
}

void MainWindow::onActionAboutTriggered(bool)
{
    aboutDialog->show();
}
