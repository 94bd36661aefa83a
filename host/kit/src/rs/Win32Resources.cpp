// Finding a module's resources on Windows: the PE resources of the module whose
// type is a four-character name (STRS, MDID, GDLG, GBMP, GICN, GCAP...) and whose
// identifier is a number.
#if defined(_WIN32)

#include <windows.h>

#include <cstring>

#include "rs/ResourceImage.hpp"

namespace kit::detail {

namespace {

struct Enumeration {
    ResourceImage* image;
    bool damaged;
};

// The four-character type of a resource type name, or 0 when it is none.
GSResType TypeOfName(LPCWSTR name)
{
    if (IS_INTRESOURCE(name))
        return 0;
    GSResType type = 0;
    for (int i = 0; i < 4; ++i) {
        const wchar_t c = name[i];
        if (c == L'\0' || c > 0x7e)
            return 0;
        type = (type << 8) | static_cast<GSResType>(c);
    }
    return name[4] == L'\0' ? type : 0;
}

BOOL CALLBACK CopyResource(HMODULE module, LPCWSTR typeName, LPWSTR name, LONG_PTR context)
{
    auto* enumeration = reinterpret_cast<Enumeration*>(context);
    if (!IS_INTRESOURCE(name))
        return TRUE;
    HRSRC found = FindResourceW(module, name, typeName);
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    const DWORD size = found != nullptr ? SizeofResource(module, found) : 0;
    if (data == nullptr && size != 0) {
        enumeration->damaged = true;
        return FALSE;
    }
    const auto id = static_cast<Int32>(reinterpret_cast<ULONG_PTR>(name) & 0xffff);
    ResourceBytes& bytes = enumeration->image->resources[{TypeOfName(typeName), id}];
    bytes.resize(size);
    if (size != 0)
        std::memcpy(bytes.data(), data, size);
    return TRUE;
}

BOOL CALLBACK VisitType(HMODULE module, LPWSTR typeName, LONG_PTR context)
{
    if (TypeOfName(typeName) == 0)
        return TRUE;
    EnumResourceNamesW(module, typeName, CopyResource, context);
    return !reinterpret_cast<Enumeration*>(context)->damaged;
}

} // namespace

bool ReadModuleResources(void* moduleHandle, ResourceImage* out)
{
    if (moduleHandle == nullptr)
        return false;
    // A module handle is the module's base address, so both forms name the module.
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(moduleHandle), &module))
        return false;
    Enumeration enumeration{out, false};
    EnumResourceTypesW(module, VisitType, reinterpret_cast<LONG_PTR>(&enumeration));
    return !enumeration.damaged && !out->resources.empty();
}

} // namespace kit::detail

#endif // _WIN32
