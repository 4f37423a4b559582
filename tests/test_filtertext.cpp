#include "filtertext.h"

#include <QElapsedTimer>
#include <QtTest>

Q_DECLARE_METATYPE(PEQType)

namespace {

const char* const measurementFile =
    "Filter Settings file\n"
    "\n"
    "Room EQ V5.20.8\n"
    "Dated: 2022/6/7 11:26:51\n"
    "\n"
    "Notes:\n"
    "\n"
    "Equaliser: Generic\n"
    "Filter  1: ON  PK       Fc   321.0 Hz  Gain  -1.90 dB  Q  1.554\n"
    "Filter  2: ON  PK       Fc    1079 Hz  Gain   4.70 dB  Q  2.707\n"
    "Filter  3: ON  None\n";

const char* const equalizerFile = "Preamp: -6.2 dB\n"
                                  "Filter 1: ON LSC Fc 105 Hz Gain 5.6 dB Q 0.70\n"
                                  "Filter 2: ON PK Fc 2192 Hz Gain -3.3 dB Q 1.34\n"
                                  "Filter 3: ON HSC Fc 10000 Hz Gain -2.0 dB Q 0.70\n";

PEQParams band(PEQType type, double frequency, double gain, double q)
{
    PEQParams params;
    params.type = type;
    params.frequency = frequency;
    params.gain = gain;
    params.q = q;
    return params;
}

FilterTextBands noBands()
{
    return FilterTextBands{};
}

} // namespace

class TestFilterText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void oneLine_data();
    void oneLine();
    void examples();
    void wholeFileRefused_data();
    void wholeFileRefused();
    void ignoredLinesAndPreamp();
    void mapping_data();
    void mapping();
    void exportThenImport();
    void exportRefusesFirstOrderAllPass();
};

