// The command-line tool against the emulated processor, run in-process through its entry
// point: backup and restore, get and set of each kind of parameter at and beyond its
// limits, the JSON outputs, and the exit statuses scripts rely on.
#include "checkboxnode.h"
#include "clitool.h"
#include "comboboxnode.h"
#include "doublespinboxnode.h"
#include "linkexchange.h"
#include "peqdesign.h"
#include "peqnode.h"
#include "sessionfixture.h"
#include "xoverdesign.h"
#include "xoverfilternode.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run
{
    int code = -1;
    QByteArray out;
    QString err;
};

Run cli(const QStringList& arguments)
{
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    Run run;
    run.code = runTonviseCli(arguments, out, err, true);
    run.out = out.data();
    run.err = QString::fromUtf8(err.data());
    return run;
}

// What the device holds, read into a tree by a session of the test's own.
std::unique_ptr<HeadlessSession> readDevice()
{
    auto s = std::make_unique<HeadlessSession>();
    s->session.readAll();
    waitUntil([&] { return s->session.isIdle(); });
    return s;
}

Node* nodeAt(ParamTree& tree, const QString& path)
{
    for (Node* node : *tree.subsetToList(ParamTree::All)) {
        if (settingsPath(node) == path)
            return node;
    }
    return nullptr;
}

// Another value within the node's limits.
void changeValue(Node* node)
{
    if (auto* spin = dynamic_cast<DoubleSpinBoxNode*>(node)) {
        const DoubleSpinBoxParams& p = spin->spinBoxParams();
        spin->setValue(spin->value() == p.min ? p.max : p.min, ChangeSource::Device);
    } else if (auto* box = dynamic_cast<CheckBoxNode*>(node)) {
        box->setChecked(!box->isChecked(), ChangeSource::Device);
    } else if (auto* combo = dynamic_cast<ComboBoxNode*>(node)) {
        combo->setCurrentIndex((combo->currentIndex() + 1) % combo->optionTexts().size(),
                               ChangeSource::Device);
    } else if (auto* peq = dynamic_cast<PEQNode*>(node)) {
        PEQParams p = peq->getPEQParams();
        p.frequency = p.frequency == 500.0 ? 600.0 : 500.0;
        peq->setPEQParamsAndCoeffs(p, calcPEQCoeffs(p), ChangeSource::Device);
    } else if (auto* xover = dynamic_cast<XoverFilterNode*>(node)) {
        XoverParams p = xover->xoverParams();
        p.frequency = p.frequency == 500.0 ? 600.0 : 500.0;
        xover->setXoverParamsAndCoeffs(p, calcXoverCoeffs(p), ChangeSource::Device);
    }
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void backupThenRestore();
    void getAndSet_data();
    void getAndSet();
    void filterMemberDesignsItsCoefficients();
    void jsonOutputs();
    void failures_data();
    void failures();
    void plugin();
    void eqImportExport_data();
    void eqImportExport();

private:
    EmulatedProcessor& emu = EmulatedProcessor::instance();
    QTemporaryDir dir;
};

void TestCli::init()
{
    freshProcessor();
    emu.plugInDemo();
    emu.setLatency(std::chrono::microseconds(0));
    emu.setLevelsMoving(false);
    emu.clearLogs();
}

