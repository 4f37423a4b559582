#include "clitool.h"

#include "checkboxnode.h"
#include "comboboxnode.h"
#include "dacmodelnode.h"
#include "deviceaccess.h"
#include "devicenodes.h"
#include "devicesession.h"
#include "doublespinboxnode.h"
#include "filtertext.h"
#include "firmwareversionnode.h"
#include "labelnode.h"
#include "levelnode.h"
#include "paramtree.h"
#include "peqdesign.h"
#include "peqnode.h"
#include "peqsnode.h"
#include "pluginversionnode.h"
#include "sessionprompter.h"
#include "updatequeue.h"
#include "xoverdesign.h"
#include "xoverfilternode.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTextStream>
#include <QTimer>
#include <cmath>
#include <functional>
#include <stdio.h>
#include <unistd.h>

namespace {

// Read All of the whole tree takes a few seconds on a real link; an absent device
// gives up after its attempts in less.
constexpr int sessionTimeoutMs = 120000;
constexpr int pluginTimeoutMs = 30 * 60 * 1000;

// Limits of the filter dialogs' editors: what a user can set there can be set here.
struct MemberLimits
{
    double min;
    double max;
    int decimals;
};
constexpr MemberLimits filterFrequency{10.0, 25000.0, 0};
constexpr MemberLimits peqQ{0.5, 50.0, 2};
constexpr MemberLimits peqGain{-12.0, 12.0, 1};
// The equalizer dialog offers these types only.
const PEQType offeredPeqTypes[] = {PEQType::NONE, PEQType::LOW_SHELF, PEQType::HIGH_SHELF,
                                   PEQType::PEAK};

const char* const usageText =
    "Usage: tonvise-cli [--help] [--version] COMMAND [OPTIONS] [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  status [--json]            connection, versions, DAC model, preset, input, volume\n"
    "  backup FILE|-              read all settings and save them as the window's Save does\n"
    "  restore FILE               write a settings file, read it back and compare\n"
    "  get PATH [--json]          print one parameter (PATH as listed by `list`)\n"
    "  set PATH VALUE             write one parameter within its limits and read it back\n"
    "  list                       every PATH with its kind and limits\n"
    "  preset N                   switch to preset N (1-4) and read all\n"
    "  levels [--json] [--watch [MS]]  the ten levels in dB, once or every MS ms (200)\n"
    "  plugin FILE                write a plugin image and verify it\n"
    "  reboot [--yes]             restart the processor\n"
    "  bootloader [--yes]         start the processor's bootloader\n"
    "  eq CHANNEL import FILE [--fill-empty] [--dry-run] [--partial]\n"
    "                             set a channel's EQ bands from a measurement program's\n"
    "                             filter list\n"
    "  eq CHANNEL export FILE|-   write a channel's EQ bands as such a filter list\n"
    "\n"
    "A negative number is a value: set \"Analog Output 3/Volume\" -6.5\n"
    "\n"
    "Exit status:\n"
    "  0  success\n"
    "  1  the processor answered with an error, or a value read back differs\n"
    "  2  usage error: unknown command or option, bad PATH, value out of limits;\n"
    "     eq import: a filter was refused or found no band (nothing sent)\n"
    "  3  no processor found\n"
    "  4  a processor is present but cannot be opened (permission; see the udev rule)\n"
    "  5  a file cannot be read, is not valid, or cannot be written\n";

struct CommandHelp
{
    const char* name;
    const char* text;
};

const CommandHelp commandHelp[] = {
    {"status", "Usage: tonvise-cli status [--json]\n"
               "Prints whether a processor is connected, its firmware and plugin versions, DAC\n"
               "model, preset, input source and master volume. --json prints one object with\n"
               "the members connected, firmware, plugin, dac_model, preset, input and\n"
               "master_volume.\n"},
    {"backup", "Usage: tonvise-cli backup FILE|-\n"
               "Reads every parameter and writes FILE as the window's Save does; - writes to\n"
               "standard output. The previous FILE stays whole until the new one is complete.\n"},
    {"restore", "Usage: tonvise-cli restore FILE\n"
                "Reads FILE as the window's Load does, writes every setting it holds, reads\n"
                "them back and lists those that differ. A file with a member that cannot be\n"
                "taken is refused whole: nothing is written.\n"},
    {"get",
     "Usage: tonvise-cli get PATH [--json]\n"
     "Prints one parameter as the settings file writes it (--json: as a JSON value).\n"
     "PATH joins the settings file's names with /, e.g. \"Analog Output 3/PEQ/EQ2/Gain\".\n"},
    {"set", "Usage: tonvise-cli set PATH VALUE\n"
            "Writes one parameter and reads it back. VALUE must lie within the limits `list`\n"
            "shows. A filter member (Type, Freq, Q, Gain) designs that band's or crossover\n"
            "side's coefficients as the filter dialogs do and writes them with it.\n"},
    {"list", "Usage: tonvise-cli list\n"
             "Prints every PATH with its kind and limits, one a line, tab-separated.\n"},
    {"preset", "Usage: tonvise-cli preset N\n"
               "Switches the processor to preset N (1-4) and reads what it holds.\n"},
    {"levels", "Usage: tonvise-cli levels [--json] [--watch [MS]]\n"
               "Prints the ten levels in dB once, or every MS milliseconds (default 200)\n"
               "until interrupted. --json prints one object a line, members named after\n"
               "the channels.\n"},
    {"plugin", "Usage: tonvise-cli plugin FILE\n"
               "Writes a plugin image and reads it back to verify it; shows progress on\n"
               "standard error when that is a terminal.\n"},
    {"reboot", "Usage: tonvise-cli reboot [--yes]\n"
               "Restarts the processor; asks first on a terminal unless --yes.\n"},
    {"bootloader", "Usage: tonvise-cli bootloader [--yes]\n"
                   "Starts the processor's bootloader; asks first on a terminal unless --yes.\n"},
    {"eq", "Usage: tonvise-cli eq CHANNEL import FILE [--fill-empty] [--dry-run] [--partial]\n"
           "       tonvise-cli eq CHANNEL export FILE|-\n"
           "CHANNEL as the settings file names it, e.g. \"Analog Output 3\".\n"
           "import reads the \"Filter N: ON PK Fc ... Hz Gain ... dB Q ...\" lines a measurement\n"
           "program exports, prints what becomes of each and writes the changed bands, each\n"
           "designed as the equalizer does. The five bands are filled in file order; bands\n"
           "left over become None, or keep what they hold with --fill-empty (then only None\n"
           "bands are filled). --dry-run prints and sends nothing. When a filter is refused or\n"
           "finds no band, nothing is sent and the exit status is 2, unless --partial: then\n"
           "the rest is written. A Preamp line is reported, not applied.\n"
           "export writes the five bands in the same format; - writes to standard output.\n"},
};

const char* helpFor(const QString& command)
{
    for (const CommandHelp& help : commandHelp) {
        if (command == QLatin1String(help.name))
            return help.text;
    }
    return nullptr;
}

QString numberText(double value)
{
    return QString::number(value, 'g', 10);
}

// How a settings file writes a value: the value's JSON text.
QString jsonText(const QJsonValue& value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

double rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

bool parseNumber(const QString& text, double& value)
{
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && std::isfinite(value);
}

// Stands in for the user: answers the session's questions from --yes or the terminal,
// and keeps its messages for the command to report.
class CliPrompter : public SessionPrompter
{
public:
    bool confirm(const QString& question) override
    {
        if (assumeYes)
            return true;
        if (!isatty(STDIN_FILENO) || !isatty(STDERR_FILENO))
            return false;
        fprintf(stderr, "%s [y/N] ", qPrintable(question));
        fflush(stderr);
        char line[16] = {};
        if (!fgets(line, sizeof line, stdin))
            return false;
        return line[0] == 'y' || line[0] == 'Y';
    }
    void showMessage(const QString& text) override { messages << text; }

    bool assumeYes = false;
    QStringList messages;
};

// A parameter as the command line names it: a node and, for a filter, one member
// (or a path below it, such as a coefficient).
struct Address
{
    Node* node = nullptr;
    QStringList member;
};

// Qt 5 writes in the locale's encoding unless told; Qt 6 always writes UTF-8.
void writeUtf8(QTextStream& stream)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    stream.setCodec("UTF-8");
#else
    Q_UNUSED(stream)
#endif
}

class Cli
{
public:
    Cli(QIODevice& outDevice, QIODevice& errDevice, bool demo)
        : out(&outDevice), err(&errDevice), demo(demo)
    {
        writeUtf8(out);
        writeUtf8(err);
        QObject::connect(tree.hub, &ParamHub::presetChanged, &session, &DeviceSession::writePreset);
        QObject::connect(&session, &DeviceSession::paramRefused, &session,
                         [this](const Node* node) { refused << node; });
        for (Node* node : *tree.subsetToList(ParamTree::All))
            nodesByPath.insert(settingsPath(node), node);
    }