// Each line alone: the band it becomes (type None when it does not become one) and why not.
void TestFilterText::oneLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("fate");
    QTest::addColumn<PEQType>("type");
    QTest::addColumn<double>("frequency");
    QTest::addColumn<double>("gain");
    QTest::addColumn<double>("q");
    QTest::addColumn<QString>("reason");
    const int band = FileFilter::Band, skipped = FileFilter::Skipped, refused = FileFilter::Refused;
    const PEQType none = PEQType::NONE;
    // clang-format off
    QTest::newRow("PK") << QByteArray("Filter 1: ON PK Fc 100 Hz Gain -3 dB Q 2") << band << PEQType::PEAK << 100.0 << -3.0 << 2.0 << "";
    QTest::newRow("PEQ") << QByteArray("Filter 1: ON PEQ Fc 100 Hz Gain 3 dB Q 2") << band << PEQType::PEAK << 100.0 << 3.0 << 2.0 << "";
    QTest::newRow("Modal, T60 ignored") << QByteArray("Filter 1: ON Modal Fc 45 Hz Gain -5 dB Q 4.5 T60 target 300 ms") << band << PEQType::PEAK << 45.0 << -5.0 << 4.5 << "";
    QTest::newRow("LSC") << QByteArray("Filter 1: ON LSC Fc 105 Hz Gain 5.6 dB Q 0.9") << band << PEQType::LOW_SHELF << 105.0 << 5.6 << 0.9 << "";
    QTest::newRow("LS without Q") << QByteArray("Filter 1: ON LS Fc 105 Hz Gain 5.6 dB") << band << PEQType::LOW_SHELF << 105.0 << 5.6 << 0.707 << "";
    QTest::newRow("HSC") << QByteArray("Filter 1: ON HSC Fc 8000 Hz Gain -2 dB Q 0.8") << band << PEQType::HIGH_SHELF << 8000.0 << -2.0 << 0.8 << "";
    QTest::newRow("HS without Q") << QByteArray("Filter 1: ON HS Fc 8000 Hz Gain -2 dB") << band << PEQType::HIGH_SHELF << 8000.0 << -2.0 << 0.707 << "";
    QTest::newRow("LP") << QByteArray("Filter 1: ON LP Fc 5000 Hz") << band << PEQType::LP12 << 5000.0 << 0.0 << 0.707 << "";
    QTest::newRow("HP") << QByteArray("Filter 1: ON HP Fc 30 Hz") << band << PEQType::HP12 << 30.0 << 0.0 << 0.707 << "";
    QTest::newRow("LPQ 0.70") << QByteArray("Filter 1: ON LPQ Fc 5000 Hz Q 0.70") << band << PEQType::LP12 << 5000.0 << 0.0 << 0.707 << "";
    QTest::newRow("HPQ 0.72") << QByteArray("Filter 1: ON HPQ Fc 30 Hz Q 0.72") << band << PEQType::HP12 << 30.0 << 0.0 << 0.707 << "";
    QTest::newRow("HPQ 0.73") << QByteArray("Filter 1: ON HPQ Fc 30 Hz Q 0.73") << refused << none << 0.0 << 0.0 << 0.0 << "HPQ with Q 0.73 is not available on this processor: its Q is fixed at 0.707 (0.70 to 0.72 taken)";
    QTest::newRow("LPQ 0.69") << QByteArray("Filter 1: ON LPQ Fc 30 Hz Q 0.69") << refused << none << 0.0 << 0.0 << 0.0 << "LPQ with Q 0.69 is not available on this processor: its Q is fixed at 0.707 (0.70 to 0.72 taken)";
    QTest::newRow("AP with Q") << QByteArray("Filter 1: ON AP Fc 1000 Hz Q 0.6") << band << PEQType::AP2 << 1000.0 << 0.0 << 0.6 << "";
    QTest::newRow("AP without Q") << QByteArray("Filter 1: ON AP Fc 1000 Hz") << refused << none << 0.0 << 0.0 << 0.0 << "type AP is not available on this processor";
    QTest::newRow("NO") << QByteArray("Filter 1: ON NO Fc 1000 Hz") << refused << none << 0.0 << 0.0 << 0.0 << "type NO is not available on this processor";
    QTest::newRow("BP") << QByteArray("Filter 1: ON BP Fc 1000 Hz Q 2") << refused << none << 0.0 << 0.0 << 0.0 << "type BP is not available on this processor";
    QTest::newRow("LS 6dB") << QByteArray("Filter 1: ON LS 6dB Fc 100 Hz Gain 3 dB") << refused << none << 0.0 << 0.0 << 0.0 << "type LS 6dB is not available on this processor";
    QTest::newRow("HS 12dB") << QByteArray("Filter 1: ON HS 12dB Fc 100 Hz Gain 3 dB") << refused << none << 0.0 << 0.0 << 0.0 << "type HS 12dB is not available on this processor";
    QTest::newRow("None") << QByteArray("Filter 3: ON None") << skipped << none << 0.0 << 0.0 << 0.0 << "None";
    QTest::newRow("OFF") << QByteArray("Filter 3: OFF PK Fc 100 Hz Gain 3 dB Q 1") << skipped << none << 0.0 << 0.0 << 0.0 << "switched off";
    QTest::newRow("no ON/OFF") << QByteArray("Filter 3: PK Fc 100 Hz Gain 3 dB Q 1") << refused << none << 0.0 << 0.0 << 0.0 << "cannot read the line: ON or OFF expected";
    QTest::newRow("no type") << QByteArray("Filter 3: ON") << refused << none << 0.0 << 0.0 << 0.0 << "cannot read the line: no filter type";
    QTest::newRow("decimal comma") << QByteArray("Filter 1: ON PK Fc 63,8 Hz Gain -2,5 dB Q 4,25") << band << PEQType::PEAK << 63.8 << -2.5 << 4.25 << "";
    QTest::newRow("kHz") << QByteArray("Filter 1: ON PK Fc 2,19 kHz Gain 1 dB Q 1") << band << PEQType::PEAK << 2190.0 << 1.0 << 1.0 << "";
    QTest::newRow("tabs, label") << QByteArray("Filter\tA7:\tON\tPK\tFc\t100\tHz\t\tGain\t1\tdB\tQ\t1") << band << PEQType::PEAK << 100.0 << 1.0 << 1.0 << "";
    QTest::newRow("no unit") << QByteArray("Filter 1: ON PK Fc 100 Gain 1 Q 1") << band << PEQType::PEAK << 100.0 << 1.0 << 1.0 << "";
    QTest::newRow("PK without gain") << QByteArray("Filter 1: ON PK Fc 100 Hz Q 1") << refused << none << 0.0 << 0.0 << 0.0 << "no gain given";
    QTest::newRow("PK without Q") << QByteArray("Filter 1: ON PK Fc 100 Hz Gain 1 dB") << refused << none << 0.0 << 0.0 << 0.0 << "no Q given";
    QTest::newRow("without Fc") << QByteArray("Filter 1: ON HP") << refused << none << 0.0 << 0.0 << 0.0 << "no frequency given";
    QTest::newRow("bad number") << QByteArray("Filter 1: ON PK Fc abc Hz Gain 1 dB Q 1") << refused << none << 0.0 << 0.0 << 0.0 << "cannot read the value of Fc";
    QTest::newRow("frequency 10") << QByteArray("Filter 1: ON PK Fc 10 Hz Gain 1 dB Q 1") << band << PEQType::PEAK << 10.0 << 1.0 << 1.0 << "";
    QTest::newRow("frequency 9.9") << QByteArray("Filter 1: ON PK Fc 9.9 Hz Gain 1 dB Q 1") << refused << none << 0.0 << 0.0 << 0.0 << "frequency 9.9 Hz is outside the limits 10 to 25000 Hz";
    QTest::newRow("frequency 25 kHz") << QByteArray("Filter 1: ON PK Fc 25 kHz Gain 1 dB Q 1") << band << PEQType::PEAK << 25000.0 << 1.0 << 1.0 << "";
    QTest::newRow("frequency 25001") << QByteArray("Filter 1: ON HP Fc 25001 Hz") << refused << none << 0.0 << 0.0 << 0.0 << "frequency 25001 Hz is outside the limits 10 to 25000 Hz";
    QTest::newRow("Q 0.5") << QByteArray("Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 0.5") << band << PEQType::PEAK << 100.0 << 1.0 << 0.5 << "";
    QTest::newRow("Q 0.49") << QByteArray("Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 0.49") << refused << none << 0.0 << 0.0 << 0.0 << "Q 0.49 is outside the limits 0.5 to 50";
    QTest::newRow("Q 50") << QByteArray("Filter 1: ON AP Fc 100 Hz Q 50") << band << PEQType::AP2 << 100.0 << 0.0 << 50.0 << "";
    QTest::newRow("Q 50.1") << QByteArray("Filter 1: ON LSC Fc 100 Hz Gain 1 dB Q 50.1") << refused << none << 0.0 << 0.0 << 0.0 << "Q 50.1 is outside the limits 0.5 to 50";
    QTest::newRow("gain 12") << QByteArray("Filter 1: ON PK Fc 100 Hz Gain 12 dB Q 1") << band << PEQType::PEAK << 100.0 << 12.0 << 1.0 << "";
    QTest::newRow("gain -12, HS without Q") << QByteArray("Filter 1: ON HS Fc 100 Hz Gain -12 dB") << band << PEQType::HIGH_SHELF << 100.0 << -12.0 << 0.707 << "";
    QTest::newRow("gain 12.1") << QByteArray("Filter 1: ON PK Fc 100 Hz Gain 12.1 dB Q 1") << refused << none << 0.0 << 0.0 << 0.0 << "gain 12.1 dB is outside the limits -12 to 12 dB";
    QTest::newRow("gain -15") << QByteArray("Filter 1: ON LS Fc 100 Hz Gain -15 dB") << refused << none << 0.0 << 0.0 << 0.0 << "gain -15 dB is outside the limits -12 to 12 dB";
    // clang-format on
}

