// Detached threads on POSIX systems.
#include <new>
#include <pthread.h>

#include "velmora/platform.hpp"

namespace velmora::platform {
namespace {

struct Start {
    ThreadProc proc;
    void* argument;
};

void* Run(void* data)
{
    Start start = *static_cast<Start*>(data);
    delete static_cast<Start*>(data);
    start.proc(start.argument);
    return nullptr;
}

} // namespace

bool StartWorkerThread(ThreadProc proc, void* argument)
{
    if (proc == nullptr)
        return false;
    auto* start = new (std::nothrow) Start{proc, argument};
    if (start == nullptr)
        return false;
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        delete start;
        return false;
    }
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    int failed = pthread_create(&thread, &attributes, Run, start);
    pthread_attr_destroy(&attributes);
    if (failed != 0) {
        delete start;
        return false;
    }
    return true;
}

} // namespace velmora::platform
