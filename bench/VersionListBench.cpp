// Comparing the add-on's version line with lists of 10,000 and 100,000 lines: the
// time must grow with the list, no faster (the comparison reads every line once).
#include <benchmark/benchmark.h>

#include <string>

#include "TestSupport.hpp"
#include "kit/Host.hpp"
#include "update/VersionList.hpp"

using namespace velmora::core;

namespace {
using namespace velmora::update;

const char* const Installed = "VelmoraLibrary 19.0.4.2200 (DA190) 03/08/2018";

// A list as the maker's server could grow it: builds of several add-ons for several
// hosts, a few date entries and stray lines, none newer than the installed build.
std::string MakeList(int lines)
{
    const char* names[] = {"VelmoraLibrary", "VelmoraDoors", "VelmoraStairs", "VelmoraRoofs"};
    std::string list;
    list.reserve(static_cast<std::size_t>(lines) * 52);
    for (int i = 0; i < lines; ++i) {
        if (i % 50 == 49) {
            list += "News 12-05-2019\r\n";
            continue;
        }
        const std::string build = std::to_string(i % 2200);
        const std::string host = std::to_string(17 + i % 6) + "0";
        const std::string day = std::to_string(10 + i % 18);
        list += std::string(names[i % 4]) + " " + std::to_string(17 + i % 6) + ".0.4." + build + " (" +
                (i % 3 == 0 ? "AC" : "DA") + host + ") " + day + "/07/2018" + (i % 7 == 0 ? " Edu" : "") +
                "\r\n";
    }
    return list;
}

void BM_CompareWithVersionList(benchmark::State& state)
{
    velmora::test::TempFolder folder;
    kit::SetSpecialFolder(14, folder.Native());
    const std::string list = MakeList(static_cast<int>(state.range(0)));
    const std::string path = folder.File("__updts__.tmp");
    const TS_String installed(Installed);
    for (auto _ : state) {
        state.PauseTiming();
        velmora::test::WriteFileBytes(path, list); // the comparison deletes the list it read
        state.ResumeTiming();
        if (CompareWithVersionList(installed) != VersionListOutcome::UpToDate)
            state.SkipWithError("the generated list holds no newer build");
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    kit::SetSpecialFolder(14, "");
}
BENCHMARK(BM_CompareWithVersionList)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