void TestFilterText::oneLine()
{
    QFETCH(QByteArray, line);
    QFETCH(int, fate);
    QFETCH(PEQType, type);
    QFETCH(double, frequency);
    QFETCH(double, gain);
    QFETCH(double, q);
    QFETCH(QString, reason);

    const FilterImport import =
        mapFilterText(parseFilterText(line + "\r\n"), noBands(), FilterImportMode::ReplaceAll);
    QVERIFY(import.file.error.isEmpty());
    QCOMPARE(import.file.filters.size(), 1);
    const FileFilter& filter = import.file.filters.at(0);
    QCOMPARE(int(filter.fate), fate);
    QCOMPARE(filter.line, 1);
    QCOMPARE(import.complete(), fate != FileFilter::Refused);
    if (fate != FileFilter::Band) {
        QCOMPARE(filter.reason, reason);
        QCOMPARE(import.changed, (std::array<bool, 5>{}));
        return;
    }
    QCOMPARE(filter.band, 0);
    const PEQParams& params = import.bands.at(0);
    QCOMPARE(params.type, type);
    QCOMPARE(params.frequency, frequency);
    QCOMPARE(params.gain, gain);
    QCOMPARE(params.q, q);
    QCOMPARE(filter.qAssumed, QByteArray(QTest::currentDataTag()).endsWith("without Q"));
    QCOMPARE(import.changed, (std::array<bool, 5>{true, false, false, false, false}));
}

