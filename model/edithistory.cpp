#include "edithistory.h"

#include "inputnode.h"
#include "labelnode.h"
#include "outputnode.h"
#include "paramhub.h"
#include "paramtree.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QTimer>

namespace {
// A fader drag or a held key sends a value many times a second; what comes within this
// long of the step before it joins that step.
constexpr qint64 joinWithinMs = 1000;

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// The words a menu entry uses for a node below a channel; empty for a level the user never
// sees as such.
QString wordFor(const QString& name)
{
    static const QHash<QString, QString> words = {
        {QStringLiteral("Volume"), QStringLiteral("volume")},
        {QStringLiteral("Mute"), QStringLiteral("mute")},
        {QStringLiteral("Invert"), QStringLiteral("invert")},
        {QStringLiteral("Delay"), QStringLiteral("delay")},
        {QStringLiteral("Label"), QStringLiteral("label")},
        {QStringLiteral("Xover"), QStringLiteral("crossover")},
        {QStringLiteral("HP"), QStringLiteral("high-pass")},
        {QStringLiteral("LP"), QStringLiteral("low-pass")},
        {QStringLiteral("PEQ"), QString()},
        {QStringLiteral("Sources"), QStringLiteral("routing")},
        {QStringLiteral("Subwoofer Channel"), QStringLiteral("subwoofer channel")},
    };
    return words.value(name, name);
}
} // namespace

EditHistory::EditHistory(ParamTree* tree, QObject* parent) : QObject(parent), tree(tree)
{
    const QList<Node*>& params = *tree->subsetToList(ParamTree::All);
    shown.reserve(params.size());
    for (const Node* node : params)
        shown.append(node->readOnly ? QByteArray() : node->serialize());
    connect(tree->hub, &ParamHub::valueChanged, this, [this](int paramIndex, ChangeSource source) {
        if (source == ChangeSource::Device || replaying) {
            const Node* node = this->tree->getParamNode(ParamTree::All, paramIndex);
            if (node && !node->readOnly)
                shown[paramIndex] = node->serialize();
            return;
        }
        record(paramIndex, source == ChangeSource::File);
    });
}

QString EditHistory::describe(const Node* node)
{
    QStringList words;
    for (const Node* at = node; at && at->parent; at = at->parent) {
        if (const auto* output = dynamic_cast<const OutputNode*>(at)) {
            const QString label = output->getLabel();
            words.prepend(label.isEmpty()
                              ? QStringLiteral("Output %1").arg(output->name.section(' ', -1))
                              : label);
            break;
        }
        if (dynamic_cast<const InputNode*>(at)) {
            words.prepend(at->name);
            break;
        }
        const QString word = wordFor(at->name);
        if (!word.isEmpty())
            words.prepend(word);
    }
    return words.join(QLatin1Char(' '));
}

void EditHistory::record(int paramIndex, bool fromFile)
{
    const Node* node = tree->getParamNode(ParamTree::All, paramIndex);
    if (!node || node->readOnly || paramIndex >= shown.size())
        return;
    const QByteArray before = shown.at(paramIndex);
    const QByteArray after = node->serialize();
    shown[paramIndex] = after;
    if (before == after)
        return;
    redoSteps.clear();
    if (fromFile)
        open.mergeable = false;
    open.lastEditMs = nowMs();
    for (Edit& edit : open.edits) {
        if (edit.paramIndex == paramIndex) {
            edit.after = after;
            Q_EMIT changed();
            return;
        }
    }
    open.edits.append({paramIndex, before, after});
    // Everything set before control returns to the event loop is one step.
    if (explicitDepth == 0 && !closeQueued) {
        closeQueued = true;
        QTimer::singleShot(0, this, [this] {
            closeQueued = false;
            if (explicitDepth == 0)
                closeOpenStep();
        });
    }
    Q_EMIT changed();
}

bool EditHistory::joinsTop(const Step& step) const
{
    if (undoSteps.isEmpty() || !step.mergeable || !step.name.isEmpty())
        return false;
    const Step& top = undoSteps.last();
    if (!top.mergeable || top.edits.size() != step.edits.size() ||
        step.lastEditMs - top.lastEditMs > joinWithinMs)
        return false;
    for (int i = 0; i < step.edits.size(); ++i) {
        if (top.edits.at(i).paramIndex != step.edits.at(i).paramIndex)
            return false;
    }
    return true;
}

void EditHistory::closeOpenStep()
{
    if (open.edits.isEmpty()) {
        open = Step();
        return;
    }
    if (joinsTop(open)) {
        Step& top = undoSteps.last();
        for (int i = 0; i < open.edits.size(); ++i)
            top.edits[i].after = open.edits.at(i).after;
        top.lastEditMs = open.lastEditMs;
    } else {
        undoSteps.append(open);
    }
    open = Step();
    Q_EMIT changed();
}

void EditHistory::beginStep(const QString& name)
{
    if (explicitDepth++ == 0) {
        closeOpenStep();
        open.name = name;
        // A named step is a deliberate action of its own, never joined to the one before.
        open.mergeable = false;
    }
}

void EditHistory::endStep()
{
    if (explicitDepth > 0 && --explicitDepth == 0)
        closeOpenStep();
}

QString EditHistory::nameOf(const Step& step) const
{
    if (!step.name.isEmpty())
        return step.name;
    const Node* first = tree->getParamNode(ParamTree::All, step.edits.first().paramIndex);
    if (step.edits.size() == 1)
        return describe(first);
    // A grouped move sets the same control on several channels.
    QSet<const Node*> channels;
    bool sameControl = true;
    for (const Edit& edit : step.edits) {
        const Node* node = tree->getParamNode(ParamTree::All, edit.paramIndex);
        sameControl = sameControl && node->name == first->name;
        channels.insert(node->parent);
    }
    if (sameControl && channels.size() == step.edits.size())
        return QStringLiteral("%1 of %2 channels").arg(wordFor(first->name)).arg(channels.size());
    return QStringLiteral("%1 settings").arg(step.edits.size());
}

QString EditHistory::undoText() const
{
    if (!open.edits.isEmpty())
        return nameOf(joinsTop(open) ? undoSteps.last() : open);
    return undoSteps.isEmpty() ? QString() : nameOf(undoSteps.last());
}

QString EditHistory::redoText() const
{
    return redoSteps.isEmpty() ? QString() : nameOf(redoSteps.last());
}

int EditHistory::undoCount() const
{
    return undoSteps.size() + (open.edits.isEmpty() || joinsTop(open) ? 0 : 1);
}

void EditHistory::apply(const Step& step, bool forward)
{
    replaying = true;
    for (int i = 0; i < step.edits.size(); ++i) {
        const Edit& edit = step.edits.at(forward ? i : step.edits.size() - 1 - i);
        tree->restoreParam(edit.paramIndex, forward ? edit.after : edit.before);
    }
    replaying = false;
}

void EditHistory::undo()
{
    if (explicitDepth > 0)
        return;
    closeOpenStep();
    if (undoSteps.isEmpty())
        return;
    Step step = undoSteps.takeLast();
    apply(step, false);
    // Once redone, it stays a step of its own: a later edit never joins it.
    step.mergeable = false;
    redoSteps.append(step);
    Q_EMIT changed();
}

void EditHistory::redo()
{
    if (explicitDepth > 0 || redoSteps.isEmpty())
        return;
    closeOpenStep();
    const Step step = redoSteps.takeLast();
    apply(step, true);
    undoSteps.append(step);
    Q_EMIT changed();
}

void EditHistory::clear()
{
    open.edits.clear();
    undoSteps.clear();
    redoSteps.clear();
    Q_EMIT changed();
}
