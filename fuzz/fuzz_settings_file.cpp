// The settings-file reader: arbitrary text parsed as JSON and applied to a full tree.
// Whatever the text did to the tree, saving it must give a file that loads into a second
// tree and saves again to the same document, with twelve members and finite numbers.
#include "fuzzapplication.h"
#include "fuzzinput.h"
#include "paramtree.h"
#include "treewidget.h"

#include <QJsonArray>
#include <QJsonObject>
#include <cmath>

namespace {

struct Model
{
    TreeWidget hubA;
    ParamTree loaded{&hubA};
    TreeWidget hubB;
    ParamTree reloaded{&hubB};
};

Model& model()
{
    ensureApplication();
    static Model* m = new Model;
    return *m;
}

bool allNumbersFinite(const QJsonValue& value)
{
    if (value.isDouble())
        return std::isfinite(value.toDouble());
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            if (!allNumbersFinite(it.value()))
                return false;
    }
    if (value.isArray()) {
        for (const QJsonValue& element : value.toArray())
            if (!allNumbersFinite(element))
                return false;
    }
    return !value.isNull() && !value.isUndefined();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Model& m = model();
    FuzzInput input(data, size);
    QJsonDocument document = QJsonDocument::fromJson(input.rest());
    m.loaded.readJsonDocument(document);
    if (!document.isObject())
        return 0; // nothing was applied: the tree is as the last input left it

    QJsonDocument saved;
    m.loaded.constructJsonDocument(saved);
    FUZZ_CHECK(saved.isObject());
    FUZZ_CHECK(saved.object().size() == 12);
    FUZZ_CHECK(allNumbersFinite(saved.object()));

    QJsonParseError error;
    QJsonDocument file = QJsonDocument::fromJson(saved.toJson(), &error);
    FUZZ_CHECK(error.error == QJsonParseError::NoError);
    m.reloaded.readJsonDocument(file);
    QJsonDocument savedAgain;
    m.reloaded.constructJsonDocument(savedAgain);
    FUZZ_CHECK(savedAgain == saved);
    return 0;
}