void TestFilterText::examples()
{
    FilterImport first =
        mapFilterText(parseFilterText(measurementFile), noBands(), FilterImportMode::ReplaceAll);
    QVERIFY(first.complete());
    QVERIFY(!first.file.preampDb);
    QCOMPARE(first.file.filters.size(), 3);
    QCOMPARE(first.file.filters.at(0).line, 9);
    QCOMPARE(first.file.filters.at(2).fate, FileFilter::Skipped);
    QCOMPARE(first.bands.at(0).frequency, 321.0);
    QCOMPARE(first.bands.at(0).gain, -1.9);
    QCOMPARE(first.bands.at(0).q, 1.554);
    QCOMPARE(first.bands.at(1).type, PEQType::PEAK);
    QCOMPARE(first.bands.at(1).frequency, 1079.0);
    QCOMPARE(first.bands.at(2).type, PEQType::NONE);
    QCOMPARE(first.previewText(),
             QString("line 9: Filter  1: ON  PK       Fc   321.0 Hz  Gain  -1.90 dB  Q  1.554\n"
                     "  -> EQ1: Peak 321 Hz gain -1.9 dB Q 1.554\n"
                     "line 10: Filter  2: ON  PK       Fc    1079 Hz  Gain   4.70 dB  Q  2.707\n"
                     "  -> EQ2: Peak 1079 Hz gain 4.7 dB Q 2.707\n"
                     "line 11: Filter  3: ON  None\n"
                     "  -> skipped: None\n"
                     "EQ1: Peak 321 Hz gain -1.9 dB Q 1.554 (changed)\n"
                     "EQ2: Peak 1079 Hz gain 4.7 dB Q 2.707 (changed)\n"
                     "EQ3: None\nEQ4: None\nEQ5: None\n"));

    // With a BOM and CRLF line ends, as Windows programs write it.
    const QByteArray windows = "\xEF\xBB\xBF" + QByteArray(equalizerFile).replace("\n", "\r\n");
    const FilterImport second =
        mapFilterText(parseFilterText(windows), noBands(), FilterImportMode::ReplaceAll);
    QVERIFY(second.complete());
    QCOMPARE(second.file.preampDb, std::optional<double>(-6.2));
    QCOMPARE(second.bands.at(0).type, PEQType::LOW_SHELF);
    QCOMPARE(second.bands.at(0).q, 0.7);
    QCOMPARE(second.bands.at(1).gain, -3.3);
    QCOMPARE(second.bands.at(2).type, PEQType::HIGH_SHELF);
    QCOMPARE(second.bands.at(2).frequency, 10000.0);
    QVERIFY(second.previewText().contains(
        "Preamp: -6.2 dB (not applied; set the channel's level to match)\n"));
}

