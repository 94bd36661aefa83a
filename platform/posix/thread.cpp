// Worker threads on POSIX systems: joinable threads kept in a registry, joined
// within a time limit, each holding a reference to the file that contains the
// add-on until it has ended.
#include <atomic>
#include <cerrno>
#include <ctime>
#include <dlfcn.h>
#include <mutex>
#include <new>
#include <pthread.h>
#include <vector>

#include "velmora/platform.hpp"

namespace velmora::platform {
namespace {

struct Start {
    ThreadProc proc;
    void* argument;
    void* fileReference; // the add-on file's dlopen handle, or null
};

// The threads started and not yet joined. A joined thread has ended completely:
// only then has it left the add-on's code.
struct Registry {
    std::mutex lock;
    std::vector<pthread_t> threads;

    Registry() = default;
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;
    ~Registry()
    {
        // Reached when the add-on file is unloaded, which its workers' references
        // allow only once every worker has left the add-on's code (the last one may
        // be the thread running this unload). Their remains go back to the system.
        for (pthread_t thread : threads)
            pthread_detach(thread);
    }
};

Registry registry;
std::atomic<bool> stopRequested{false};

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

// Joins the threads that have ended, without waiting. The caller holds the lock.
void ReapEnded(std::vector<pthread_t>& threads)
{
    std::erase_if(threads, [](pthread_t thread) { return pthread_tryjoin_np(thread, nullptr) == 0; });
}

timespec DeadlineAfter(unsigned milliseconds)
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
    auto* start = new (std::nothrow) Start{proc, argument, TakeFileReference()};
    if (start == nullptr)
        return false;
    pthread_t thread;
    if (pthread_create(&thread, nullptr, Run, start) != 0) {
        // The caller runs in the add-on, so the host's own reference keeps it loaded.
        if (start->fileReference != nullptr)
            dlclose(start->fileReference);
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
    const timespec deadline = DeadlineAfter(timeoutMilliseconds);
    std::lock_guard<std::mutex> guard(registry.lock);
    const pthread_t self = pthread_self();
    std::erase_if(registry.threads, [&](pthread_t thread) {
        // A worker that unloads the add-on on its way out never waits for itself.
        if (pthread_equal(thread, self))
            return false;
        return pthread_timedjoin_np(thread, nullptr, &deadline) == 0;
    });
    if (!registry.threads.empty())
        return false;
    stopRequested.store(false);
    return true;
}

} // namespace velmora::platform
