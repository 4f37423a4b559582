#pragma once

#include <QApplication>

// The model's nodes own widgets, so they need an application object: one is made on first
// use and kept for the life of the process, on the offscreen platform unless one is chosen.
inline void ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}
