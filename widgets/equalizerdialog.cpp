#include "equalizerdialog.h"

#include "paramhub.h"
#include "peqdesign.h"
#include "peqsnode.h"
#include "ui_equalizerdialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QScopedValueRollback>
#include <QSettings>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int bandCount = 5;
constexpr int sumCurve = bandCount;
constexpr int outputCount = 8;
const QString lastFilterListsDirKey = QStringLiteral("lastFilterListsDir");
const QString filterListFilter = QStringLiteral("Filter lists (*.txt);;All files (*)");

QString fateText(const FileFilter& filter)
{
    switch (filter.fate) {
    case FileFilter::Band:
        return QStringLiteral("EQ%1").arg(filter.band + 1) +
               (filter.qAssumed ? QStringLiteral(" (Q assumed 0.707)") : QString());
    case FileFilter::Skipped:
        return QStringLiteral("skipped: ") + filter.reason;
    case FileFilter::Refused:
        return QStringLiteral("refused: ") + filter.reason;
    case FileFilter::LeftOver:
        return QStringLiteral("not imported: ") + filter.reason;
    }
    return QString();
}

// The first five colours of the crossover curves, half opaque: the sum is what matters,
// but each band must still be seen on its own.
const QColor bandColours[bandCount] = {
    QColor(209, 78, 75),   QColor(27, 61, 119), QColor(57, 158, 164),
    QColor(246, 219, 101), QColor(0, 145, 31),
};

QPen curvePen(QColor colour, double alpha)
{
    colour.setAlphaF(alpha);
    QPen pen(colour, 3);
    pen.setCosmetic(true);
    return pen;
}

} // namespace

EqualizerDialog::EqualizerDialog(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::EqualizerDialog>())
{
    ui->setupUi(this);
    freqs = makeFreqsRange(10.0, 30000.0, 0.01);
    for (int i = 0; i < outputCount; ++i)
        channelLabels.append(QString());

    bandGains.resize(bandCount);
    for (int i = 0; i < bandCount; ++i) {
        auto* control = new EqualizerControl(this);
        control->setTitle(QStringLiteral("EQ%1").arg(i + 1));
        control->setIndex(i);
        connect(control, &EqualizerControl::changed, this, &EqualizerDialog::onControlChanged);
        controls.append(control);
        ui->equalizerControls->addWidget(control);

        const QPen pen = curvePen(bandColours[i], 0.5);
        if (i == 0) {
            ui->graph->useGraph(0);
            ui->graph->setGraphPen(pen);
        } else {
            ui->graph->appendGraph(pen);
        }
        bandGains[i] = QVector<double>(freqs.size(), 0.0);
        updateSingleGraph(i, false);
    }

    // A blue that stands out both on the light theme's white graph and the dark one's black.
    ui->graph->appendGraph(curvePen(QColor(0x2f, 0x6f, 0xdf), 1.0));
    sumGains = QVector<double>(freqs.size(), 0.0);
    updateSumGraph();
    ui->graph->prepareGrid(-20, 20, 5);
    // Only a picture: Tab passes it by, and a screen reader hears what it shows.
    ui->graph->setFocusPolicy(Qt::NoFocus);
    ui->graph->setAccessibleName(QStringLiteral("Equalizer response"));
    nameBands(QString());

    auto* importButton =
        ui->buttonBox->addButton(QStringLiteral("Import…"), QDialogButtonBox::ActionRole);
    importButton->setObjectName(QStringLiteral("importButton"));
    // Return in a band's field finishes that edit; it must not open a file dialog.
    importButton->setAutoDefault(false);
    connect(importButton, &QPushButton::clicked, this, &EqualizerDialog::chooseImportFile);
    auto* exportButton =
        ui->buttonBox->addButton(QStringLiteral("Export…"), QDialogButtonBox::ActionRole);
    exportButton->setObjectName(QStringLiteral("exportButton"));
    exportButton->setAutoDefault(false);
    connect(exportButton, &QPushButton::clicked, this, &EqualizerDialog::chooseExportFile);
    auto* copyButton = ui->buttonBox->addButton(QStringLiteral("Copy equalizer to\u2026"),
                                                QDialogButtonBox::ActionRole);
    copyButton->setObjectName(QStringLiteral("copyEqualizer"));
    copyButton->setAutoDefault(false);
    connect(copyButton, &QPushButton::clicked, this, [this] {
        if (peqsNode)
            Q_EMIT copyRequested(peqsNode);
    });
}

EqualizerDialog::~EqualizerDialog() = default;

