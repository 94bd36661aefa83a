// FTM: the registry of file types that file dialogs offer. Every manager owns the
// types it added; they are known from AddType until the manager goes away.
// Identifiers are unique for the whole run and never reused.
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "FTM.hpp"

namespace FTM {

namespace {

struct Registry {
    std::mutex lock;
    TypeID lastId = 0;
    std::map<TypeID, FileType> types;
    std::map<const FileTypeManager*, std::vector<TypeID>> owned;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

template <std::size_t N> void CopyText(char (&target)[N], const char* source)
{
    std::size_t n = 0;
    if (source != nullptr)
        for (; n + 1 < N && source[n] != 0; ++n)
            target[n] = source[n];
    std::memset(target + n, 0, N - n);
}

} // namespace

FileType::FileType(const char* desc, const char* ext, UInt32 type, UInt32 creator, Int32 icon, void*, void*,
                   bool)
    : macType(type), macCreator(creator), iconId(icon)
{
    CopyText(description, desc);
    CopyText(extension, ext);
}

FileTypeManager::FileTypeManager(const char*)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.owned[this];
}

FileTypeManager::~FileTypeManager()
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    auto it = registry.owned.find(this);
    if (it == registry.owned.end())
        return;
    for (TypeID id : it->second)
        registry.types.erase(id);
    registry.owned.erase(it);
}

TypeID FileTypeManager::AddType(const FileType& type, GroupID group)
{
    // Only the root group exists: this interface offers no way to make others.
    if (group != RootGroup || type.description[0] == 0)
        return 0;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    auto owner = registry.owned.find(this);
    if (owner == registry.owned.end() || registry.lastId == UINT32_MAX)
        return 0;
    const TypeID id = ++registry.lastId;
    registry.types.emplace(id, type);
    owner->second.push_back(id);
    return id;
}

bool GetFileType(TypeID id, FileType* out)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    auto it = registry.types.find(id);
    if (it == registry.types.end())
        return false;
    if (out != nullptr)
        *out = it->second;
    return true;
}

} // namespace FTM