    int run(QStringList args);

private:
    int fail(int code, const QString& message)
    {
        err << "tonvise-cli: " << message << '\n';
        err.flush();
        return code;
    }
    int usage(const QString& message) { return fail(ExitUsage, message); }

    bool waitFor(const std::function<bool()>& done, int timeoutMs);
    bool waitIdle()
    {
        return waitFor([this] { return session.isIdle(); }, sessionTimeoutMs);
    }
    int connectDevice();
    int readBack(const QList<const Node*>& nodes, const QList<QByteArray>& written);

    bool resolve(const QString& path, Address& address);
    QJsonValue valueAt(const Address& address);
    int applyValue(const Address& address, const QString& text, bool dryRun);

    int status(bool json);
    int backup(const QString& fileName);
    // Writes `text` to the file, or to standard output for "-".
    int writeOutput(const QString& fileName, const QByteArray& text);
    int restore(const QString& fileName);
    int get(const QString& path, bool json);
    int set(const QString& path, const QString& value);
    int list();
    int preset(const QString& number);
    int levels(bool json, int watchMs);
    int plugin(const QString& fileName);
    int service(bool bootloader, bool yes);
    PEQSNode* equalizerOf(const QString& channel);
    int eqImport(const QString& channel, const QString& fileName, FilterImportMode mode,
                 bool dryRun, bool partial);
    int eqExport(const QString& channel, const QString& fileName);

