// Save and load of the whole settings document: build the JSON and write indented text;
// parse the text and apply it to every node.
#include "paramhub.h"
#include "paramtree.h"

#include <QJsonDocument>
#include <benchmark/benchmark.h>

namespace {

struct Fixture
{
    ParamTree tree;
    ParamHub& hub = *tree.hub;
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_SaveSettings(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        QJsonDocument document;
        f.tree.constructJsonDocument(document);
        QByteArray text = document.toJson(QJsonDocument::Indented);
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_SaveSettings)->Unit(benchmark::kMicrosecond);

void BM_LoadSettings(benchmark::State& state)
{
    Fixture& f = fixture();
    QJsonDocument saved;
    f.tree.constructJsonDocument(saved);
    const QByteArray text = saved.toJson(QJsonDocument::Indented);
    for (auto _ : state) {
        QJsonDocument document = QJsonDocument::fromJson(text);
        f.tree.readJsonDocument(document);
    }
}
BENCHMARK(BM_LoadSettings)->Unit(benchmark::kMicrosecond);

} // namespace
