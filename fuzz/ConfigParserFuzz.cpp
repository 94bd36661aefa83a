// The configuration file reader on any bytes: it must never read outside the data,
// and what it accepts must survive the writer and the reader again unchanged
// (parse, serialise, parse again, compare).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "prefs/ConfigFile.hpp"

using namespace velmora::core;
using namespace velmora::prefs;

namespace {

bool SameText(const TS_String& a, const TS_String& b)
{
    return a.Compare(0, b) == 0 && a.GetLength() == b.GetLength();
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > MaxConfigBytes)
        return 0;
    // The reader's area: the data, then two zero bytes.
    std::vector<unsigned char> area(data, data + size);
    area.resize(size + 2, 0);
    TS_List<TS_Setting> first;
    if (!ParseSettings(area.data(), static_cast<UInt32>(size), first))
        return 0;

    // Every line break of a value gains a "#" when written: room for that.
    std::vector<unsigned char> written(2 * size + 16);
    const Int32 n = SerializeSettings(first, written.data(), static_cast<UInt32>(written.size()));
    Check(n >= 0);
    written.resize(static_cast<std::size_t>(n) + 2, 0);
    // The stored form is the same bytes with their halves exchanged, and back.
    SwapNibbles(written.data(), static_cast<UInt32>(n));
    SwapNibbles(written.data(), static_cast<UInt32>(n));

    TS_List<TS_Setting> second;
    Check(ParseSettings(written.data(), static_cast<UInt32>(n), second));
    Check(first.GetCount() == second.GetCount());
    for (Int32 i = 0; i < first.GetCount(); ++i) {
        Check(SameText(first[i].key, second[i].key));
        Check(SameText(first[i].value, second[i].value));
    }

    // Writing what was read back gives the same bytes again.
    std::vector<unsigned char> again(written.size() + 16);
    const Int32 m = SerializeSettings(second, again.data(), static_cast<UInt32>(again.size()));
    Check(m == n && std::memcmp(again.data(), written.data(), static_cast<std::size_t>(n)) == 0);
    return 0;
}
