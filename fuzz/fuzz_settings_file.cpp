// The settings-file reader: arbitrary text parsed as JSON and applied to a full tree.
// Whatever the text did to the tree, saving it must give a file that loads into a second
// tree with nothing refused and saves again to the same document, with twelve members and
// finite numbers.
#include "fuzzapplication.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ParamTree& loaded = fuzzParamTree(0);
    ParamTree& reloaded = fuzzParamTree(1);
    FuzzInput input(data, size);
    QJsonDocument document = QJsonDocument::fromJson(input.bytes());
    loaded.readJsonDocument(document);
    if (!document.isObject())
        return 0; // nothing was applied: the tree is as the last input left it

    QJsonDocument saved;
    loaded.constructJsonDocument(saved);
    FUZZ_CHECK(saved.isObject() && saved.object().size() == 12);
    FUZZ_CHECK(allNumbersFinite(saved.object()));
    QJsonParseError error;
    QJsonDocument file = QJsonDocument::fromJson(saved.toJson(), &error);
    const SettingsLoad reload = reloaded.readJsonDocument(file);
    FUZZ_CHECK(error.error == QJsonParseError::NoError);
    FUZZ_CHECK(reload.refused.isEmpty());
    QJsonDocument savedAgain;
    reloaded.constructJsonDocument(savedAgain);
    FUZZ_CHECK(savedAgain == saved);
    return 0;
}