    QTextStream out;
    QTextStream err;
    bool demo;
    ParamTree tree;
    CliPrompter prompter;
    DeviceSession session{&tree, tree.hub->updateQueue(), prompter};
    QHash<QString, Node*> nodesByPath;
    QList<const Node*> refused;
};

int Cli::run(QStringList args)
{
    if (args.isEmpty())
        return usage(QStringLiteral("no command given; see tonvise-cli --help"));
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        out << usageText;
        if (demo)
            out << "\nThis is tonvise-cli-demo: it runs the commands against the built-in "
                   "emulated processor, not a real one.\n";
        return ExitOk;
    }
    if (command == QLatin1String("--version")) {
        out << (demo ? "tonvise-cli-demo " : "tonvise-cli ")
            << QCoreApplication::applicationVersion() << '\n';
        return ExitOk;
    }
    if (!helpFor(command))
        return usage(QStringLiteral("unknown command \"%1\"; see tonvise-cli --help").arg(command));

    // Options may stand anywhere; "-" and negative numbers are arguments.
    bool json = false;
    bool yes = false;
    int watchMs = -1;
    bool fillEmpty = false;
    bool dryRun = false;
    bool partial = false;
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out << helpFor(command);
            return ExitOk;
        }
        if (arg == QLatin1String("--json") &&
            (command == QLatin1String("status") || command == QLatin1String("get") ||
             command == QLatin1String("levels"))) {
            json = true;
        } else if (arg == QLatin1String("--yes") &&
                   (command == QLatin1String("reboot") || command == QLatin1String("bootloader"))) {
            yes = true;
        } else if (arg == QLatin1String("--watch") && command == QLatin1String("levels")) {
            watchMs = 200;
            bool ok = false;
            const int ms = args.value(i + 1).toInt(&ok);
            if (ok) {
                if (ms < 1)
                    return usage(QStringLiteral("--watch needs a positive number of ms"));
                watchMs = ms;
                ++i;
            }
        } else if (arg == QLatin1String("--fill-empty") && command == QLatin1String("eq")) {
            fillEmpty = true;
        } else if (arg == QLatin1String("--dry-run") && command == QLatin1String("eq")) {
            dryRun = true;
        } else if (arg == QLatin1String("--partial") && command == QLatin1String("eq")) {
            partial = true;
        } else if (arg.startsWith(QLatin1String("--"))) {
            return usage(QStringLiteral("%1 has no option %2").arg(command, arg));
        } else {
            positional << arg;
        }
    }

    const int wanted =
        command == QLatin1String("eq")                                                  ? 3
        : command == QLatin1String("set")                                               ? 2
        : QStringList{"backup", "restore", "get", "preset", "plugin"}.contains(command) ? 1
                                                                                        : 0;
    if (positional.size() != wanted)
        return usage(QStringLiteral("%1 takes %2 argument(s); see tonvise-cli %1 --help")
                         .arg(command)
                         .arg(wanted));

    if (command == QLatin1String("status"))
        return status(json);
    if (command == QLatin1String("backup"))
        return backup(positional.at(0));
    if (command == QLatin1String("restore"))
        return restore(positional.at(0));
    if (command == QLatin1String("get"))
        return get(positional.at(0), json);
    if (command == QLatin1String("set"))
        return set(positional.at(0), positional.at(1));
    if (command == QLatin1String("list"))
        return list();
    if (command == QLatin1String("preset"))
        return preset(positional.at(0));
    if (command == QLatin1String("levels"))
        return levels(json, watchMs);
    if (command == QLatin1String("plugin"))
        return plugin(positional.at(0));
    if (command == QLatin1String("eq")) {
        const QString& action = positional.at(1);
        if (action == QLatin1String("import"))
            return eqImport(positional.at(0), positional.at(2),
                            fillEmpty ? FilterImportMode::FillEmpty : FilterImportMode::ReplaceAll,
                            dryRun, partial);
        if (action != QLatin1String("export"))
            return usage(QStringLiteral("eq: \"%1\" is neither import nor export").arg(action));
        if (fillEmpty || dryRun || partial)
            return usage(QStringLiteral("eq export takes no options"));
        return eqExport(positional.at(0), positional.at(2));
    }
    return service(command == QLatin1String("bootloader"), yes);
}

