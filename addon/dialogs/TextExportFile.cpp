#include "dialogs/TextExportFile.hpp"

#include <cstring>

#include "GSRoot.hpp"
#include "prefs/ConfigFile.hpp"

namespace velmora::dialogs {

using namespace core;
using namespace prefs;

namespace {

// The most an export may hold; far beyond the few lines of any export.
constexpr UInt64 MaxExportBytes = 16u << 20;

// The UTF-8 bytes of a line without its terminator; false when it cannot be converted.
bool LineBytes(const TS_String& line, EncodedBytes* bytes, UInt32* size)
{
    *bytes = line.ToBytes(TextEncoding::Utf8);
    if (bytes->data == nullptr) {
        *size = 0;
        return line.IsEmpty();
    }
    *size = bytes->size;
    while (*size > 0 && bytes->data[*size - 1] == 0)
        --*size;
    return true;
}

} // namespace

bool WriteTextLines(const TS_String& path, const TS_List<TS_String>& lines)
{
    if (path.IsEmpty())
        return false;
    UInt64 total = 0;
    for (Int32 i = 0; i < lines.GetCount(); ++i) {
        EncodedBytes bytes;
        UInt32 size = 0;
        if (!LineBytes(lines[i], &bytes, &size))
            return false;
        total += size;
    }
    if (total > MaxExportBytes)
        return false;
    char* block = static_cast<char*>(GS::NewArrayOperator(total > 0 ? static_cast<std::size_t>(total) : 1));
    if (block == nullptr)
        return false;
    UInt32 at = 0;
    bool whole = true;
    for (Int32 i = 0; whole && i < lines.GetCount(); ++i) {
        EncodedBytes bytes;
        UInt32 size = 0;
        whole = LineBytes(lines[i], &bytes, &size) && at + size <= total;
        if (whole && size > 0) {
            std::memcpy(block + at, bytes.data, size);
            at += size;
        }
    }
    // Written whole beside the target and renamed over it, as the settings are: a
    // full disk or a host ended part way leaves the user's old file as it was, and no
    // half-written new one in its place.
    whole = whole && at == total && WriteFileBytes(path, block, at) == 0;
    GS::DeleteArrayOperator(block);
    return whole;
}

} // namespace velmora::dialogs
