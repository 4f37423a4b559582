#pragma once

#include "devicesession.h"
#include "paramhub.h"
#include "paramtree.h"
#include "sessionprompter.h"
#include "updatequeue.h"

#include <QList>
#include <QStringList>

// Stands in for the user: records every question and message, and answers the
// questions from `answers` in turn (no, once they run out).
class RecordingPrompter : public SessionPrompter
{
public:
    bool confirm(const QString& question) override
    {
        questions << question;
        return !answers.isEmpty() && answers.takeFirst();
    }
    void showMessage(const QString& text) override { messages << text; }

    QList<bool> answers;
    QStringList questions;
    QStringList messages;
};

// A device session on a parameter tree of its own, on Qt Core alone, wired as a
// command-line front end would wire it.
struct HeadlessSession
{
    HeadlessSession()
    {
        QObject::connect(tree.hub, &ParamHub::presetChanged, &session, &DeviceSession::writePreset);
    }

    ParamTree tree;
    RecordingPrompter prompter;
    DeviceSession session{&tree, tree.hub->updateQueue(), prompter};

    UpdateQueue& queue() { return *tree.hub->updateQueue(); }
};