bool Cli::waitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    QTimer wake; // bounds each wait, so the time-out is seen
    wake.start(20);
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Probes the link as the window's first tick does; once the device answers, the session
// reads every parameter.
int Cli::connectDevice()
{
    switch (probeDeviceAccess()) {
    case DeviceAccess::Absent:
        return fail(ExitNoDevice, QStringLiteral("no processor found (USB 0483:5750)"));
    case DeviceAccess::Refused:
        return fail(ExitNoAccess, deviceRefusedMessage());
    case DeviceAccess::Openable:
        break;
    }
    session.tick();
    if (!waitIdle() || !session.isConnected())
        return fail(ExitNoDevice, QStringLiteral("the processor does not answer"));
    return ExitOk;
}

// Reads every parameter and compares `nodes` with what was written to them.
int Cli::readBack(const QList<const Node*>& nodes, const QList<QByteArray>& written)
{
    QStringList problems;
    for (const Node* node : qAsConst(refused))
        problems << QStringLiteral("refused by the processor: %1").arg(settingsPath(node));
    refused.clear();
    session.readAll();
    if (!waitIdle())
        return fail(ExitDevice, QStringLiteral("the processor stopped answering"));
    for (const Node* node : qAsConst(refused))
        problems << QStringLiteral("not read back: %1").arg(settingsPath(node));
    for (int i = 0; i < nodes.size(); ++i) {
        if (nodes.at(i)->serialize() != written.at(i) && !refused.contains(nodes.at(i)))
            problems << QStringLiteral("differs: %1").arg(settingsPath(nodes.at(i)));
    }
    problems.removeDuplicates();
    for (const QString& problem : qAsConst(problems))
        fail(ExitDevice, problem);
    return problems.isEmpty() ? ExitOk : ExitDevice;
}

// The longest leading part of `path` that names a parameter; the rest must lie inside
// a filter's settings-file object.
bool Cli::resolve(const QString& path, Address& address)
{
    QStringList parts = path.split(QLatin1Char('/'));
    QStringList rest;
    while (!parts.isEmpty()) {
        Node* node = nodesByPath.value(parts.join(QLatin1Char('/')));
        if (node && !dynamic_cast<LevelNode*>(node)) {
            address.node = node;
            address.member = rest;
            const bool filter =
                dynamic_cast<PEQNode*>(node) || dynamic_cast<XoverFilterNode*>(node);
            if (rest.isEmpty() ? filter : !filter)
                return false;
            return rest.isEmpty() || valueAt(address).isDouble() || valueAt(address).isString();
        }
        rest.prepend(parts.takeLast());
    }
    return false;
}

QJsonValue Cli::valueAt(const Address& address)
{
    if (auto* label = dynamic_cast<LabelNode*>(address.node))
        return label->text();
    if (auto* version = dynamic_cast<VersionNode*>(address.node))
        return version->text();
    QJsonObject parent;
    address.node->constructJson(parent);
    QJsonValue value = parent.value(address.node->name);
    for (const QString& key : address.member)
        value = value.toObject().value(key);
    return value;
}

