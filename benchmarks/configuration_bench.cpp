#include "configuration/Config.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A store on a temporary folder, with its database in that folder too.
struct Store
{
    QTemporaryDir dir;
    QString previous = QDir::currentPath();
    std::unique_ptr<Config> config;
    Store()
    {
        QDir::setCurrent(dir.path());
        config = std::make_unique<Config>(dir.path());
    }
    ~Store()
    {
        config.reset();
        QDir::setCurrent(previous);
    }
};

void BM_GetProperty(benchmark::State &state)
{
    Store store;
    for (auto _ : state)
        benchmark::DoNotOptimize(store.config->getProperty(Config::CPT_Knife_Num));
}
BENCHMARK(BM_GetProperty);

// A today counter: the working file is written and the day row updated.
void BM_SetTodayCounter(benchmark::State &state)
{
    Store store;
    int copies = 0;
    for (auto _ : state)
        store.config->setProperty(Config::CPT_Today_Copies, ++copies);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SetTodayCounter)->Unit(benchmark::kMicrosecond);

} // namespace
