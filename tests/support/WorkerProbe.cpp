// A small loadable file that starts one worker of the platform layer, as the
// add-on does: the tests load it, free it while its worker runs, and see that the
// worker still finds its code and that the file goes once the worker has ended.
#include <atomic>
#include <chrono>
#include <thread>

#include "velmora/Platform.hpp"

#if defined(_WIN32)
#define PROBE_EXPORT extern "C" __declspec(dllexport)
#else
#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

struct Signals {
    std::atomic<int>* release;  // set by the test: the worker may go on
    std::atomic<int>* progress; // 1 started, 2 ran its code after the release
};

// Code of this file that the worker runs after the test has freed the file.
__attribute__((noinline)) unsigned Checksum(unsigned seed)
{
    unsigned sum = 0;
    for (unsigned i = 0; i < 1000; ++i)
        sum = sum * 31 + seed + i;
    return sum;
}

unsigned Worker(void* data)
{
    Signals signals = *static_cast<Signals*>(data);
    delete static_cast<Signals*>(data);
    signals.progress->store(1);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (signals.release->load() == 0 && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    volatile unsigned sum = Checksum(static_cast<unsigned>(signals.release->load()));
    signals.progress->store(sum != 0 ? 2 : 3);
    return 0;
}

} // namespace

// [any thread] Starts the worker; both atomics are the caller's and must outlive it.
PROBE_EXPORT bool StartProbeWorker(std::atomic<int>* release, std::atomic<int>* progress)
{
    auto* signals = new Signals{release, progress};
    if (velmora::platform::StartWorkerThread(Worker, signals))
        return true;
    delete signals;
    return false;
}