// Checks `text` against the limits of the address and, unless `dryRun`, sets it as the
// user's change, so that the session writes it.
int Cli::applyValue(const Address& address, const QString& text, bool dryRun)
{
    Node* node = address.node;
    const QString path =
        settingsPath(node) +
        (address.member.isEmpty() ? QString() : QLatin1Char('/') + address.member.join('/'));
    const auto outOfLimits = [&](double min, double max) {
        return usage(QStringLiteral("%1: %2 is outside the limits %3 to %4")
                         .arg(path, text, numberText(min), numberText(max)));
    };
    if (node->readOnly)
        return usage(QStringLiteral("%1 is read-only").arg(path));

    if (auto* spin = dynamic_cast<DoubleSpinBoxNode*>(node)) {
        const DoubleSpinBoxParams& limits = spin->spinBoxParams();
        double value = 0.0;
        if (!parseNumber(text, value))
            return usage(QStringLiteral("%1: \"%2\" is not a number").arg(path, text));
        if (value < limits.min || value > limits.max)
            return outOfLimits(limits.min, limits.max);
        if (!dryRun)
            spin->setValue(value, ChangeSource::User);
        return ExitOk;
    }
    if (auto* box = dynamic_cast<CheckBoxNode*>(node)) {
        const bool on = text == QLatin1String("true");
        if (!on && text != QLatin1String("false"))
            return usage(QStringLiteral("%1: \"%2\" is neither true nor false").arg(path, text));
        if (!dryRun)
            box->setChecked(on, ChangeSource::User);
        return ExitOk;
    }
    if (auto* combo = dynamic_cast<ComboBoxNode*>(node)) {
        const int index = combo->optionTexts().indexOf(text);
        if (index < 0)
            return usage(QStringLiteral("%1: \"%2\" is not one of: %3")
                             .arg(path, text, combo->optionTexts().join(QStringLiteral(", "))));
        if (!dryRun)
            combo->setCurrentIndex(index, ChangeSource::User);
        return ExitOk;
    }
    if (auto* label = dynamic_cast<LabelNode*>(node)) {
        if (text.toUcs4().size() > LabelNode::maxLength)
            return usage(QStringLiteral("%1: a label holds at most %2 characters")
                             .arg(path)
                             .arg(LabelNode::maxLength));
        if (!dryRun)
            label->setText(text, ChangeSource::User);
        return ExitOk;
    }

    // A filter member: the other members stay, the coefficients are designed anew.
    const QString member = address.member.join(QLatin1Char('/'));
    auto* peq = dynamic_cast<PEQNode*>(node);
    auto* xover = dynamic_cast<XoverFilterNode*>(node);
    PEQParams peqParams = peq ? peq->getPEQParams() : PEQParams{};
    XoverParams xoverParams = xover ? xover->xoverParams() : XoverParams{};
    if (member == QLatin1String("Type")) {
        bool offered = false;
        if (peq) {
            offered = peqTypeFromWord(text, peqParams.type) &&
                      std::find(std::begin(offeredPeqTypes), std::end(offeredPeqTypes),
                                peqParams.type) != std::end(offeredPeqTypes);
        } else {
            offered = xoverTypeFromWord(text, xoverParams.type);
        }
        if (!offered) {
            QStringList words;
            if (peq) {
                for (PEQType type : offeredPeqTypes)
                    words << peqTypeWord(type);
            } else {
                for (int code = 0; code <= int(XoverType::BS_24); ++code)
                    words << xoverTypeWord(XoverType(code));
            }
            return usage(QStringLiteral("%1: \"%2\" is not one of: %3")
                             .arg(path, text, words.join(QStringLiteral(", "))));
        }
    } else {
        const MemberLimits* limits = nullptr;
        double* target = nullptr;
        if (member == QLatin1String("Freq")) {
            limits = &filterFrequency;
            target = peq ? &peqParams.frequency : &xoverParams.frequency;
        } else if (peq && member == QLatin1String("Q")) {
            limits = &peqQ;
            target = &peqParams.q;
        } else if (peq && member == QLatin1String("Gain")) {
            limits = &peqGain;
            target = &peqParams.gain;
        } else {
            return usage(QStringLiteral("%1 is designed from the filter's type and corner and "
                                        "cannot be set")
                             .arg(path));
        }
        double value = 0.0;
        if (!parseNumber(text, value))
            return usage(QStringLiteral("%1: \"%2\" is not a number").arg(path, text));
        if (value < limits->min || value > limits->max)
            return outOfLimits(limits->min, limits->max);
        *target = rounded(value, limits->decimals);
    }
    if (!dryRun) {
        if (peq)
            peq->setPEQParamsAndCoeffs(peqParams, calcPEQCoeffs(peqParams), ChangeSource::User);
        else
            xover->setXoverParamsAndCoeffs(xoverParams, calcXoverCoeffs(xoverParams),
                                           ChangeSource::User);
    }
    return ExitOk;
}

