// From loading the add-on file to Initialize returning, through the host's loader:
// the library is mapped, the tables are exchanged, the language is read from the
// configuration, the menu registered, the handlers installed and the item texts
// written. Unloading is outside the measured time.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "AddonHost.hpp"
#include "TestSupport.hpp"
#include "Transcript.hpp"
#include "kit/Host.hpp"

namespace {

void LoadToInitialize(benchmark::State& state, const std::string& configuration)
{
    velmora::test::TempFolder folder;
    kit::SetSpecialFolder(14, folder.Native());
    if (!configuration.empty())
        velmora::test::WriteFileBytes(folder.File("VelmoraLibrary_190.cfg"),
                                      velmora::test::NibbleSwapped(configuration));
    const std::string addon = velmora::test::AddonFile();
    for (auto _ : state) {
        std::ostringstream sink;
        velmora::host::Transcript transcript(sink);
        velmora::host::AddonHost host(transcript);
        if (!host.Load(addon)) {
            state.SkipWithError("the add-on did not load");
            break;
        }
        state.PauseTiming();
        host.Unload(velmora::host::FreeDataCall::Call);
        state.ResumeTiming();
    }
    kit::SetSpecialFolder(14, "");
}

void BM_LoadToInitializeWithoutConfiguration(benchmark::State& state)
{
    LoadToInitialize(state, "");
}
BENCHMARK(BM_LoadToInitializeWithoutConfiguration)->Unit(benchmark::kMicrosecond);

void BM_LoadToInitializeWithConfiguration(benchmark::State& state)
{
    LoadToInitialize(state, "$AutoUpdate: 0\r\n$LastUpdateCheck_190: 1764979200\r\n$Language_str: ita\r\n");
}
BENCHMARK(BM_LoadToInitializeWithConfiguration)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