// Refused whole, and at once: no line of a large or binary file is looked at.
void TestFilterText::wholeFileRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    QByteArray large;
    while (large.size() < 10 * 1024 * 1024)
        large += "Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\n";
    QTest::newRow("10 MB") << large << "not a filter list: larger than 1 MB";
    QTest::newRow("just over 1 MB")
        << QByteArray(1024 * 1024 + 1, '\n') << "not a filter list: larger than 1 MB";
    QTest::newRow("NUL") << QByteArray("Filter 1: ON PK\0 Fc 100", 23)
                         << "not a filter list: the file is binary (NUL bytes)";
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char(i * 7 + 3);
    QTest::newRow("binary") << binary << "not a filter list: the file is binary (NUL bytes)";
    QTest::newRow("Latin-1") << QByteArray("Filter 1: ON PK Fc 100 Hz \xB5")
                             << "not a filter list: the file is not UTF-8 text";
    QTest::newRow("cut off in a character") << QByteArray("Filter 1: ON PK Fc 100 Hz \xC2")
                                            << "not a filter list: the file is not UTF-8 text";
    QTest::newRow("no filter lines") << QByteArray("Preamp: -3 dB\nEqualiser: Generic\n")
                                     << "not a filter list: no \"Filter\" lines";
}

void TestFilterText::wholeFileRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    QElapsedTimer clock;
    clock.start();
    const FilterImport import =
        mapFilterText(parseFilterText(bytes), noBands(), FilterImportMode::ReplaceAll);
    QVERIFY2(clock.elapsed() < 1000, "a file that is no filter list is refused at once");
    QCOMPARE(import.file.error, error);
    QVERIFY(import.file.filters.isEmpty());
    QVERIFY(!import.complete());
    QCOMPARE(import.changed, (std::array<bool, 5>{}));
}

void TestFilterText::ignoredLinesAndPreamp()
{
    const FilterTextFile file = parseFilterText("# a comment: Filter 1: ON PK\n"
                                                "Notes: Filter 2: ON PK\n"
                                                "Preamp: -3,5 dB\n"
                                                "Equaliser: Generic\n"
                                                "  Filter 9: OFF HP Fc 20 Hz\n");
    QVERIFY(file.error.isEmpty());
    QCOMPARE(file.preampDb, std::optional<double>(-3.5));
    QCOMPARE(file.filters.size(), 1);
    QCOMPARE(file.filters.at(0).line, 5);
    QCOMPARE(file.filters.at(0).text, QString("Filter 9: OFF HP Fc 20 Hz"));
}

// Replace all / fill empty, more filters than bands, and which bands count as changed.
void TestFilterText::mapping_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("bands");
    QTest::addColumn<QString>("changed");
    QTest::addColumn<bool>("complete");
    const QByteArray seven = "Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\n"
                             "Filter 2: OFF PK Fc 200 Hz Gain 1 dB Q 1\n"
                             "Filter 3: ON PK Fc 300 Hz Gain 1 dB Q 1\n"
                             "Filter 4: ON BP Fc 400 Hz Q 1\n"
                             "Filter 5: ON PK Fc 500 Hz Gain 1 dB Q 1\n"
                             "Filter 6: ON PK Fc 600 Hz Gain 1 dB Q 1\n"
                             "Filter 7: ON PK Fc 700 Hz Gain 1 dB Q 1\n"
                             "Filter 8: ON PK Fc 800 Hz Gain 1 dB Q 1\n"
                             "Filter 9: ON PK Fc 900 Hz Gain 1 dB Q 1\n";
    const QByteArray two = "Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\n"
                           "Filter 2: ON HP Fc 20 Hz\n";
    const int replace = int(FilterImportMode::ReplaceAll), fill = int(FilterImportMode::FillEmpty);
    // The current bands: EQ2 a low shelf at 50 Hz, EQ4 a peak at 4000 Hz, the rest None.
    QTest::newRow("replace, two") << replace << two << "P100 H20 N N N"
                                  << "11010" << true;
    QTest::newRow("fill, two") << fill << two << "P100 L50 H20 P4000 N"
                               << "10100" << true;
    QTest::newRow("replace, seven") << replace << seven << "P100 P300 P500 P600 P700"
                                    << "11111" << false;
    QTest::newRow("fill, seven") << fill << seven << "P100 L50 P300 P4000 P500"
                                 << "10101" << false;
    const QByteArray none = "Filter 1: ON None\n";
    QTest::newRow("replace, none") << replace << none << "N N N N N"
                                   << "01010" << true;
    QTest::newRow("fill, none") << fill << none << "N L50 N P4000 N"
                                << "00000" << true;
}

