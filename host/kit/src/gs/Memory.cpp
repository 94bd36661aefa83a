// The host's allocation operators and handle memory, with an allocation counter
// that tests use to make the host run out of memory at a chosen moment.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "BM.hpp"
#include "GSRoot.hpp"
#include "kit/Host.hpp"

namespace {

std::atomic<long> allowedAllocations{-1}; // negative: never fail
std::atomic<bool> stickyFailure{true};
std::atomic<long> liveAllocations{0};

// True when this allocation is to fail.
bool ShouldFail()
{
    long allowed = allowedAllocations.load();
    while (allowed >= 0) {
        if (allowed == 0) {
            if (!stickyFailure.load())
                allowedAllocations.store(-1);
            return true;
        }
        if (allowedAllocations.compare_exchange_weak(allowed, allowed - 1))
            return false;
    }
    return false;
}

void* Allocate(std::size_t size)
{
    if (ShouldFail())
        return nullptr;
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p != nullptr)
        ++liveAllocations;
    return p;
}

void Release(void* p)
{
    if (p == nullptr)
        return;
    --liveAllocations;
    std::free(p);
}

// A handle: the master pointer, followed by the block's size and lock state.
struct HandleRecord {
    char* block;
    GSSize size;
    Int32 state;
};

} // namespace

namespace kit {

void FailAllocationsAfter(long allowed, bool sticky)
{
    stickyFailure.store(sticky);
    allowedAllocations.store(allowed < 0 ? -1 : allowed);
}

void StopFailingAllocations()
{
    allowedAllocations.store(-1);
}

long LiveAllocations()
{
    return liveAllocations.load();
}

} // namespace kit

namespace GS {

const char* OutOfMemoryException::what() const noexcept
{
    return "the host has no memory left";
}

void* NewOperator(std::size_t size) noexcept
{
    return Allocate(size);
}

void DeleteOperator(void* p) noexcept
{
    Release(p);
}

void* NewArrayOperator(std::size_t size) noexcept
{
    return Allocate(size);
}

void DeleteArrayOperator(void* p) noexcept
{
    Release(p);
}

} // namespace GS

extern "C" {

GSHandle BMAllocateHandle(GSSize size, Int32 /*flags*/, Int16 /*memType*/)
{
    if (size < 0 || ShouldFail())
        return nullptr;
    auto* record = static_cast<HandleRecord*>(std::malloc(sizeof(HandleRecord)));
    if (record == nullptr)
        return nullptr;
    record->block = static_cast<char*>(std::malloc(static_cast<std::size_t>(size == 0 ? 1 : size)));
    if (record->block == nullptr) {
        std::free(record);
        return nullptr;
    }
    record->size = size;
    record->state = 0;
    ++liveAllocations;
    return &record->block;
}

GSHandle BMReallocHandle(GSHandle handle, GSSize newSize, Int32 /*flags*/, Int16 /*memType*/)
{
    if (handle == nullptr || newSize < 0)
        return nullptr;
    auto* record = reinterpret_cast<HandleRecord*>(handle);
    if (newSize > record->size && ShouldFail())
        return nullptr;
    char* moved =
        static_cast<char*>(std::realloc(record->block, static_cast<std::size_t>(newSize == 0 ? 1 : newSize)));
    if (moved == nullptr)
        return nullptr;
    record->block = moved;
    record->size = newSize;
    return handle;
}

GSSize BMGetHandleSize(GSHandle handle)
{
    if (handle == nullptr)
        return 0;
    return reinterpret_cast<HandleRecord*>(handle)->size;
}

Int32 BMModifyHandleState(GSHandle handle, Int32 request, Int32 state)
{
    if (handle == nullptr)
        return 0;
    auto* record = reinterpret_cast<HandleRecord*>(handle);
    Int32 previous = record->state;
    switch (request) {
    case BMLockHandle:
        record->state = 1;
        break;
    case BMUnlockHandle:
        record->state = 0;
        break;
    case BMRestoreHandleState:
        record->state = state;
        break;
    default:
        break;
    }
    return previous;
}

void BMKillHandle(GSHandle* handle)
{
    if (handle == nullptr || *handle == nullptr)
        return;
    auto* record = reinterpret_cast<HandleRecord*>(*handle);
    std::free(record->block);
    std::free(record);
    --liveAllocations;
    *handle = nullptr;
}

} // extern "C"
