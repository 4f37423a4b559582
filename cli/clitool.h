#pragma once

#include <QStringList>

class QIODevice;

// Exit statuses of tonvise-cli; scripts rely on the numbers.
enum CliExit
{
    ExitOk = 0,
    ExitDevice = 1,   // the device refused a request, or a value read back differs
    ExitUsage = 2,    // unknown command or option, bad PATH, value out of limits
    ExitNoDevice = 3, // no processor found
    ExitNoAccess = 4, // a processor is present but may not be opened
    ExitFile = 5,     // a file cannot be read, is not valid or cannot be written
};

// Runs one command line (without the program name) against whichever hidapi the
// executable links: the real one or the emulated processor (`demo` then only changes
// what --help and --version say). Needs a QCoreApplication; runs its own event loops.
// Results go to `out`, one line per error to `err`.
int runTonviseCli(const QStringList& arguments, QIODevice& out, QIODevice& err, bool demo);