void TestFilterText::mapping()
{
    QFETCH(int, mode);
    QFETCH(QByteArray, text);
    QFETCH(QString, bands);
    QFETCH(QString, changed);
    QFETCH(bool, complete);
    FilterTextBands current{};
    current[1] = band(PEQType::LOW_SHELF, 50.0, 3.0, 0.7);
    current[3] = band(PEQType::PEAK, 4000.0, -2.0, 3.0);
    const FilterImport import =
        mapFilterText(parseFilterText(text), current, FilterImportMode(mode));
    QStringList got;
    QString gotChanged;
    for (int i = 0; i < 5; ++i) {
        const PEQParams& p = import.bands.at(i);
        const char* letters = "NLHP..LH";
        got << (p.type == PEQType::NONE
                    ? QString("N")
                    : QString(letters[int(p.type)]) + QString::number(p.frequency));
        gotChanged += import.changed.at(i) ? '1' : '0';
    }
    QCOMPARE(got.join(' '), bands);
    QCOMPARE(gotChanged, changed);
    QCOMPARE(import.complete(), complete);
    if (!complete) {
        // The sixth imported filter and beyond are listed as not imported, in file order.
        const FileFilter& last = import.file.filters.last();
        QCOMPARE(last.fate, FileFilter::LeftOver);
        QCOMPARE(last.reason, QString("no band left"));
        QCOMPARE(import.file.filters.at(3).fate, FileFilter::Refused);
    }
}

void TestFilterText::exportThenImport()
{
    FilterTextBands bands{};
    bands[0] = band(PEQType::PEAK, 321.0, -1.9, 1.554);
    bands[1] = band(PEQType::LOW_SHELF, 63.8, 5.6, 0.7);
    bands[2] = band(PEQType::AP2, 1234.5678, 0.0, 0.6180339887);
    bands[3] = band(PEQType::HP12, 20.0, 0.0, 0.707);
    bands[4] = band(PEQType::HIGH_SHELF, 10000.0, -2.0, 0.1 + 0.2 + 0.607);
    QByteArray text;
    QString error;
    QVERIFY(exportFilterText(bands, text, error));
    QVERIFY(text.startsWith("Filter Settings file\n"));
    QVERIFY(text.contains("\nEqualiser: Generic\n"
                          "Filter  1: ON  PK       Fc   321.0 Hz  Gain  -1.90 dB  Q  1.554\n"
                          "Filter  2: ON  LSC      Fc    63.8 Hz  Gain   5.60 dB  Q  0.700\n"
                          "Filter  3: ON  AP       Fc 1234.5678 Hz  Q 0.6180339887\n"
                          "Filter  4: ON  HP       Fc    20.0 Hz\n"));
    const FilterImport back =
        mapFilterText(parseFilterText(text), FilterTextBands{}, FilterImportMode::ReplaceAll);
    QVERIFY(back.complete());
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(back.bands.at(i).type, bands.at(i).type);
        QCOMPARE(back.bands.at(i).frequency, bands.at(i).frequency);
        QCOMPARE(back.bands.at(i).gain, bands.at(i).gain);
        QCOMPARE(back.bands.at(i).q, bands.at(i).q);
    }

    // A None band between used ones moves to the end: None lines take no band when read.
    FilterTextBands gap{};
    gap[1] = bands[0];
    gap[3] = bands[3];
    QVERIFY(exportFilterText(gap, text, error));
    QVERIFY(text.endsWith("Filter  1: ON  PK       Fc   321.0 Hz  Gain  -1.90 dB  Q  1.554\n"
                          "Filter  2: ON  HP       Fc    20.0 Hz\n"
                          "Filter  3: ON  None\nFilter  4: ON  None\nFilter  5: ON  None\n"));
}

void TestFilterText::exportRefusesFirstOrderAllPass()
{
    FilterTextBands bands{};
    bands[2] = band(PEQType::AP, 500.0, 0.0, 1.0);
    QByteArray text = "old";
    QString error;
    QVERIFY(!exportFilterText(bands, text, error));
    QVERIFY(text.isEmpty());
    QCOMPARE(error, QString("EQ3 is a first-order all-pass, which filter lists cannot hold; "
                            "change it to another type to export"));
}

QTEST_GUILESS_MAIN(TestFilterText)
#include "test_filtertext.moc"
