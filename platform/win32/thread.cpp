// Worker threads on Windows: thread handles kept in a registry and waited for
// within a time limit; each worker holds a reference to the module that contains
// the add-on and ends with FreeLibraryAndExitThread, so the module cannot be
// unmapped under it.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <new>
#include <vector>

#include "velmora/platform.hpp"

namespace velmora::platform {
namespace {

struct Start {
    ThreadProc proc;
    void* argument;
    HMODULE module; // a reference of the worker's own, or null
};

// The workers started and not yet seen to end. A signalled handle means that its
// thread has ended completely: only then has it left the add-on's code.
struct Registry {
    std::mutex lock;
    std::vector<HANDLE> threads;

    Registry() = default;
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;
    ~Registry()
    {
        for (HANDLE thread : threads)
            ::CloseHandle(thread);
    }
};

Registry registry;
std::atomic<bool> stopRequested{false};

DWORD WINAPI Run(LPVOID data)
{
    Start start = *static_cast<Start*>(data);
    delete static_cast<Start*>(data);
    const unsigned code = start.proc(start.argument);
    // Releases the worker's reference and ends the thread inside the system, so no
    // code of the add-on runs after the module may have gone.
    if (start.module != nullptr)
        ::FreeLibraryAndExitThread(start.module, code);
    return code;
}

// A new reference to the module that contains this code, or null.
HMODULE TakeModuleReference()
{
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&Run),
                              &module))
        return nullptr;
    return module;
}

// Forgets the workers that have ended, without waiting. The caller holds the lock.
void ReapEnded(std::vector<HANDLE>& threads)
{
    std::erase_if(threads, [](HANDLE thread) {
        if (::WaitForSingleObject(thread, 0) != WAIT_OBJECT_0)
            return false;
        ::CloseHandle(thread);
        return true;
    });
}

} // namespace

bool StartWorkerThread(ThreadProc proc, void* argument)
{
    if (proc == nullptr || stopRequested.load())
        return false;
    std::lock_guard<std::mutex> guard(registry.lock);
    if (stopRequested.load())
        return false;
    ReapEnded(registry.threads);
    try {
        registry.threads.reserve(registry.threads.size() + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    auto* start = new (std::nothrow) Start{proc, argument, TakeModuleReference()};
    if (start == nullptr)
        return false;
    HANDLE thread = ::CreateThread(nullptr, 0, Run, start, 0, nullptr);
    if (thread == nullptr) {
        // The caller runs in the add-on, so the host's own reference keeps it loaded.
        if (start->module != nullptr)
            ::FreeLibrary(start->module);
        delete start;
        return false;
    }
    registry.threads.push_back(thread);
    return true;
}

int LiveWorkerCount()
{
    std::lock_guard<std::mutex> guard(registry.lock);
    ReapEnded(registry.threads);
    return static_cast<int>(registry.threads.size());
}

bool StopRequested()
{
    return stopRequested.load();
}

bool StopWorkers(unsigned timeoutMilliseconds)
{
    stopRequested.store(true);
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMilliseconds;
    std::lock_guard<std::mutex> guard(registry.lock);
    const DWORD self = ::GetCurrentThreadId();
    std::erase_if(registry.threads, [&](HANDLE thread) {
        // A worker that unloads the add-on on its way out never waits for itself.
        if (::GetThreadId(thread) == self)
            return false;
        const ULONGLONG now = ::GetTickCount64();
        const DWORD wait = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        if (::WaitForSingleObject(thread, wait) != WAIT_OBJECT_0)
            return false;
        ::CloseHandle(thread);
        return true;
    });
    if (!registry.threads.empty())
        return false;
    stopRequested.store(false);
    return true;
}

} // namespace velmora::platform
