// Copying one channel's settings onto others, from the strips' context menu.
#include "mainwindow.h"

#include "channelcontrol.h"
#include "channelcopy.h"
#include "channellink.h"
#include "devicenodes.h"
#include "edithistory.h"
#include "inputnode.h"
#include "outputnode.h"
#include "paramtree.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QMenu>
#include <QVBoxLayout>

namespace {
struct PartChoice
{
    ChannelPart part;
    const char* text;
    const char* objectName;
};
const PartChoice outputParts[] = {
    {EqualizerPart, "Equalizer", "pasteEqualizer"},
    {CrossoverPart, "Crossover", "pasteCrossover"},
    {LevelPart, "Volume, mute, invert, delay", "pasteLevels"},
    {RoutingPart, "Routing", "pasteRouting"},
};
const PartChoice inputParts[] = {
    {EqualizerPart, "Equalizer", "pasteEqualizer"},
    {LevelPart, "Volume, mute", "pasteLevels"},
};

// Each preset sounds different and may pair its outputs differently.
QString linksKey(int preset)
{
    return QStringLiteral("links/preset%1").arg(preset);
}
} // namespace

const Node* MainWindow::stripChannel(int strip) const
{
    if (strip < outputStrips.size())
        return paramTree->getOutputNode(strip);
    return paramTree->getInputNode(strip - outputStrips.size());
}

int MainWindow::stripOf(const Node* channel) const
{
    for (int i = 0; i < outputStrips.size() + inputStrips.size(); ++i)
        if (stripChannel(i) == channel)
            return i;
    return -1;
}

QString MainWindow::stripName(int strip) const
{
    if (strip < outputStrips.size())
        return outputStrips.at(strip)->getOutputLabel().isEmpty()
                   ? QStringLiteral("Output %1").arg(strip + 1)
                   : outputStrips.at(strip)->getOutputLabel();
    return QStringLiteral("Input %1").arg(strip - outputStrips.size() + 1);
}

void MainWindow::showStripMenu(ChannelControl* strip, const QPoint& globalPos)
{
    QList<ChannelControl*> strips = outputStrips + inputStrips;
    const int index = strips.indexOf(strip);
    if (index < 0)
        return;
    const bool isOutput = index < outputStrips.size();
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("stripMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    connect(menu->addAction(QStringLiteral("Copy settings")), &QAction::triggered, this,
            [this, index] { copiedStrip = index; });
    QAction* paste = menu->addAction(QStringLiteral("Paste settings to \u2026"));
    // Only between channels of one kind: an input has no crossover or routing.
    const bool sameKind = copiedStrip >= 0 && (copiedStrip < outputStrips.size()) == isOutput;
    paste->setEnabled(sameKind && copiedStrip != index);
    connect(paste, &QAction::triggered, this, [this, index] { pasteSettings(copiedStrip, index); });
    menu->popup(globalPos);
}

void MainWindow::pasteSettings(int sourceStrip, int targetStrip, int onlyParts)
{
    const bool isOutput = sourceStrip < outputStrips.size();
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Paste settings of %1").arg(stripName(sourceStrip)));
    auto* layout = new QVBoxLayout(&dialog);
    auto* what = new QGroupBox(QStringLiteral("Paste"), &dialog);
    auto* whatLayout = new QVBoxLayout(what);
    QList<QPair<QCheckBox*, ChannelPart>> partBoxes;
    const auto addParts = [&](const auto& parts) {
        for (const PartChoice& choice : parts) {
            if (onlyParts && !(onlyParts & choice.part))
                continue;
            auto* box = new QCheckBox(QString::fromLatin1(choice.text), what);
            box->setObjectName(QString::fromLatin1(choice.objectName));
            box->setChecked(true);
            whatLayout->addWidget(box);
            partBoxes.append({box, choice.part});
        }
    };
    if (isOutput)
        addParts(outputParts);
    else
        addParts(inputParts);
    layout->addWidget(what);

    auto* to = new QGroupBox(QStringLiteral("To"), &dialog);
    auto* toLayout = new QVBoxLayout(to);
    QList<QPair<QCheckBox*, int>> targetBoxes;
    const int first = isOutput ? 0 : outputStrips.size();
    const int end = isOutput ? outputStrips.size() : outputStrips.size() + inputStrips.size();
    for (int i = first; i < end; ++i) {
        if (i == sourceStrip)
            continue;
        auto* box = new QCheckBox(stripName(i), to);
        box->setObjectName(QStringLiteral("pasteTo%1").arg(i - first + 1));
        box->setChecked(i == targetStrip);
        toLayout->addWidget(box);
        targetBoxes.append({box, i});
    }
    layout->addWidget(to);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return;

    int parts = 0;
    for (const auto& box : qAsConst(partBoxes))
        if (box.first->isChecked())
            parts |= box.second;
    editHistory->beginStep(QStringLiteral("paste from %1").arg(stripName(sourceStrip)));
    for (const auto& box : qAsConst(targetBoxes))
        if (box.first->isChecked())
            copyChannelParts(paramTree.get(), stripChannel(sourceStrip), stripChannel(box.second),
                             parts);
    editHistory->endStep();
}

void MainWindow::buildLinks()
{
    channelLink = new ChannelLink(paramTree.get(), editHistory, this);
    for (int i = 0; i < outputStrips.size(); ++i) {
        connect(outputStrips.at(i), &ChannelControl::linkToggled, this, [this, i](bool linked) {
            channelLink->setLinked(i, linked);
            QStringList pairs;
            for (int pair : channelLink->linkedPairs())
                pairs << QString::number(pair);
            const QString key = linksKey(paramTree->getPresetNode()->currentIndex() + 1);
            if (pairs.isEmpty())
                settings.remove(key);
            else
                settings.setValue(key, pairs);
        });
    }
    connect(channelLink, &ChannelLink::linkChanged, this, [this](int pair, bool linked) {
        for (int i = pair * 2; i < pair * 2 + 2 && i < outputStrips.size(); ++i)
            outputStrips.at(i)->setLinked(linked);
    });
    const int presetIndex = paramTree->getPresetNode()->paramIndex;
    connect(paramTree->hub, &ParamHub::valueChanged, this, [this, presetIndex](int paramIndex) {
        if (paramIndex == presetIndex)
            showPresetLinks();
    });
    showPresetLinks();
}

void MainWindow::showPresetLinks()
{
    QList<int> pairs;
    const QStringList stored =
        settings.value(linksKey(paramTree->getPresetNode()->currentIndex() + 1)).toStringList();
    for (const QString& pair : stored)
        pairs << pair.toInt(); // anything else is no pair, and links nothing
    channelLink->setLinkedPairs(pairs);
}
