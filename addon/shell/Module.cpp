#include "Module.hpp"

#include <cstring>

#include "RS.hpp"
#include "hostapi/HostTable.hpp"
#include "velmora/Platform.hpp"

namespace {

void* moduleHandle = nullptr;
GS::uchar_t modulePath[velmora::shell::ModulePathCapacity] = {};
// UTF-8 form of a UTF-16 text for the debug output; unpaired surrogates become U+FFFD.
// `out` holds at least 3 bytes per unit plus the terminator.
void ToUtf8(const GS::uchar_t* text, char* out)
{
    auto put = [&out](unsigned value) { *out++ = static_cast<char>(value); };
    for (std::size_t i = 0; text[i] != 0; ++i) {
        unsigned c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<unsigned>(text[i + 1]) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            put(c);
        } else if (c < 0x800) {
            put(0xC0 | (c >> 6));
            put(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            put(0xE0 | (c >> 12));
            put(0x80 | ((c >> 6) & 0x3F));
            put(0x80 | (c & 0x3F));
        } else {
            put(0xF0 | (c >> 18));
            put(0x80 | ((c >> 12) & 0x3F));
            put(0x80 | ((c >> 6) & 0x3F));
            put(0x80 | (c & 0x3F));
        }
    }
    *out = 0;
}

} // namespace

namespace velmora::shell {

void OnModuleLoad(void* handle)
{
    static const GS::uchar_t fileNameOkMessage[] = u"commdlg_FileNameOK";
    velmora::platform::RegisterNamedMessage(fileNameOkMessage);

    hostapi::ResetHostState();
    moduleHandle = handle;
    std::memset(modulePath, 0, sizeof(modulePath));
    velmora::platform::ModuleFilePath(handle, modulePath, ModulePathCapacity);
    hostapi::SetOwnFilePath(modulePath);
    hostapi::ExchangeOwnResModule(RSInitModuleImageCache(handle));
}

void OnModuleUnload()
{
    // Every worker holds a reference to the add-on's file, so the file is unloaded
    // only once none runs any more (the last one may be running this unload): the
    // request reaches late stragglers of the platform's bookkeeping at most, and
    // nothing waits here, where the system's loader lock may be held.
    velmora::platform::StopWorkers(0);

    const GSResModule module = hostapi::ExchangeOwnResModule(InvalidResModule);
    if (module != InvalidResModule)
        RSRemoveModuleImageCache(module);

    if (hostapi::HostToken() != 0) {
        char path[ModulePathCapacity * 3 + 1];
        ToUtf8(modulePath, path);
        DBPrintf("Abnormal add-on termination (\"%s\")\n", path);
        hostapi::SetHostToken(0);
    }

    // A location asked for later is built anew from the path.
    hostapi::SetOwnFilePath(modulePath);
}

void* ModuleHandle()
{
    return moduleHandle;
}

const GS::uchar_t* ModulePath()
{
    return modulePath;
}

} // namespace velmora::shell