void EqualizerDialog::show(PEQSNode* node)
{
    // A button without a node, or a node that went away, opens nothing.
    if (!node)
        return;
    // An undo, a paste, a linked output or a Read All changes bands behind the dialog's back.
    if (node->hub && node->hub != followedHub) {
        if (followedHub)
            disconnect(followedHub, &ParamHub::valueChanged, this, nullptr);
        followedHub = node->hub;
        connect(followedHub, &ParamHub::valueChanged, this, &EqualizerDialog::reloadChangedBand);
    }
    peqsNode = node;
    const bool isInput = node->isInputNode();
    // The item list is set before the band is loaded, so that an input's stored
    // "Subwoofer" type is shown as such rather than leaving the previous selection.
    controls.at(0)->setSubwooferFilterVisible(isInput);
    for (int i = 0; i < bandCount; ++i) {
        controls.at(i)->setPEQParams(node->getPEQParams(i));
        updateSingleGraph(i, false);
    }
    updateSumGraph();
    updateTitle();
    // Each channel's bands are edited from the first one on.
    controls.at(0)->setFocus(Qt::OtherFocusReason);
    QDialog::show();
}

void EqualizerDialog::onControlChanged(int controlIndex)
{
    if (controlIndex < 0 || controlIndex >= bandCount)
        return;
    updateSingleGraph(controlIndex, true);
    updateSumGraph();
}

void EqualizerDialog::updateSingleGraph(int index, bool store)
{
    if (index < 0 || index >= bandCount)
        return;
    const PEQParams params = controls.at(index)->getPEQParams();
    if (store && peqsNode) {
        const QScopedValueRollback<bool> guard(storing, true);
        peqsNode->setPEQParamsAndCoeffs(index, params, calcPEQCoeffs(params), ChangeSource::User);
    }
    drawBand(index, params);
}

void EqualizerDialog::reloadChangedBand(int paramIndex)
{
    if (storing || !peqsNode || !isVisible())
        return; // showing the dialog loads every band anew
    for (int i = 0; i < bandCount; ++i) {
        if (peqsNode->getPEQParamIndex(i) != paramIndex)
            continue;
        const PEQParams params = peqsNode->getPEQParams(i);
        controls.at(i)->setPEQParams(params);
        drawBand(i, params);
        updateSumGraph();
    }
}

void EqualizerDialog::drawBand(int index, const PEQParams& params)
{
    const IIRGainCalc gain(calcPEQCoeffs(params));
    QVector<double>& gains = bandGains[index];
    for (int j = 0; j < freqs.size(); ++j)
        gains[j] = gain.calcGain(freqs.at(j).frequency);
    updateGraphPoints(index, gains);
}

void EqualizerDialog::updateSumGraph()
{
    for (int j = 0; j < freqs.size(); ++j) {
        double sum = 0.0;
        for (int k = 0; k < bandCount; ++k)
            sum += bandGains.at(k).at(j);
        sumGains[j] = sum;
    }
    updateGraphPoints(sumCurve, sumGains);
}

void EqualizerDialog::updateGraphPoints(int curve, const QVector<double>& gains)
{
    FrequencyResponseGraph* graph = ui->graph;
    graph->useGraph(curve);
    graph->clear();
    const int count = qMin(freqs.size(), gains.size());
    for (int j = 0; j < count; ++j)
        graph->addPoint(freqs.at(j).logFrequency, gains.at(j));
}

QString EqualizerDialog::prepareTitle(const QString& name)
{
    return QStringLiteral("Equalizer of ") + name;
}

// The output's user label when one arrived, else the channel's own name.
QString EqualizerDialog::channelName() const
{
    const std::optional<int> output = peqsNode->getOutputChannelIndex();
    if (output && *output >= 0 && *output < channelLabels.size() &&
        !channelLabels.at(*output).isEmpty())
        return channelLabels.at(*output);
    return peqsNode->getChannelName();
}

void EqualizerDialog::updateTitle()
{
    if (!peqsNode)
        return;
    const QString channel = channelName();
    setWindowTitle(prepareTitle(channel));
    nameBands(channel);
}

// Screen readers hear the channel the title names with each field ("Tweeter L EQ 2 gain").
void EqualizerDialog::nameBands(const QString& channel)
{
    const QString prefix =
        channel.trimmed().isEmpty() ? QString() : channel.trimmed() + QLatin1Char(' ');
    for (int i = 0; i < controls.size(); ++i)
        controls.at(i)->setBandName(prefix + QStringLiteral("EQ %1").arg(i + 1));
}

void EqualizerDialog::onChannelLabelChanged(int channelIndex, QString text)
{
    if (channelIndex >= 0 && channelIndex < channelLabels.size())
        channelLabels[channelIndex] = text;
    updateTitle();
}

void EqualizerDialog::on_buttonBox_rejected()
{
    close();
}

void EqualizerDialog::drawBands(const FilterTextBands& bands)
{
    for (int i = 0; i < bandCount; ++i)
        drawBand(i, bands.at(i));
    updateSumGraph();
}

// The node's values, not the editors': those show fewer decimals than a band may hold.
FilterTextBands EqualizerDialog::nodeBands() const
{
    FilterTextBands bands;
    for (int i = 0; i < bandCount; ++i)
        bands[i] = peqsNode->getPEQParams(i);
    return bands;
}

