// Loading and saving a configuration file at its size limit (99,998 bytes).
#include <benchmark/benchmark.h>

#include <string>

#include "TestSupport.hpp"
#include "kit/Host.hpp"
#include "prefs/ConfigFile.hpp"

using namespace velmora::core;
using namespace velmora::prefs;

namespace {

// Fills the own list with records that serialise to exactly the limit.
void FillToLimit()
{
    ClearSettings(OwnSettings);
    UInt32 total = 0;
    int n = 0;
    const std::string value(90, 'v');
    for (;;) {
        std::string key = "Key" + std::to_string(n++);
        UInt32 record = static_cast<UInt32>(1 + key.size() + 2 + value.size() + 2);
        if (total + record > MaxConfigBytes) {
            // The last record takes up exactly what remains.
            std::string last(MaxConfigBytes - total - (1 + key.size() + 2 + 2), 'w');
            TS_Setting setting;
            setting.key = key.c_str();
            setting.value = last.c_str();
            OwnSettings.Insert(setting, -1);
            break;
        }
        TS_Setting setting;
        setting.key = key.c_str();
        setting.value = value.c_str();
        OwnSettings.Insert(setting, -1);
        total += record;
    }
}

struct Folder {
    velmora::test::TempFolder folder;
    Folder() { kit::SetSpecialFolder(14, folder.Native()); }
};

void BM_SaveConfigAtLimit(benchmark::State& state)
{
    Folder folder;
    FillToLimit();
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveConfig(OwnConfig));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * MaxConfigBytes);
    ClearSettings(OwnSettings);
}
BENCHMARK(BM_SaveConfigAtLimit)->Unit(benchmark::kMicrosecond);

void BM_LoadConfigAtLimit(benchmark::State& state)
{
    Folder folder;
    FillToLimit();
    if (!SaveConfig(OwnConfig)) {
        state.SkipWithError("cannot save");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadConfig(OwnConfig, false));
    state.counters["records"] = OwnSettings.GetCount();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * MaxConfigBytes);
    ClearSettings(OwnSettings);
    OwnLoaded = false;
}
BENCHMARK(BM_LoadConfigAtLimit)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
