// Worker threads on POSIX systems: joinable threads kept in a registry, joined
// within a time limit, each holding a reference to the file that contains the
// add-on until it has ended.
#include <cerrno>
#include <ctime>
#include <dlfcn.h>
#include <new>
#include <pthread.h>

#include "WorkerRegistry.hpp"
#include "velmora/Platform.hpp"

namespace velmora::platform {
namespace {

struct Start {
    ThreadProc proc;
    void* argument;
    void* fileReference; // the add-on file's dlopen handle, or null
};

// A worker is a joinable thread: a joined thread has ended completely, and only
// then has it left the add-on's code.
struct PosixThreads {
    using Handle = pthread_t;
    using Deadline = timespec;
    static bool Create(ThreadProc proc, void* argument, pthread_t* thread);
    static bool Reap(pthread_t thread) { return pthread_tryjoin_np(thread, nullptr) == 0; }
    static timespec DeadlineAfter(unsigned milliseconds);
    static bool Join(pthread_t thread, const timespec& deadline)
    {
        return pthread_timedjoin_np(thread, nullptr, &deadline) == 0;
    }
    static bool IsCurrent(pthread_t thread) { return pthread_equal(thread, pthread_self()) != 0; }
    // The remains of a thread that may still be ending go back to the system.
    static void Forget(pthread_t thread) { pthread_detach(thread); }
};

WorkerRegistry<PosixThreads> registry;

// The thread-specific slot whose destructor is the C library's dlclose: a worker's
// file reference is released by the C library after the worker's procedure has
// returned, when no code of the add-on runs on that thread any more. A function of
// the add-on's own could not do it: it would return into a file that may be gone.
class ReferenceSlot {
public:
    ReferenceSlot()
    {
        // dlclose takes a handle and returns int; the slot's destructor is called
        // with the handle and its result is dropped, which the x86-64 and AArch64
        // calling conventions allow.
        // (The detour through void (*)() is the language's generic function pointer.)
        auto generic = reinterpret_cast<void (*)()>(&dlclose);
        valid = pthread_key_create(&key, reinterpret_cast<void (*)(void*)>(generic)) == 0;
    }
    ~ReferenceSlot()
    {
        if (valid)
            pthread_key_delete(key);
    }
    ReferenceSlot(const ReferenceSlot&) = delete;
    ReferenceSlot& operator=(const ReferenceSlot&) = delete;

    bool Valid() const { return valid; }
    // On the worker's own thread.
    void Hold(void* reference) const
    {
        if (valid && reference != nullptr)
            pthread_setspecific(key, reference);
    }

private:
    pthread_key_t key{};
    bool valid = false;
};

ReferenceSlot referenceSlot;

// A new reference to the loaded file that contains this code; null for the main
// program (which is never unloaded) or when the system gives none.
void* TakeFileReference()
{
    if (!referenceSlot.Valid())
        return nullptr;
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&TakeFileReference), &info) == 0 || info.dli_fname == nullptr)
        return nullptr;
    return dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
}

void* Run(void* data)
{
    Start start = *static_cast<Start*>(data);
    delete static_cast<Start*>(data);
    referenceSlot.Hold(start.fileReference);
    start.proc(start.argument);
    return nullptr;
}

timespec PosixThreads::DeadlineAfter(unsigned milliseconds)
{
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += static_cast<time_t>(milliseconds / 1000);
    deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    return deadline;
}

bool PosixThreads::Create(ThreadProc proc, void* argument, pthread_t* thread)
{
    auto* start = new (std::nothrow) Start{proc, argument, TakeFileReference()};
    if (start == nullptr)
        return false;
    if (pthread_create(thread, nullptr, Run, start) != 0) {
        // The caller runs in the add-on, so the host's own reference keeps it loaded.
        if (start->fileReference != nullptr)
            dlclose(start->fileReference);
        delete start;
        return false;
    }
    return true;
}

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
