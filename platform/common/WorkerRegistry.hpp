// The bookkeeping of the add-on's worker threads that both systems share: the
// threads started and not yet seen to end, the stop request, and the bounded wait.
// What a thread is, how it starts and how it is waited for belongs to the system,
// a type with static members:
//   Handle                           a started thread
//   bool Create(proc, argument, &h)  starts a worker; false when the system refuses
//   bool Reap(h)                     true, and h released, when its thread has ended
//   Deadline DeadlineAfter(ms)       a point in time
//   bool Join(h, deadline)           waits until then; true, and h released, when it ended
//   bool IsCurrent(h)                h is the calling thread
//   void Forget(h)                   gives h back to the system (when the add-on is unloaded)
// A thread counts as ended only when it has left the add-on's code completely.
#pragma once

#include <atomic>
#include <mutex>
#include <new>
#include <vector>

#include "velmora/Platform.hpp"

namespace velmora::platform {

template <typename System> class WorkerRegistry {
public:
    using Handle = typename System::Handle;

    WorkerRegistry() = default;
    WorkerRegistry(const WorkerRegistry&) = delete;
    WorkerRegistry& operator=(const WorkerRegistry&) = delete;
    // Reached when the add-on file is unloaded, which the workers' references to it
    // allow only once every worker has left the add-on's code (the last one may be
    // the thread running this unload).
    ~WorkerRegistry()
    {
        for (Handle thread : threads)
            System::Forget(thread);
    }

    bool Start(ThreadProc proc, void* argument)
    {
        if (proc == nullptr || stopRequested.load())
            return false;
        std::lock_guard<std::mutex> guard(lock);
        if (stopRequested.load())
            return false;
        ReapEnded();
        try {
            threads.reserve(threads.size() + 1);
        } catch (const std::bad_alloc&) {
            return false;
        }
        Handle thread{};
        if (!System::Create(proc, argument, &thread))
            return false;
        threads.push_back(thread);
        return true;
    }

    int Live()
    {
        std::lock_guard<std::mutex> guard(lock);
        ReapEnded();
        return static_cast<int>(threads.size());
    }

    bool StopRequested() const { return stopRequested.load(); }

    bool Stop(unsigned timeoutMilliseconds)
    {
        stopRequested.store(true);
        const auto deadline = System::DeadlineAfter(timeoutMilliseconds);
        std::lock_guard<std::mutex> guard(lock);
        std::erase_if(threads, [&](Handle thread) {
            // A worker that unloads the add-on on its way out never waits for itself.
            return !System::IsCurrent(thread) && System::Join(thread, deadline);
        });
        if (!threads.empty())
            return false;
        stopRequested.store(false);
        return true;
    }

private:
    // Forgets the threads that have ended, without waiting. The caller holds the lock.
    void ReapEnded()
    {
        std::erase_if(threads, [](Handle thread) { return System::Reap(thread); });
    }

    std::mutex lock;
    std::vector<Handle> threads;
    std::atomic<bool> stopRequested{false};
};

} // namespace velmora::platform
