// Worker threads on Windows: thread handles kept in a registry and waited for
// within a time limit; each worker holds a reference to the module that contains
// the add-on and ends with FreeLibraryAndExitThread, so the module cannot be
// unmapped under it.
#include <windows.h>

#include <new>

#include "WorkerRegistry.hpp"
#include "velmora/platform.hpp"

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
    using Deadline = ULONGLONG; // of GetTickCount64

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
    static bool Reap(HANDLE thread) { return Join(thread, 0); }
    static ULONGLONG DeadlineAfter(unsigned milliseconds) { return ::GetTickCount64() + milliseconds; }
    static bool Join(HANDLE thread, ULONGLONG deadline)
    {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD wait = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        if (::WaitForSingleObject(thread, wait) != WAIT_OBJECT_0)
            return false;
        ::CloseHandle(thread);
        return true;
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