int Cli::status(bool json)
{
    const int connection = connectDevice();
    const bool connected = connection == ExitOk;
    const QString input =
        connected ? tree.inputSourceNode()->itemTexts().value(tree.inputSourceNode()->currentItem())
                  : QString();
    const double volume = tree.masterVolumeNode()->value();
    const int presetNumber = tree.getPresetNode()->currentIndex() + 1;
    if (json) {
        QJsonObject object;
        object.insert(QStringLiteral("connected"), connected);
        object.insert(QStringLiteral("firmware"), tree.firmwareVersionNode()->text());
        object.insert(QStringLiteral("plugin"), tree.pluginVersionNode()->text());
        object.insert(QStringLiteral("dac_model"), tree.dacModelNode()->text());
        object.insert(QStringLiteral("preset"),
                      connected ? QJsonValue(presetNumber) : QJsonValue());
        object.insert(QStringLiteral("input"), input);
        object.insert(QStringLiteral("master_volume"),
                      connected ? QJsonValue(volume) : QJsonValue());
        out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
        return connection;
    }
    out << "Connected: " << (connected ? "yes" : "no") << '\n';
    if (!connected)
        return connection;
    const QString dac = tree.dacModelNode()->text();
    out << "Firmware: " << tree.firmwareVersionNode()->text() << '\n'
        << "Plugin: " << tree.pluginVersionNode()->text() << '\n'
        << "DAC model: " << (dac.isEmpty() ? QStringLiteral("none") : dac) << '\n'
        << "Preset: " << presetNumber << '\n'
        << "Input: " << input << '\n'
        << "Master volume: " << numberText(volume) << " dB\n";
    return ExitOk;
}

int Cli::backup(const QString& fileName)
{
    if (const int code = connectDevice())
        return code;
    const QByteArray text = tree.settingsFileText();
    return writeOutput(fileName, text);
}

int Cli::writeOutput(const QString& fileName, const QByteArray& text)
{
    if (fileName == QLatin1String("-")) {
        out.flush();
        out.device()->write(text);
        return ExitOk;
    }
    // The previous file stays whole until the new one is complete.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return fail(ExitFile,
                    QStringLiteral("%1: cannot write: %2").arg(fileName, file.errorString()));
    return ExitOk;
}

int Cli::restore(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(ExitFile,
                    QStringLiteral("%1: cannot read: %2").arg(fileName, file.errorString()));
    QJsonDocument document;
    if (!parseSettingsFile(file.readAll(), document))
        return fail(ExitFile,
                    QStringLiteral("%1: not a settings file (no JSON object)").arg(fileName));
    {
        // Checked on a tree of its own first: a file the window would refuse any part of
        // writes nothing.
        ParamTree scratch;
        const SettingsLoad load = scratch.readJsonDocument(document);
        if (!load.refused.isEmpty())
            return fail(ExitFile, QStringLiteral("%1: not valid: %2")
                                      .arg(fileName, load.refused.join(QStringLiteral(", "))));
    }
    if (const int code = connectDevice())
        return code;
    const SettingsLoad load = tree.readJsonDocument(document);
    QList<const Node*> nodes;
    QList<QByteArray> written;
    for (const Node* node : load.loaded) {
        nodes << node;
        written << node->serialize();
    }
    refused.clear();
    session.writeLoaded(load.loaded);
    if (!waitIdle())
        return fail(ExitDevice, QStringLiteral("the processor stopped answering"));
    return readBack(nodes, written);
}

int Cli::get(const QString& path, bool json)
{
    Address address;
    if (!resolve(path, address))
        return usage(QStringLiteral("no parameter \"%1\"; see tonvise-cli list").arg(path));
    if (const int code = connectDevice())
        return code;
    const QJsonValue value = valueAt(address);
    out << (json || !value.isString() ? jsonText(value) : value.toString()) << '\n';
    return ExitOk;
}

int Cli::set(const QString& path, const QString& value)
{
    Address address;
    if (!resolve(path, address))
        return usage(QStringLiteral("no parameter \"%1\"; see tonvise-cli list").arg(path));
    if (const int code = applyValue(address, value, true))
        return code;
    if (const int code = connectDevice())
        return code;
    refused.clear();
    applyValue(address, value, false);
    if (!waitIdle())
        return fail(ExitDevice, QStringLiteral("the processor stopped answering"));
    return readBack({address.node}, {address.node->serialize()});
}