void EqualizerDialog::showProblem(const QString& text)
{
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("filterListProblem"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void EqualizerDialog::chooseImportFile()
{
    QSettings settings;
    const QString fileName = QFileDialog::getOpenFileName(
        this, QStringLiteral("Import filters"), settings.value(lastFilterListsDirKey).toString(),
        filterListFilter);
    if (fileName.isEmpty())
        return;
    settings.setValue(lastFilterListsDirKey, QFileInfo(fileName).absolutePath());
    importFile(fileName);
}

void EqualizerDialog::importFile(const QString& fileName)
{
    if (!peqsNode)
        return;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        showProblem(QStringLiteral("%1: cannot read: %2").arg(fileName, file.errorString()));
        return;
    }
    // One byte past the limit is enough to refuse a file that is too large.
    const auto parsed =
        std::make_shared<FilterTextFile>(parseFilterText(file.read(filterTextMaxBytes + 1)));
    if (!parsed->error.isEmpty()) {
        showProblem(QStringLiteral("%1: %2").arg(QFileInfo(fileName).fileName(), parsed->error));
        return;
    }

    auto* preview = new QDialog(this);
    preview->setObjectName(QStringLiteral("filterImportPreview"));
    preview->setWindowTitle(QStringLiteral("Import %1").arg(QFileInfo(fileName).fileName()));
    preview->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(preview);
    auto* rows = new QTreeWidget(preview);
    rows->setObjectName(QStringLiteral("filters"));
    rows->setRootIsDecorated(false);
    rows->setHeaderLabels(
        {QStringLiteral("Line"), QStringLiteral("Filter"), QStringLiteral("Becomes")});
    rows->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(rows);
    auto* preamp = new QLabel(preview);
    preamp->setObjectName(QStringLiteral("preamp"));
    preamp->setVisible(parsed->preampDb.has_value());
    if (parsed->preampDb)
        preamp->setText(QStringLiteral("Preamp %1 dB: not applied; set the channel's level to "
                                       "match.")
                            .arg(*parsed->preampDb));
    layout->addWidget(preamp);
    auto* replaceAll = new QRadioButton(QStringLiteral("Replace all bands"), preview);
    replaceAll->setObjectName(QStringLiteral("replaceAll"));
    replaceAll->setChecked(true);
    auto* fillEmpty = new QRadioButton(QStringLiteral("Fill empty bands only"), preview);
    fillEmpty->setObjectName(QStringLiteral("fillEmpty"));
    layout->addWidget(replaceAll);
    layout->addWidget(fillEmpty);
    auto* bandSummary = new QLabel(preview);
    bandSummary->setObjectName(QStringLiteral("bands"));
    layout->addWidget(bandSummary);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, preview);
    layout->addWidget(buttons);

    const FilterTextBands current = nodeBands();
    const auto import = std::make_shared<FilterImport>();
    const auto remap = [=] {
        *import = mapFilterText(*parsed, current,
                                fillEmpty->isChecked() ? FilterImportMode::FillEmpty
                                                       : FilterImportMode::ReplaceAll);
        rows->clear();
        for (const FileFilter& filter : qAsConst(import->file.filters))
            rows->addTopLevelItem(
                new QTreeWidgetItem({QString::number(filter.line), filter.text, fateText(filter)}));
        QStringList notes;
        for (int i = 0; i < bandCount; ++i) {
            if (!import->bandNotes.at(i).isEmpty())
                notes << QStringLiteral("EQ%1 %2").arg(i + 1).arg(import->bandNotes.at(i));
        }
        bandSummary->setText(notes.isEmpty() ? QStringLiteral("No band changes.")
                                             : notes.join(QStringLiteral("; ")));
        // The curve the bands would give, before anything is sent.
        drawBands(import->bands);
    };
    remap();
    connect(fillEmpty, &QRadioButton::toggled, preview, remap);
    connect(buttons, &QDialogButtonBox::accepted, preview, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, preview, &QDialog::reject);
    connect(preview, &QDialog::finished, this, [this, import](int result) {
        // Applied bands keep the file's values as read: the editors would round them.
        for (int i = 0; i < bandCount; ++i) {
            const PEQParams& params = import->bands.at(i);
            if (result == QDialog::Accepted && import->changed.at(i)) {
                controls.at(i)->setPEQParams(params);
                peqsNode->setPEQParamsAndCoeffs(i, params, calcPEQCoeffs(params),
                                                ChangeSource::User);
                drawBand(i, params);
            } else {
                updateSingleGraph(i, false);
            }
        }
        updateSumGraph();
    });
    preview->open();
}

void EqualizerDialog::chooseExportFile()
{
    if (!peqsNode)
        return;
    QSettings settings;
    const QString fileName = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export filters"), settings.value(lastFilterListsDirKey).toString(),
        filterListFilter);
    if (fileName.isEmpty())
        return;
    settings.setValue(lastFilterListsDirKey, QFileInfo(fileName).absolutePath());
    exportFile(fileName);
}

bool EqualizerDialog::exportFile(const QString& fileName)
{
    if (!peqsNode)
        return false;
    QByteArray text;
    QString error;
    if (!exportFilterText(nodeBands(), text, error)) {
        showProblem(error);
        return false;
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        showProblem(QStringLiteral("%1: cannot write: %2").arg(fileName, file.errorString()));
        return false;
    }
    return true;
}
