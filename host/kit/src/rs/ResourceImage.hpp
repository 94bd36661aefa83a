// The resources of one opened module, as the resource manager keeps them: every
// resource of the module's file copied out once when the module is opened.
#pragma once

#include <cstddef>
#include <map>
#include <utility>
#include <vector>

#include "GSRoot.hpp"

namespace kit::detail {

using ResourceKey = std::pair<GSResType, Int32>; // type and identifier
using ResourceBytes = std::vector<unsigned char>;

struct ResourceImage {
    std::map<ResourceKey, ResourceBytes> resources;

    const ResourceBytes* Find(GSResType type, Int32 id) const
    {
        auto it = resources.find({type, id});
        return it == resources.end() ? nullptr : &it->second;
    }
};

// Reads the resources of the loaded module that `moduleHandle` names (Windows: its
// HMODULE or any address inside it; elsewhere: its dlopen handle or any address
// inside it). False when the module cannot be found or its file has no resources.
bool ReadModuleResources(void* moduleHandle, ResourceImage* out);

// Splits the blob that the resource compiler places in an ELF section: the
// magic "VRSC", u32 format 1, u32 count, u32 zero, then `count` records of u32 type,
// i32 id, u32 offset, u32 size, little-endian. False for a damaged blob.
bool ParseResourceBlob(const unsigned char* data, std::size_t size, ResourceImage* out);

} // namespace kit::detail
