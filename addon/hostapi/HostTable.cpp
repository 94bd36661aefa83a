#include "hostapi/HostTable.hpp"

#include <atomic>
#include <mutex>

namespace {

std::atomic<const void*> hostTable[APIHostTableEntries] = {};
std::atomic<bool> tablePresent{false};
std::atomic<Int64> hostToken{0};
std::atomic<GSResModule> resModule{InvalidResModule};

// The location is built from the path on first request, which may come from any
// thread; the lock keeps the path, the location and the built flag together.
std::mutex ownLocationLock;
const GS::uchar_t* ownFilePath = nullptr;
IO::Location ownLocation;
bool ownLocationBuilt = false;

} // namespace

namespace velmora::hostapi {

void StoreHostTable(const void* const* table)
{
    for (int i = 0; i < APIHostTableEntries; ++i)
        hostTable[i].store(table[i]);
    tablePresent.store(true);
}

bool HostTablePresent()
{
    return tablePresent.load();
}

const void* HostTableEntry(int index)
{
    if (!tablePresent.load() || index < 0 || index >= APIHostTableEntries)
        return nullptr;
    return hostTable[index].load();
}

Int64 HostToken()
{
    return hostToken.load();
}

void SetHostToken(Int64 token)
{
    hostToken.store(token);
}

void ResetHostState()
{
    for (auto& entry : hostTable)
        entry.store(nullptr);
    tablePresent.store(false);
    hostToken.store(0);
}

GSResModule ExchangeOwnResModule(GSResModule module)
{
    return resModule.exchange(module);
}

GSResModule OwnResModule()
{
    return resModule.load();
}

void SetOwnFilePath(const GS::uchar_t* path)
{
    std::lock_guard<std::mutex> guard(ownLocationLock);
    ownFilePath = path;
    ownLocation = IO::Location();
    ownLocationBuilt = false;
}

bool OwnLocation(IO::Location* out)
{
    std::lock_guard<std::mutex> guard(ownLocationLock);
    if (!ownLocationBuilt) {
        ownLocation = ownFilePath != nullptr ? IO::Location(GS::UniString(ownFilePath)) : IO::Location();
        ownLocationBuilt = true;
    }
    if (!ownLocation.IsValid()) {
        *out = IO::Location();
        return false;
    }
    *out = ownLocation;
    return true;
}

} // namespace velmora::hostapi