void TestCli::backupThenRestore()
{
    const QString file = dir.filePath(QStringLiteral("backup.json"));
    const Run backup = cli({"backup", file});
    QCOMPARE(backup.code, 0);
    QCOMPARE(backup.err, QString());
    QFile saved(file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray text = saved.readAll();

    // What the window's Save wrote before the text was shared: the tree as an indented
    // JSON document.
    {
        auto s = readDevice();
        QJsonDocument document;
        s->tree.constructJsonDocument(document);
        QCOMPARE(text, document.toJson(QJsonDocument::Indented));
    }
    QCOMPARE(cli({"backup", "-"}).out, text);

    // Another processor, where every setting holds another value.
    ParamTree expected;
    QJsonDocument document = QJsonDocument::fromJson(text);
    const QList<Node*> settings = expected.readJsonDocument(document).loaded;
    QCOMPARE(settings.size(), 126);
    {
        ParamTree other;
        other.readJsonDocument(document);
        for (Node* node : *other.subsetToList(ParamTree::Settings)) {
            changeValue(node);
            emu.setValue(node->paramIndex, node->serialize());
        }
    }
    for (const Node* node : settings)
        QVERIFY2(emu.value(node->paramIndex) != node->serialize(), qPrintable(settingsPath(node)));

    const Run restore = cli({"restore", file});
    QCOMPARE(restore.err, QString());
    QCOMPARE(restore.code, 0);
    for (const Node* node : settings)
        QVERIFY2(emu.value(node->paramIndex) == node->serialize(), qPrintable(settingsPath(node)));
}

void TestCli::getAndSet_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("readBack"); // as get prints it

    const QString volume = QStringLiteral("Analog Output 3/Volume");
    QTest::newRow("float, negative") << volume << "-6.5" << 0 << "-6.5";
    QTest::newRow("float, at the top") << volume << "3" << 0 << "3";
    QTest::newRow("float, at the bottom") << volume << "-120" << 0 << "-120";
    QTest::newRow("float, above") << volume << "3.01" << 2 << "";
    QTest::newRow("float, below") << volume << "-120.5" << 2 << "";
    QTest::newRow("float, not a number") << volume << "loud" << 2 << "";
    QTest::newRow("bool") << "Digital Input 1/Mute"
                          << "true" << 0 << "true";
    QTest::newRow("bool, other word") << "Digital Input 1/Mute"
                                      << "yes" << 2 << "";
    QTest::newRow("option") << "Input Source"
                            << "USB" << 0 << "USB";
    QTest::newRow("option, unknown") << "Input Source"
                                     << "HDMI" << 2 << "";
    QTest::newRow("label, 16 characters") << "Analog Output 2/Label"
                                          << "Sixteen chars ok" << 0 << "Sixteen chars ok";
    QTest::newRow("label, 17 characters") << "Analog Output 2/Label"
                                          << "Seventeen chars!!" << 2 << "";
    QTest::newRow("label, not ASCII") << "Analog Output 2/Label"
                                      << "Bässe µ" << 0 << "Bässe µ";
    const QString gain = QStringLiteral("Analog Output 3/PEQ/EQ2/Gain");
    QTest::newRow("filter gain, at the top") << gain << "12" << 0 << "12";
    QTest::newRow("filter gain, below") << gain << "-12.1" << 2 << "";
    QTest::newRow("filter freq, at the top") << "Analog Output 1/Xover/HP/Freq"
                                             << "25000" << 0 << "25000";
    QTest::newRow("filter freq, above") << "Analog Output 1/Xover/HP/Freq"
                                        << "25001" << 2 << "";
    QTest::newRow("filter type not offered") << "Analog Output 1/PEQ/EQ1/Type"
                                             << "AP" << 2 << "";
    QTest::newRow("coefficient") << "Analog Output 1/PEQ/EQ1/Coeffs/B0"
                                 << "1" << 2 << "";
    QTest::newRow("read-only") << "Firmware Version"
                               << "2.0" << 2 << "";
    QTest::newRow("no such path") << "Analog Output 9/Volume"
                                  << "0" << 2 << "";
}

void TestCli::getAndSet()
{
    QFETCH(QString, path);
    QFETCH(QString, value);
    QFETCH(int, code);
    QFETCH(QString, readBack);

    const Run set = cli({"set", path, value});
    QCOMPARE(set.code, code);
    if (code != 0) {
        QCOMPARE(set.err.count(QLatin1Char('\n')), 1);
        QCOMPARE(emu.requestCount(), 0); // refused before the processor was asked anything
        return;
    }
    QCOMPARE(set.err, QString());
    const Run get = cli({"get", path});
    QCOMPARE(get.code, 0);
    QCOMPARE(QString::fromUtf8(get.out), readBack + QLatin1Char('\n'));
}

void TestCli::filterMemberDesignsItsCoefficients()
{
    const QString band = QStringLiteral("Analog Output 4/PEQ/EQ3/");
    for (const auto& [member, value] :
         {std::pair{"Type", "PEAK"}, {"Freq", "1000"}, {"Q", "2"}, {"Gain", "-4.5"}})
        QCOMPARE(cli({"set", band + member, value}).code, 0);

    auto s = readDevice();
    auto* node = dynamic_cast<PEQNode*>(nodeAt(s->tree, band.chopped(1)));
    QVERIFY(node);
    const PEQParams params{PEQType::PEAK, 1000.0, -4.5, 2.0};
    const PEQCoeffs designed = calcPEQCoeffs(params);
    QVERIFY(designed.b0 != 1.0);
    // The device holds the designed section, at its single precision.
    QCOMPARE(float(node->coefficients().b0), float(designed.b0));
    QCOMPARE(float(node->coefficients().a1), float(designed.a1));
}

