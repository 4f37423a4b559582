#pragma once

#include "iircoeffs.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <array>
#include <optional>

// Filter lists as measurement programs write them ("Filter 1: ON PK Fc 321.0 Hz Gain -1.90 dB
// Q 1.554"), read onto a channel's five EQ bands and written back from them.

constexpr int filterTextBandCount = 5;
// Filter lists are a few kilobytes; anything this large is not one.
constexpr qint64 filterTextMaxBytes = 1024 * 1024;

using FilterTextBands = std::array<PEQParams, filterTextBandCount>;

// One "Filter" line of a file and what becomes of it.
struct FileFilter
{
    enum Fate
    {
        Band,     // imported into `band`
        Skipped,  // None or OFF
        Refused,  // cannot be taken; `reason` says why
        LeftOver, // a sixth or later imported filter
    };
    int line = 0; // 1-based line number in the file
    QString text; // the line as written, trimmed
    Fate fate = Refused;
    int band = -1;    // 0-based, for Band
    QString reason;   // for Skipped and Refused
    PEQParams params; // for Band
    bool qAssumed = false;
};

struct FilterTextFile
{
    QString error; // set when the file is refused whole
    std::optional<double> preampDb;
    QVector<FileFilter> filters;
};

// Reads the filter lines of a file; other lines are ignored. Refuses a file larger than
// filterTextMaxBytes or one that is not text (NUL bytes, invalid UTF-8) whole.
FilterTextFile parseFilterText(const QByteArray& bytes);

enum class FilterImportMode
{
    ReplaceAll, // bands no filter fills become None
    FillEmpty,  // only None bands are filled; the others stay
};

struct FilterImport
{
    FilterTextFile file; // its filters carry their fates
    FilterTextBands bands{};
    std::array<bool, filterTextBandCount> changed{};
    std::array<QString, filterTextBandCount> bandNotes; // "set to None", "kept"
    // True when every filter was imported or skipped.
    bool complete() const;
    // The preview as text, one line per file filter, then the preamp and the bands.
    QString previewText() const;
};

// Places the file's filters onto `current` per `mode`.
FilterImport mapFilterText(FilterTextFile file, const FilterTextBands& current,
                           FilterImportMode mode);

// Writes `bands` in the common "Filter Settings file" layout. A band the format cannot hold
// (a first-order all-pass) empties `text` and explains in `error`.
bool exportFilterText(const FilterTextBands& bands, QByteArray& text, QString& error);