int Cli::list()
{
    for (Node* node : *tree.subsetToList(ParamTree::All)) {
        const QString path = settingsPath(node);
        const QString access = node->readOnly ? QStringLiteral("read-only") : QString();
        if (auto* spin = dynamic_cast<DoubleSpinBoxNode*>(node)) {
            const DoubleSpinBoxParams& p = spin->spinBoxParams();
            out << path << "\tnumber\t" << numberText(p.min) << ".." << numberText(p.max)
                << (p.suffix.isEmpty() ? QString() : QLatin1Char(' ') + p.suffix.trimmed()) << '\n';
        } else if (dynamic_cast<CheckBoxNode*>(node)) {
            out << path << "\tbool\ttrue|false\n";
        } else if (auto* combo = dynamic_cast<ComboBoxNode*>(node)) {
            out << path << "\toption\t" << combo->optionTexts().join(QLatin1Char('|')) << '\n';
        } else if (dynamic_cast<LabelNode*>(node)) {
            out << path << "\tlabel\tup to " << LabelNode::maxLength << " characters\n";
        } else if (dynamic_cast<VersionNode*>(node)) {
            out << path << "\ttext\t" << access << '\n';
        } else if (dynamic_cast<PEQNode*>(node)) {
            QStringList words;
            for (PEQType type : offeredPeqTypes)
                words << peqTypeWord(type);
            out << path << "/Type\tfilter type\t" << words.join(QLatin1Char('|')) << '\n'
                << path << "/Freq\tfilter number\t10..25000 Hz\n"
                << path << "/Q\tfilter number\t0.5..50\n"
                << path << "/Gain\tfilter number\t-12..12 dB\n";
        } else if (dynamic_cast<XoverFilterNode*>(node)) {
            QStringList words;
            for (int code = 0; code <= int(XoverType::BS_24); ++code)
                words << xoverTypeWord(XoverType(code));
            out << path << "/Type\tfilter type\t" << words.join(QLatin1Char('|')) << '\n'
                << path << "/Freq\tfilter number\t10..25000 Hz\n";
        }
    }
    return ExitOk;
}

int Cli::preset(const QString& number)
{
    bool ok = false;
    const int n = number.toInt(&ok);
    if (!ok || n < 1 || n > 4)
        return usage(QStringLiteral("preset: \"%1\" is not a preset number 1 to 4").arg(number));
    if (const int code = connectDevice())
        return code;
    refused.clear();
    tree.getPresetNode()->setCurrentIndex(n - 1, ChangeSource::User);
    if (!waitIdle())
        return fail(ExitDevice, QStringLiteral("the processor stopped answering"));
    if (!refused.isEmpty() || tree.getPresetNode()->currentIndex() != n - 1)
        return fail(ExitDevice, QStringLiteral("the processor did not switch to preset %1").arg(n));
    return ExitOk;
}

int Cli::levels(bool json, int watchMs)
{
    if (const int code = connectDevice())
        return code;
    session.setReadLevels(true);
    for (;;) {
        session.tick();
        if (!waitIdle() || !session.isConnected())
            return fail(ExitDevice, QStringLiteral("the processor stopped answering"));
        QJsonObject object;
        for (Node* node : *tree.subsetToList(ParamTree::Levels)) {
            if (auto* level = dynamic_cast<LevelNode*>(node)) {
                const QString channel = node->parent ? node->parent->name : node->name;
                if (json)
                    object.insert(channel, level->level());
                else
                    out << channel << ": " << level->level() << " dB\n";
            }
        }
        if (json)
            out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
        out.flush();
        if (watchMs < 0)
            return ExitOk;
        if (!json)
            out << '\n';
        waitFor([] { return false; }, watchMs);
    }
}