void TestCli::jsonOutputs()
{
    const Run status = cli({"status", "--json"});
    QCOMPARE(status.code, 0);
    const QJsonObject object = QJsonDocument::fromJson(status.out).object();
    QCOMPARE(object.keys(), (QStringList{"connected", "dac_model", "firmware", "input",
                                         "master_volume", "plugin", "preset"}));
    QCOMPARE(object.value("connected"), QJsonValue(true));
    QVERIFY(object.value("firmware").isString());
    QVERIFY(!object.value("firmware").toString().isEmpty());
    QVERIFY(object.value("plugin").isString());
    QVERIFY(object.value("dac_model").isString());
    QCOMPARE(object.value("preset"), QJsonValue(1));
    QCOMPARE(object.value("input").toString(), QStringLiteral("Digital"));
    QVERIFY(object.value("master_volume").isDouble());

    QCOMPARE(cli({"preset", "3"}).code, 0);
    QCOMPARE(QJsonDocument::fromJson(cli({"status", "--json"}).out).object().value("preset"),
             QJsonValue(3));

    const Run levels = cli({"levels", "--json"});
    QCOMPARE(levels.code, 0);
    QCOMPARE(levels.out.count('\n'), 1);
    const QJsonObject meters = QJsonDocument::fromJson(levels.out).object();
    QStringList channels{"Digital Input 1", "Digital Input 2"};
    for (int n = 1; n <= 8; ++n)
        channels << QStringLiteral("Analog Output %1").arg(n);
    channels.sort();
    QCOMPARE(meters.keys(), channels);
    for (const QJsonValue& level : meters)
        QVERIFY(level.isDouble() && level.toDouble() <= 0.0);
}

void TestCli::failures_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message"); // a part of the one line on standard error

    const QString missing = dir.filePath(QStringLiteral("missing.json"));
    const QString garbage = dir.filePath(QStringLiteral("garbage.json"));
    const QString refusedMember = dir.filePath(QStringLiteral("refused.json"));
    const QString unwritable = dir.filePath(QStringLiteral("no/such/dir/backup.json"));

    QTest::newRow("absent") << "unplugged" << QStringList{"status"} << 3 << "no processor found";
    QTest::newRow("open refused") << "refuse open" << QStringList{"backup", "-"} << 4
                                  << "udev rule 70-tonvise.rules";
    QTest::newRow("unreadable file")
        << "" << QStringList{"restore", missing} << 5 << "missing.json: cannot read";
    QTest::newRow("not JSON") << "" << QStringList{"restore", garbage} << 5
                              << "garbage.json: not a settings file";
    QTest::newRow("member refused") << "" << QStringList{"restore", refusedMember} << 5
                                    << "refused.json: not valid: Analog Output 1/Volume";
    QTest::newRow("unwritable file")
        << "" << QStringList{"backup", unwritable} << 5 << "backup.json: cannot write";
    QTest::newRow("write ignored")
        << "ignore volume" << QStringList{"set", "Analog Output 1/Volume", "-30"} << 1
        << "differs: Analog Output 1/Volume";
    QTest::newRow("unknown command") << "" << QStringList{"frobnicate"} << 2 << "unknown command";
    QTest::newRow("unknown option") << "" << QStringList{"get", "Preset", "--xml"} << 2 << "--xml";
}

void TestCli::failures()
{
    QFETCH(QString, fault);
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, message);

    QFile garbage(dir.filePath(QStringLiteral("garbage.json")));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write("{ \"Analog Output 1\": ");
    garbage.close();
    QFile refused(dir.filePath(QStringLiteral("refused.json")));
    QVERIFY(refused.open(QIODevice::WriteOnly));
    refused.write(R"({ "Analog Output 1": { "Volume": 40 }, "Input Source": "USB" })");
    refused.close();

    if (fault == QLatin1String("unplugged"))
        emu.unplug();
    else if (fault == QLatin1String("refuse open"))
        emu.setOpenRefused(true);
    else if (fault == QLatin1String("ignore volume"))
        emu.ignoreWritesTo(nodeAt(readDevice()->tree, "Analog Output 1/Volume")->makePath());
    emu.clearLogs();

    const Run run = cli(arguments);
    QCOMPARE(run.code, code);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
    if (code == 5 && arguments.first() == QLatin1String("restore"))
        QCOMPARE(emu.requestCount(), 0);
}

