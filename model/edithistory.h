#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVector>

class Node;
class ParamTree;

// The user's edits, as steps that can be undone and redone. A step holds, per parameter,
// the wire value before and after; undoing sets the earlier value as the user's own edit,
// so it is written to the device exactly as the edit was. Edits made in one turn of the
// event loop (a grouped move of several strips, a paste) form one step, and a step that
// repeats the parameters of the one before within a second joins it (a fader drag, a held
// arrow key). A settings file loaded between beginStep() and endStep() is one step too.
class EditHistory : public QObject
{
    Q_OBJECT
public:
    explicit EditHistory(ParamTree* tree, QObject* parent = nullptr);

    bool canUndo() const { return !undoSteps.isEmpty() || !open.edits.isEmpty(); }
    bool canRedo() const { return !redoSteps.isEmpty(); }
    // What the next undo or redo would change ("Tweeter L volume"); empty when nothing.
    QString undoText() const;
    QString redoText() const;
    int undoCount() const;
    // While an undo or redo puts values back: they are not new edits.
    bool isRestoring() const { return replaying; }

    // Edits until the matching endStep() form one step named `name`; steps nest.
    void beginStep(const QString& name);
    void endStep();

    // "Tweeter L volume": the channel's label and the parameter.
    static QString describe(const Node* node);

public Q_SLOTS:
    void undo();
    void redo();
    // The device may hold other values now: no step can be trusted.
    void clear();

Q_SIGNALS:
    void changed();

private:
    struct Edit
    {
        int paramIndex = -1;
        QByteArray before;
        QByteArray after;
    };
    struct Step
    {
        QString name;
        QVector<Edit> edits;
        qint64 lastEditMs = 0;
        bool mergeable = true;
    };

    void record(int paramIndex, bool fromFile);
    void closeOpenStep();
    bool joinsTop(const Step& step) const;
    QString nameOf(const Step& step) const;
    void apply(const Step& step, bool forward);

    ParamTree* tree;
    QVector<QByteArray> shown; // every parameter's wire value as last announced
    QVector<Step> undoSteps;
    QVector<Step> redoSteps;
    Step open; // edits of this event-loop turn or of an explicit step
    int explicitDepth = 0;
    bool closeQueued = false;
    bool replaying = false;
};
