#pragma once

#include <QString>

// What a device session needs from whoever drives it: a yes or no before a service
// command, and a way to tell the user how a long operation ended. The window answers
// with message boxes; a command-line front end can answer from its options and print.
// Both calls may run an event loop of their own before they return.
class SessionPrompter
{
public:
    virtual ~SessionPrompter() = default;
    virtual bool confirm(const QString& question) = 0;
    virtual void showMessage(const QString& text) = 0;
};
