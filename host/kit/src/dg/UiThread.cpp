// The host's UI thread and the work other threads hand to it.
//
// A real host delivers a window's messages on the thread that owns the window, and
// a caller on another thread waits until its message has been delivered. Here the
// UI thread is the one that installed the dialog driver; a caller from another
// thread queues its work and sleeps until the UI thread, waiting for input, has run
// it. At shutdown the host may itself be waiting for that caller (FreeData joining
// an add-on's worker), so the shutting-down state drops queued work and refuses new
// work instead of letting both sides wait for each other.
#include "dg/UiThread.hpp"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "kit/DialogDriver.hpp"

namespace kit::uithread {

namespace {

enum class JobState { Queued, Running, Done, Dropped, Returned };

struct Job {
    const std::function<void()>* work = nullptr; // the caller's, alive while it waits
    JobState state = JobState::Queued;
    std::exception_ptr error;
};

struct Queue {
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::shared_ptr<Job>> jobs;
    std::thread::id ui;
    bool present = false;
    bool shuttingDown = false;
    bool wake = false;
    void (*wakeHook)(void*) = nullptr;
    void* wakeContext = nullptr;
};

Queue& TheQueue()
{
    static Queue queue;
    return queue;
}

bool OnUiThreadLocked(const Queue& q)
{
    return !q.present || q.ui == std::this_thread::get_id();
}

// Under the lock: tells the UI thread's event loop, if it has one, to look.
void WakeLoopLocked(const Queue& q)
{
    if (q.wakeHook != nullptr)
        q.wakeHook(q.wakeContext);
}

// Under the lock: ends every queued job with `state` and wakes its caller.
void EndQueuedLocked(Queue& q, JobState state)
{
    for (const std::shared_ptr<Job>& job : q.jobs)
        job->state = state;
    q.jobs.clear();
    q.changed.notify_all();
}

} // namespace

bool Run(const std::function<void()>& work)
{
    Queue& q = TheQueue();
    auto job = std::make_shared<Job>();
    {
        std::unique_lock<std::mutex> guard(q.lock);
        if (!OnUiThreadLocked(q)) {
            if (q.shuttingDown)
                return false;
            job->work = &work;
            q.jobs.push_back(job);
            q.changed.notify_all();
            WakeLoopLocked(q);
            q.changed.wait(guard, [&] {
                return job->state == JobState::Done || job->state == JobState::Dropped ||
                       job->state == JobState::Returned;
            });
            if (job->state == JobState::Dropped)
                return false;
            if (job->state == JobState::Done) {
                if (job->error)
                    std::rethrow_exception(job->error);
                return true;
            }
            // Returned: the driver went away and with it the UI thread.
        }
    }
    work();
    return true;
}

bool OnUiThread()
{
    Queue& q = TheQueue();
    std::lock_guard<std::mutex> guard(q.lock);
    return OnUiThreadLocked(q);
}

bool ShuttingDown()
{
    Queue& q = TheQueue();
    std::lock_guard<std::mutex> guard(q.lock);
    return q.shuttingDown;
}

void Install(bool present)
{
    Queue& q = TheQueue();
    std::lock_guard<std::mutex> guard(q.lock);
    q.present = present;
    q.ui = std::this_thread::get_id();
    if (!present)
        EndQueuedLocked(q, JobState::Returned);
}

} // namespace kit::uithread

namespace kit {

using uithread::Job;
using uithread::JobState;
using uithread::TheQueue;

bool IsUiThread()
{
    return uithread::OnUiThread();
}

int RunUiWork()
{
    auto& q = TheQueue();
    int count = 0;
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::lock_guard<std::mutex> guard(q.lock);
            if (!uithread::OnUiThreadLocked(q) || q.jobs.empty())
                return count;
            job = q.jobs.front();
            q.jobs.pop_front();
            job->state = JobState::Running;
        }
        std::exception_ptr error;
        try {
            (*job->work)();
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> guard(q.lock);
            job->error = error;
            job->state = JobState::Done;
            q.changed.notify_all();
        }
        ++count;
    }
}

int WaitForUiWork(double seconds)
{
    auto& q = TheQueue();
    {
        std::unique_lock<std::mutex> guard(q.lock);
        if (!uithread::OnUiThreadLocked(q))
            return 0;
        q.changed.wait_for(guard, std::chrono::duration<double>(seconds > 0 ? seconds : 0),
                           [&] { return !q.jobs.empty() || q.wake; });
        q.wake = false;
    }
    return RunUiWork();
}

void WakeUiThread()
{
    auto& q = TheQueue();
    std::lock_guard<std::mutex> guard(q.lock);
    q.wake = true;
    q.changed.notify_all();
    uithread::WakeLoopLocked(q);
}

void SetUiWakeHook(void (*hook)(void* context), void* context)
{
    auto& q = TheQueue();
    std::lock_guard<std::mutex> guard(q.lock);
    q.wakeHook = hook;
    q.wakeContext = context;
}

int WaitingUiWork()
{
    auto& q = TheQueue();
    std::lock_guard<std::mutex> guard(q.lock);
    return static_cast<int>(q.jobs.size());
}

int SetHostShuttingDown(bool shuttingDown)
{
    auto& q = TheQueue();
    std::lock_guard<std::mutex> guard(q.lock);
    q.shuttingDown = shuttingDown;
    const auto waiting = static_cast<int>(q.jobs.size());
    if (shuttingDown)
        uithread::EndQueuedLocked(q, JobState::Dropped);
    return shuttingDown ? waiting : 0;
}

} // namespace kit
