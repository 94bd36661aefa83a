// Worker threads on Windows: thread handles kept in a registry and waited for
// within a time limit; each worker holds a reference to the module that contains
// the add-on and ends with FreeLibraryAndExitThread, so the module cannot be
// unmapped under it.
#include <windows.h>

#include <chrono>
#include <new>

#include "WorkerRegistry.hpp"
#include "velmora/Platform.hpp"

namespace velmora::platform {
namespace {

struct Start {
    ThreadProc proc;
    void* argument;
    HMODULE module; // a reference of the worker's own, or null
};

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

// A worker is a thread handle: a signalled handle means that its thread has ended
// completely, and only then has it left the add-on's code.
struct WindowsThreads {
    using Handle = HANDLE;
    using Deadline = std::chrono::steady_clock::time_point;

    static bool Create(ThreadProc proc, void* argument, HANDLE* thread)
    {
        auto* start = new (std::nothrow) Start{proc, argument, TakeModuleReference()};
        if (start == nullptr)
            return false;
        *thread = ::CreateThread(nullptr, 0, Run, start, 0, nullptr);
        if (*thread == nullptr) {
            // The caller runs in the add-on, so the host's own reference keeps it loaded.
            if (start->module != nullptr)
                ::FreeLibrary(start->module);
            delete start;
            return false;
        }
        return true;
    }
    static bool Reap(HANDLE thread) { return Join(thread, Deadline{}); }
    static Deadline DeadlineAfter(unsigned milliseconds)
    {
        return std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    }
    // The system's wait may end a tick before its time-out: the deadline is checked
    // against a precise clock, so a worker is never given up before it.
    static bool Join(HANDLE thread, Deadline deadline)
    {
        for (;;) {
            const auto left = deadline - std::chrono::steady_clock::now();
            const DWORD wait =
                left > Deadline::duration::zero()
                    ? static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(left).count())
                    : 0;
            const DWORD result = ::WaitForSingleObject(thread, wait);
            if (result == WAIT_OBJECT_0) {
                ::CloseHandle(thread);
                return true;
            }
            if (result != WAIT_TIMEOUT || wait == 0)
                return false;
        }
    }
    static bool IsCurrent(HANDLE thread) { return ::GetThreadId(thread) == ::GetCurrentThreadId(); }
    static void Forget(HANDLE thread) { ::CloseHandle(thread); }
};

WorkerRegistry<WindowsThreads> registry;

} // namespace

bool StartWorkerThread(ThreadProc proc, void* argument)
{
    return registry.Start(proc, argument);
}

int LiveWorkerCount()
{
    return registry.Live();
}

bool StopRequested()
{
    return registry.StopRequested();
}

bool StopWorkers(unsigned timeoutMilliseconds)
{
    return registry.Stop(timeoutMilliseconds);
}

} // namespace velmora::platform