int Cli::plugin(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(ExitFile,
                    QStringLiteral("%1: cannot read: %2").arg(fileName, file.errorString()));
    if (file.size() == 0)
        return fail(ExitFile, QStringLiteral("%1: not valid: the file is empty").arg(fileName));
    file.close();
    if (const int code = connectDevice())
        return code;
    const bool terminal = isatty(STDERR_FILENO);
    QObject::connect(&session, &DeviceSession::pluginProgress, &session,
                     [this, terminal](DeviceSession::PluginPhase phase, int done, int total) {
                         if (!terminal)
                             return;
                         const int percent = total > 0 ? int(qint64(done) * 100 / total) : 0;
                         err << '\r'
                             << (phase == DeviceSession::PluginPhase::Writing ? "Writing  "
                                                                              : "Verifying")
                             << ' ' << qSetFieldWidth(3) << percent << qSetFieldWidth(0) << "% ("
                             << done << '/' << total << " bytes)";
                         err.flush();
                     });
    bool finished = false;
    QObject::connect(&session, &DeviceSession::pluginFinished, &session,
                     [&finished] { finished = true; });
    session.writePluginFile(fileName);
    if (!waitFor([&] { return finished || !prompter.messages.isEmpty(); }, pluginTimeoutMs))
        return fail(ExitDevice, QStringLiteral("the processor stopped answering"));
    if (terminal) {
        err << '\n';
        err.flush();
    }
    const QString message = prompter.messages.value(0);
    if (!message.contains(QLatin1String("successfully")))
        return fail(ExitDevice, message);
    out << message << '\n';
    return ExitOk;
}

int Cli::service(bool bootloader, bool yes)
{
    prompter.assumeYes = yes;
    if (!yes && (!isatty(STDIN_FILENO) || !isatty(STDERR_FILENO)))
        return usage(QStringLiteral("not confirmed: add --yes when not on a terminal"));
    if (const int code = connectDevice())
        return code;
    if (bootloader)
        session.runBootloader();
    else
        session.reboot();
    if (session.isIdle())
        return fail(ExitDevice, QStringLiteral("cancelled"));
    waitIdle();
    return ExitOk;
}

// The EQ bank of a channel named as the settings file names it.
PEQSNode* Cli::equalizerOf(const QString& channel)
{
    Node* band = nodesByPath.value(channel + QStringLiteral("/PEQ/EQ1"));
    return band && dynamic_cast<PEQNode*>(band) ? dynamic_cast<PEQSNode*>(band->parent) : nullptr;
}

int Cli::eqImport(const QString& channel, const QString& fileName, FilterImportMode mode,
                  bool dryRun, bool partial)
{
    PEQSNode* bank = equalizerOf(channel);
    if (!bank)
        return usage(QStringLiteral("no channel \"%1\" with EQ bands").arg(channel));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(ExitFile,
                    QStringLiteral("%1: cannot read: %2").arg(fileName, file.errorString()));
    // One byte past the limit is enough to refuse a file that is too large.
    FilterTextFile parsed = parseFilterText(file.read(filterTextMaxBytes + 1));
    if (!parsed.error.isEmpty())
        return fail(ExitFile, QStringLiteral("%1: %2").arg(fileName, parsed.error));
    if (const int code = connectDevice())
        return code;
    FilterTextBands current;
    for (int i = 0; i < filterTextBandCount; ++i)
        current[i] = bank->getPEQParams(i);
    const FilterImport import = mapFilterText(std::move(parsed), current, mode);
    out << import.previewText();
    out.flush();
    if (!import.complete() && !partial)
        return usage(QStringLiteral("%1: not every filter can be imported; nothing sent "
                                    "(--partial writes the rest)")
                         .arg(fileName));
    if (dryRun)
        return ExitOk;
    QList<const Node*> nodes;
    QList<QByteArray> written;
    refused.clear();
    for (int i = 0; i < filterTextBandCount; ++i) {
        if (!import.changed.at(i))
            continue;
        const PEQParams& params = import.bands.at(i);
        bank->setPEQParamsAndCoeffs(i, params, calcPEQCoeffs(params), ChangeSource::User);
        const PEQNode* node = *bank->getPEQNode(i);
        nodes << node;
        written << node->serialize();
    }
    if (!waitIdle())
        return fail(ExitDevice, QStringLiteral("the processor stopped answering"));
    return nodes.isEmpty() ? ExitOk : readBack(nodes, written);
}

int Cli::eqExport(const QString& channel, const QString& fileName)
{
    PEQSNode* bank = equalizerOf(channel);
    if (!bank)
        return usage(QStringLiteral("no channel \"%1\" with EQ bands").arg(channel));
    if (const int code = connectDevice())
        return code;
    FilterTextBands bands;
    for (int i = 0; i < filterTextBandCount; ++i)
        bands[i] = bank->getPEQParams(i);
    QByteArray text;
    QString error;
    if (!exportFilterText(bands, text, error))
        return fail(ExitFile, QStringLiteral("%1: %2").arg(channel, error));
    return writeOutput(fileName, text);
}

} // namespace

int runTonviseCli(const QStringList& arguments, QIODevice& out, QIODevice& err, bool demo)
{
    Cli cli(out, err, demo);
    return cli.run(arguments);
}
