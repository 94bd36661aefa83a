// A worker keeps the file that contains its code mapped: a host that frees the file
// while the worker runs does not pull the code from under it, and the file goes once
// the worker has ended. Run on a small file of its own that starts a worker as the
// add-on does (the add-on file offers the host no way to start one at will).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "TestSupport.hpp"

namespace {

using velmora::test::WaitFor;
using StartProbeWorker = bool (*)(std::atomic<int>*, std::atomic<int>*);

#if defined(_WIN32)
const std::string probeFile = velmora::test::BinDir() + "\\velmora_worker_probe.dll";
std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}
void* Load()
{
    return ::LoadLibraryW(Wide(probeFile).c_str());
}
void* Find(void* file, const char* name)
{
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(file), name));
}
void Free(void* file)
{
    ::FreeLibrary(static_cast<HMODULE>(file));
}
bool IsMapped()
{
    return ::GetModuleHandleW(Wide(probeFile).c_str()) != nullptr;
}
#else
const std::string probeFile = velmora::test::BinDir() + "/velmora_worker_probe.so";
void* Load()
{
    return dlopen(probeFile.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void* Find(void* file, const char* name)
{
    return dlsym(file, name);
}
void Free(void* file)
{
    dlclose(file);
}
bool IsMapped()
{
    void* file = dlopen(probeFile.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (file == nullptr)
        return false;
    dlclose(file);
    return true;
}
#endif

TEST(WorkerFile, FreeingTheFileUnderARunningWorkerDefersItsUnloadUntilTheWorkerHasEnded)
{
    static std::atomic<int> release{0};
    static std::atomic<int> progress{0};
    void* file = Load();
    ASSERT_NE(file, nullptr) << probeFile;
    auto start = reinterpret_cast<StartProbeWorker>(Find(file, "StartProbeWorker"));
    ASSERT_NE(start, nullptr);
    ASSERT_TRUE(start(&release, &progress));
    ASSERT_TRUE(WaitFor([] { return progress.load() == 1; }));

    Free(file); // the host's only reference: without the worker's, the code would go now
    EXPECT_TRUE(IsMapped());

    release.store(7);
    ASSERT_TRUE(WaitFor([] { return progress.load() != 1; }));
    EXPECT_EQ(progress.load(), 2); // the worker ran the file's code after the host freed it
    EXPECT_TRUE(WaitFor([] { return !IsMapped(); })) << "the file stays loaded after its worker ended";
}

} // namespace
