// The filter-list reader: arbitrary bytes read as a measurement program's filter list and
// placed onto five bands (the first byte picks the mode). Every band filled must lie
// within the band's limits, and the used bands must export and import back in order.
#include "filtertext.h"
#include "fuzzinput.h"

#include <cmath>
#include <vector>

namespace {

bool withinLimits(const PEQParams& p)
{
    return p.frequency >= 10.0 && p.frequency <= 25000.0 && p.q >= 0.5 && p.q <= 50.0 &&
           p.gain >= -12.0 && p.gain <= 12.0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const FilterImportMode mode =
        input.byte() & 1 ? FilterImportMode::FillEmpty : FilterImportMode::ReplaceAll;
    FilterTextBands current{};
    current[1].type = PEQType::PEAK;
    current[1].frequency = 500.0;
    const FilterImport import = mapFilterText(parseFilterText(input.bytes()), current, mode);
    FUZZ_CHECK(!import.previewText().isEmpty());
    int placed = 0;
    for (const FileFilter& filter : import.file.filters) {
        if (filter.fate == FileFilter::Band) {
            ++placed;
            FUZZ_CHECK(filter.band >= 0 && filter.band < filterTextBandCount);
            FUZZ_CHECK(withinLimits(filter.params));
        } else {
            FUZZ_CHECK(!filter.reason.isEmpty());
        }
    }
    FUZZ_CHECK(placed <= filterTextBandCount);
    if (mode == FilterImportMode::FillEmpty)
        FUZZ_CHECK(!import.changed[1] && import.bands[1].type == PEQType::PEAK);

    QByteArray text;
    QString error;
    FUZZ_CHECK(exportFilterText(import.bands, text, error)); // an import never gives AP
    const FilterImport back =
        mapFilterText(parseFilterText(text), import.bands, FilterImportMode::ReplaceAll);
    FUZZ_CHECK(back.complete());
    // The export lists the used bands first, so they read back in that order; a None band
    // between two used ones (kept from the device when a file was refused) closes up.
    std::vector<PEQType> used, reread;
    for (int i = 0; i < filterTextBandCount; ++i) {
        if (import.bands[i].type != PEQType::NONE)
            used.push_back(import.bands[i].type);
        if (back.bands[i].type != PEQType::NONE)
            reread.push_back(back.bands[i].type);
    }
    FUZZ_CHECK(used == reread);
    return 0;
}