void TestCli::plugin()
{
    QByteArray image(3000, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i * 7);
    const QString file = dir.filePath(QStringLiteral("plugin.bin"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(image);
    f.close();

    const Run ok = cli({"plugin", file});
    QCOMPARE(ok.code, 0);
    QVERIFY(ok.out.contains("successfully"));
    QCOMPARE(emu.pluginImage(), image);

    emu.setReadBackStep(0); // read-back answers carry nothing to compare
    const Run bad = cli({"plugin", file});
    QCOMPARE(bad.code, 1);
    QVERIFY2(bad.err.contains("verification failed"), qPrintable(bad.err));
}

void TestCli::eqImportExport_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("bands");  // EQ1..EQ5 types and frequencies afterwards
    QTest::addColumn<QString>("output"); // a part of standard output, else of standard error

    const QByteArray three = "Preamp: -6.2 dB\r\n"
                             "Filter 1: ON LSC Fc 105 Hz Gain 5.6 dB Q 0.70\r\n"
                             "Filter 2: ON PK Fc 2192 Hz Gain -3.3 dB Q 1.34\r\n"
                             "Filter 3: ON HSC Fc 10000 Hz Gain -2.0 dB Q 0.70\r\n";
    const QByteArray refused = three + "Filter 4: ON BP Fc 300 Hz Q 2\n";
    // Every band starts None; EQ1 of the channel is made a peak at 500 Hz first.
    const QString before = "Peak500 None None None None";
    QTest::newRow("import") << three << QStringList{} << 0
                            << "LowShelf105 Peak2192 HighShelf10000 None None"
                            << "Preamp: -6.2 dB";
    QTest::newRow("fill empty") << three << QStringList{"--fill-empty"} << 0
                                << "Peak500 LowShelf105 Peak2192 HighShelf10000 None"
                                << "EQ1: Peak 500 Hz gain 2 dB Q 0.5 (kept)";
    QTest::newRow("dry run") << three << QStringList{"--dry-run"} << 0 << before
                             << "EQ1: Low Shelf 105 Hz";
    QTest::newRow("refused, nothing sent")
        << refused << QStringList{} << 2 << before << "nothing sent";
    QTest::newRow("refused, partial") << refused << QStringList{"--partial"} << 0
                                      << "LowShelf105 Peak2192 HighShelf10000 None None"
                                      << "refused: type BP is not available on this processor";
    QTest::newRow("binary file") << QByteArray("\x7f"
                                               "ELF\0\0",
                                               6)
                                 << QStringList{} << 5 << before
                                 << "not a filter list: the file is binary";
}

void TestCli::eqImportExport()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, options);
    QFETCH(int, code);
    QFETCH(QString, bands);
    QFETCH(QString, output);

    const QString channel = QStringLiteral("Analog Output 3");
    for (const auto& [member, value] : {std::pair{"Type", "PEAK"}, {"Freq", "500"}, {"Gain", "2"}})
        QCOMPARE(cli({"set", channel + "/PEQ/EQ1/" + member, value}).code, 0);
    const QString path = dir.filePath(QStringLiteral("filters.txt"));
    QFile text(path);
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(file);
    text.close();

    const Run run = cli(QStringList{"eq", channel, "import", path} + options);
    QCOMPARE(run.code, code);
    QVERIFY2((code == 0 ? QString::fromUtf8(run.out) : run.err).contains(output),
             qPrintable(run.out + run.err));
    auto s = readDevice();
    QStringList got;
    for (int n = 1; n <= 5; ++n) {
        auto* band =
            dynamic_cast<PEQNode*>(nodeAt(s->tree, channel + QStringLiteral("/PEQ/EQ%1").arg(n)));
        const PEQParams p = band->getPEQParams();
        got << (p.type == PEQType::NONE
                    ? QString("None")
                    : peqTypeText(p.type).remove(' ') + QString::number(p.frequency));
        // Each band holds what the equalizer designs for its settings.
        QCOMPARE(float(band->coefficients().b0), float(calcPEQCoeffs(p).b0));
    }
    QCOMPARE(got.join(' '), bands);

    // What is exported imports back without a change.
    const QString exported = dir.filePath(QStringLiteral("exported.txt"));
    QCOMPARE(cli({"eq", channel, "export", exported}).code, 0);
    const Run again = cli({"eq", channel, "import", exported, "--dry-run"});
    QCOMPARE(again.code, 0);
    QVERIFY2(!again.out.contains("changed") && !again.out.contains("set to None"), again.out);
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
