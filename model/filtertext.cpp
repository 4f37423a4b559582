#include "filtertext.h"

#include "peqnode.h"

#include <QRegularExpression>
#include <QStringList>
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#include <QStringDecoder> // QTextCodec moved to Qt 6's Core5Compat
#else
#include <QTextCodec>
#endif
#include <cmath>

namespace {

struct Limit
{
    const char* what;
    double min;
    double max;
    const char* unit;
};
// The band editor's limits; a value beyond them is refused, never moved inside.
constexpr Limit frequencyLimit{"frequency", 10.0, 25000.0, " Hz"};
constexpr Limit qLimit{"Q", 0.5, 50.0, ""};
constexpr Limit gainLimit{"gain", -12.0, 12.0, " dB"};
// A shelf line without a Q gets the usual Butterworth one.
constexpr double assumedQ = 0.707;

QString number(double value)
{
    return QString::number(value, 'g', 10);
}

// Accepts a decimal comma ("63,8") as some locales write it.
bool readNumber(QString text, double& value)
{
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && std::isfinite(value);
}

QString outsideLimit(const Limit& limit, double value)
{
    if (value >= limit.min && value <= limit.max)
        return QString();
    return QStringLiteral("%1 %2%3 is outside the limits %4 to %5%3")
        .arg(QLatin1String(limit.what), number(value), QLatin1String(limit.unit), number(limit.min),
             number(limit.max));
}

// The fields of one filter line after its ON/OFF and type.
struct Fields
{
    std::optional<double> frequency;
    std::optional<double> gain;
    std::optional<double> q;
};

// Reads Fc, Gain and Q; anything after the Q (a Modal line's T60 target) is ignored.
QString readFields(const QStringList& tokens, int from, Fields& fields)
{
    for (int i = from; i < tokens.size(); ++i) {
        const QString key = tokens.at(i).toLower();
        std::optional<double>* target = key == QLatin1String("fc")     ? &fields.frequency
                                        : key == QLatin1String("gain") ? &fields.gain
                                        : key == QLatin1String("q")    ? &fields.q
                                                                       : nullptr;
        if (!target)
            continue;
        double value = 0.0;
        if (i + 1 >= tokens.size() || !readNumber(tokens.at(i + 1), value))
            return QStringLiteral("cannot read the value of %1").arg(tokens.at(i));
        ++i;
        const QString unit = tokens.value(i + 1).toLower();
        if (target == &fields.frequency && unit == QLatin1String("khz")) {
            value *= 1000.0;
            ++i;
        } else if ((target == &fields.frequency && unit == QLatin1String("hz")) ||
                   (target == &fields.gain && unit == QLatin1String("db"))) {
            ++i;
        }
        *target = value;
        if (target == &fields.q)
            break;
    }
    return QString();
}

// Gives the band a filter line becomes, or the reason it cannot become one.
QString mapFilter(const QString& type, const Fields& fields, FileFilter& filter)
{
    const QString upper = type.toUpper();
    PEQParams& params = filter.params;
    bool usesGain = false;
    bool needsQ = false;
    if (upper == QLatin1String("PK") || upper == QLatin1String("PEQ") ||
        upper == QLatin1String("MODAL")) {
        params.type = PEQType::PEAK;
        usesGain = needsQ = true;
    } else if (upper == QLatin1String("LSC") || upper == QLatin1String("LS")) {
        params.type = PEQType::LOW_SHELF;
        usesGain = true;
    } else if (upper == QLatin1String("HSC") || upper == QLatin1String("HS")) {
        params.type = PEQType::HIGH_SHELF;
        usesGain = true;
    } else if (upper == QLatin1String("LP") || upper == QLatin1String("LPQ")) {
        params.type = PEQType::LP12;
        needsQ = upper == QLatin1String("LPQ");
    } else if (upper == QLatin1String("HP") || upper == QLatin1String("HPQ")) {
        params.type = PEQType::HP12;
        needsQ = upper == QLatin1String("HPQ");
    } else if (upper == QLatin1String("AP") && fields.q) {
        params.type = PEQType::AP2;
        needsQ = true;
    } else {
        return QStringLiteral("type %1 is not available on this processor").arg(type);
    }
    if (!fields.frequency)
        return QStringLiteral("no frequency given");
    if (usesGain && !fields.gain)
        return QStringLiteral("no gain given");
    if (needsQ && !fields.q)
        return QStringLiteral("no Q given");
    params.frequency = *fields.frequency;
    params.gain = usesGain ? *fields.gain : 0.0;
    if (params.type == PEQType::LP12 || params.type == PEQType::HP12) {
        // The band is Butterworth whatever its Q says.
        if (needsQ && (*fields.q < 0.70 || *fields.q > 0.72))
            return QStringLiteral("%1 with Q %2 is not available on this processor: its Q is "
                                  "fixed at 0.707 (0.70 to 0.72 taken)")
                .arg(type, number(*fields.q));
        params.q = assumedQ;
    } else if (fields.q) {
        params.q = *fields.q;
    } else {
        params.q = assumedQ;
        filter.qAssumed = true;
    }
    for (const auto& [limit, value] :
         {std::pair<const Limit&, double>{frequencyLimit, params.frequency},
          {qLimit, params.q},
          {gainLimit, params.gain}}) {
        const QString refusal = outsideLimit(limit, value);
        if (!refusal.isEmpty())
            return refusal;
    }
    return QString();
}

FileFilter readFilterLine(int line, const QString& text, const QString& body)
{
    FileFilter filter;
    filter.line = line;
    filter.text = text;
    const QStringList tokens =
        body.split(QRegularExpression(QStringLiteral("[ \\t]+")), Qt::SkipEmptyParts);
    const QString state = tokens.value(0).toUpper();
    if (state == QLatin1String("OFF")) {
        filter.fate = FileFilter::Skipped;
        filter.reason = QStringLiteral("switched off");
        return filter;
    }
    if (state != QLatin1String("ON")) {
        filter.reason = QStringLiteral("cannot read the line: ON or OFF expected");
        return filter;
    }
    if (tokens.size() < 2) {
        filter.reason = QStringLiteral("cannot read the line: no filter type");
        return filter;
    }
    QString type = tokens.at(1);
    int next = 2;
    // Slope variants are written as a second word: "LS 6dB", "HS 12dB".
    static const QRegularExpression slope(QStringLiteral("^\\d+dB$"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (slope.match(tokens.value(2)).hasMatch())
        type += QLatin1Char(' ') + tokens.at(next++);
    if (type.compare(QLatin1String("None"), Qt::CaseInsensitive) == 0) {
        filter.fate = FileFilter::Skipped;
        filter.reason = QStringLiteral("None");
        return filter;
    }
    Fields fields;
    filter.reason = readFields(tokens, next, fields);
    if (filter.reason.isEmpty())
        filter.reason = mapFilter(type, fields, filter);
    if (filter.reason.isEmpty())
        filter.fate = FileFilter::Band;
    return filter;
}

QString bandText(const PEQParams& params)
{
    QString text = peqTypeText(params.type);
    if (params.type == PEQType::NONE)
        return text;
    text += QStringLiteral(" %1 Hz").arg(number(params.frequency));
    if (params.type == PEQType::PEAK || params.type == PEQType::LOW_SHELF ||
        params.type == PEQType::HIGH_SHELF || params.type == PEQType::SUBWOOFER)
        text += QStringLiteral(" gain %1 dB").arg(number(params.gain));
    if (params.type != PEQType::LP12 && params.type != PEQType::HP12)
        text += QStringLiteral(" Q %1").arg(number(params.q));
    return text;
}

// Compared as the device holds them: bands read back from it are single precision.
bool sameBand(const PEQParams& a, const PEQParams& b)
{
    return a.type == b.type && float(a.frequency) == float(b.frequency) &&
           float(a.gain) == float(b.gain) && float(a.q) == float(b.q);
}

// The fewest decimals (at least `least`) that read back as exactly `value`, so that an
// exported band imports unchanged.
QString exactText(double value, int least, int width)
{
    QString text;
    for (int decimals = least; decimals <= 17; ++decimals) {
        text = QString::number(value, 'f', decimals);
        if (text.toDouble() == value)
            break;
    }
    return text.rightJustified(width);
}

} // namespace

FilterTextFile parseFilterText(const QByteArray& bytes)
{
    FilterTextFile file;
    if (bytes.size() > filterTextMaxBytes) {
        file.error = QStringLiteral("not a filter list: larger than 1 MB");
        return file;
    }
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    if (data.contains('\0')) {
        file.error = QStringLiteral("not a filter list: the file is binary (NUL bytes)");
        return file;
    }
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    // Stateless: a sequence cut off at the end is an error too.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(data);
    const bool notUtf8 = decoder.hasError();
#else
    QTextCodec::ConverterState state;
    const QString text =
        QTextCodec::codecForName("UTF-8")->toUnicode(data.constData(), data.size(), &state);
    const bool notUtf8 = state.invalidChars > 0 || state.remainingChars > 0;
#endif
    if (notUtf8) {
        file.error = QStringLiteral("not a filter list: the file is not UTF-8 text");
        return file;
    }
    static const QRegularExpression filterLine(QStringLiteral("^Filter[ \\t]*([^:]*):(.*)$"),
                                               QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression preampLine(
        QStringLiteral("^Preamp:[ \\t]*(\\S+)[ \\t]*(dB)?[ \\t]*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed(); // also drops a CRLF file's CR
        const QRegularExpressionMatch preamp = preampLine.match(line);
        double value = 0.0;
        if (preamp.hasMatch() && readNumber(preamp.captured(1), value))
            file.preampDb = value;
        const QRegularExpressionMatch filter = filterLine.match(line);
        if (filter.hasMatch())
            file.filters << readFilterLine(i + 1, line, filter.captured(2));
    }
    // Else an unrelated text file would set every band to None.
    if (file.filters.isEmpty())
        file.error = QStringLiteral("not a filter list: no \"Filter\" lines");
    return file;
}

bool FilterImport::complete() const
{
    for (const FileFilter& filter : file.filters) {
        if (filter.fate == FileFilter::Refused || filter.fate == FileFilter::LeftOver)
            return false;
    }
    return file.error.isEmpty();
}

QString FilterImport::previewText() const
{
    QString text;
    for (const FileFilter& filter : file.filters) {
        text += QStringLiteral("line %1: %2\n  -> ").arg(filter.line).arg(filter.text);
        switch (filter.fate) {
        case FileFilter::Band:
            text += QStringLiteral("EQ%1: %2").arg(filter.band + 1).arg(bandText(filter.params));
            if (filter.qAssumed)
                text += QStringLiteral(" (Q assumed 0.707)");
            break;
        case FileFilter::Skipped:
            text += QStringLiteral("skipped: ") + filter.reason;
            break;
        case FileFilter::Refused:
            text += QStringLiteral("refused: ") + filter.reason;
            break;
        case FileFilter::LeftOver:
            text += QStringLiteral("not imported: ") + filter.reason;
            break;
        }
        text += QLatin1Char('\n');
    }
    if (file.preampDb)
        text += QStringLiteral("Preamp: %1 dB (not applied; set the channel's level to match)\n")
                    .arg(number(*file.preampDb));
    for (int i = 0; i < filterTextBandCount; ++i) {
        text += QStringLiteral("EQ%1: %2").arg(i + 1).arg(bandText(bands.at(i)));
        if (!bandNotes.at(i).isEmpty())
            text += QStringLiteral(" (%1)").arg(bandNotes.at(i));
        text += QLatin1Char('\n');
    }
    return text;
}

FilterImport mapFilterText(FilterTextFile file, const FilterTextBands& current,
                           FilterImportMode mode)
{
    FilterImport result;
    result.bands = current;
    if (!file.error.isEmpty()) {
        result.file = std::move(file);
        return result;
    }
    QVector<int> free;
    for (int i = 0; i < filterTextBandCount; ++i) {
        if (mode == FilterImportMode::ReplaceAll || current.at(i).type == PEQType::NONE)
            free << i;
        else
            result.bandNotes[i] = QStringLiteral("kept");
    }
    int next = 0;
    for (FileFilter& filter : file.filters) {
        if (filter.fate != FileFilter::Band)
            continue;
        if (next >= free.size()) {
            filter.fate = FileFilter::LeftOver;
            filter.band = -1;
            filter.reason = QStringLiteral("no band left");
            continue;
        }
        filter.band = free.at(next++);
        result.bands[filter.band] = filter.params;
    }
    for (int i = next; i < free.size(); ++i) {
        const int band = free.at(i);
        if (current.at(band).type != PEQType::NONE)
            result.bandNotes[band] = QStringLiteral("set to None: no filter for it");
        result.bands[band].type = PEQType::NONE;
    }
    for (int i = 0; i < filterTextBandCount; ++i) {
        result.changed[i] = !sameBand(result.bands.at(i), current.at(i));
        if (result.changed[i] && result.bandNotes.at(i).isEmpty())
            result.bandNotes[i] = QStringLiteral("changed");
    }
    result.file = std::move(file);
    return result;
}

bool exportFilterText(const FilterTextBands& bands, QByteArray& text, QString& error)
{
    QString out =
        QStringLiteral("Filter Settings file\n\nTonvise\n\nNotes:\n\nEqualiser: Generic\n");
    // Reading skips None lines and fills bands in file order, so the used bands go first:
    // then the file reads back as the same bands whenever no None band lies between two
    // used ones, and as the same response always.
    QVector<int> order;
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < filterTextBandCount; ++i) {
            if ((bands.at(i).type == PEQType::NONE) == (pass == 1))
                order << i;
        }
    }
    for (int n = 0; n < filterTextBandCount; ++n) {
        const int i = order.at(n);
        const PEQParams& p = bands.at(i);
        QString line = QStringLiteral("Filter %1: ON  ").arg(n + 1, 2);
        if (!std::isfinite(p.frequency) || !std::isfinite(p.gain) || !std::isfinite(p.q)) {
            error = QStringLiteral("EQ%1 holds a value that is not a number").arg(i + 1);
            text.clear();
            return false;
        }
        const QString fc = QStringLiteral("Fc %1 Hz").arg(exactText(p.frequency, 1, 7));
        const QString gain = QStringLiteral("  Gain %1 dB").arg(exactText(p.gain, 2, 6));
        const QString q = QStringLiteral("  Q %1").arg(exactText(p.q, 3, 6));
        switch (p.type) {
        case PEQType::NONE:
            line += QStringLiteral("None");
            break;
        case PEQType::PEAK:
            line += QStringLiteral("PK       ") + fc + gain + q;
            break;
        // A subwoofer band is designed as a low shelf.
        case PEQType::LOW_SHELF:
        case PEQType::SUBWOOFER:
            line += QStringLiteral("LSC      ") + fc + gain + q;
            break;
        case PEQType::HIGH_SHELF:
            line += QStringLiteral("HSC      ") + fc + gain + q;
            break;
        case PEQType::LP12:
            line += QStringLiteral("LP       ") + fc;
            break;
        case PEQType::HP12:
            line += QStringLiteral("HP       ") + fc;
            break;
        case PEQType::AP2:
            line += QStringLiteral("AP       ") + fc + q;
            break;
        case PEQType::AP:
            error = QStringLiteral("EQ%1 is a first-order all-pass, which filter lists cannot "
                                   "hold; change it to another type to export")
                        .arg(i + 1);
            text.clear();
            return false;
        }
        out += line + QLatin1Char('\n');
    }
    text = out.toUtf8();
    return true;
}
