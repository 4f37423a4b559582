#include "clitool.h"
#ifdef TONVISE_DEMO
#include "emulatedprocessor.h"
#endif

#include <QCoreApplication>
#include <QFile>
#include <stdio.h>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(TONVISE_VERSION));
#ifdef TONVISE_DEMO
    // No hardware needed: the emulated processor is plugged in before the tool looks for it.
    EmulatedProcessor::instance().plugInDemo();
#endif
    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
#ifdef TONVISE_DEMO
    return runTonviseCli(arguments, out, err, true);
#else
    return runTonviseCli(arguments, out, err, false);
#endif
}
