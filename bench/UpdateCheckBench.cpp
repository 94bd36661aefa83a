// The time the host's UI thread spends in the "Check for Updates" menu command,
// through the host's loader and the built add-on file, against the loopback update
// server of the tests: once answering at once, once answering after 2 s. The
// command must not wait for the network, so both take the same time.
//
// Run under the fixture server, which names itself in VELMORA_UPDATE_SERVER:
//   python3 tests/fixtures/update_server.py --run build/native/bin/velmora_bench_update_check
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>

#include "AddonHost.hpp"
#include "TestSupport.hpp"
#include "Transcript.hpp"
#include "kit/DialogDriver.hpp"
#include "kit/Host.hpp"

namespace {

constexpr Int32 CheckForUpdatesItem = 3;
constexpr Int16 ResultWindow = 32755;
constexpr Int16 CancelButton = 2;

// Lets the transfers of the cancelled checks end before the add-on is unloaded: one
// more check runs to its result, which comes only after every earlier transfer has
// made its last report (one transfer runs at a time). At most 30 s.
void LetTransfersEnd(velmora::host::AddonHost& host)
{
    std::string whyNot;
    if (!host.ChooseMenuItem(CheckForUpdatesItem, &whyNot))
        return;
    for (int i = 0; i < 3000; ++i) {
        kit::DialogState window;
        if (kit::GetDialogState(ResultWindow, &window) && window.items.size() >= 4 && window.items[3].visible)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kit::Click(ResultWindow, CancelButton);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

void CheckForUpdatesCommand(benchmark::State& state, const std::string& mode)
{
    const char* server = std::getenv("VELMORA_UPDATE_SERVER");
    if (server == nullptr) {
        state.SkipWithError("run under tests/fixtures/update_server.py --run");
        return;
    }
    const std::string base = server;
    setenv("VELMORA_UPDATE_SERVER", (base + "/" + mode).c_str(), 1);
    velmora::test::TempFolder folder;
    kit::SetSpecialFolder(14, folder.Native());
    // No automatic check at the first command: only the manual one is measured.
    velmora::test::WriteFileBytes(folder.File("VelmoraLibrary_190.cfg"),
                                  velmora::test::NibbleSwapped("$AutoUpdate: 0\r\n"));
    {
        std::ostringstream sink;
        velmora::host::Transcript transcript(sink);
        velmora::host::AddonHost host(transcript);
        if (!host.Load(velmora::test::AddonFile())) {
            state.SkipWithError("the add-on did not load");
        } else {
            std::string whyNot;
            for (auto _ : state) {
                if (!host.ChooseMenuItem(CheckForUpdatesItem, &whyNot)) {
                    state.SkipWithError(whyNot.c_str());
                    break;
                }
                // The user cancels, so that the next command starts a new check.
                state.PauseTiming();
                kit::Click(ResultWindow, CancelButton);
                state.ResumeTiming();
            }
            LetTransfersEnd(host);
        }
    }
    kit::SetSpecialFolder(14, "");
    setenv("VELMORA_UPDATE_SERVER", base.c_str(), 1);
}

void BM_CheckForUpdatesServerAnswersAtOnce(benchmark::State& state)
{
    CheckForUpdatesCommand(state, "newer");
}
BENCHMARK(BM_CheckForUpdatesServerAnswersAtOnce)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(50)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

void BM_CheckForUpdatesServerAnswersAfter2s(benchmark::State& state)
{
    CheckForUpdatesCommand(state, "slow-start");
}
BENCHMARK(BM_CheckForUpdatesServerAnswersAfter2s)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(50)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
