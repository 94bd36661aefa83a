#include "double_byte.hpp"

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <mutex>

#include "output.hpp"

namespace velmora::platform::detail {
namespace {

constexpr char defaultCharacter = '?';
const iconv_t noDescriptor = reinterpret_cast<iconv_t>(-1);
const char* const unitName = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

const char* IconvName(DoubleBytePage page)
{
    switch (page) {
    case DoubleBytePage::Windows932:
        return "CP932";
    case DoubleBytePage::Windows936:
        return "GBK";
    case DoubleBytePage::Windows949:
        return "UHC";
    default:
        return "BIG5";
    }
}

// The unit Windows gives for a byte sequence the page does not define.
constexpr Unit defaultUnit = 0x30FB;

bool IsLeadByte(DoubleBytePage page, unsigned char byte)
{
    if (page == DoubleBytePage::Windows932)
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    return byte >= 0x81 && byte <= 0xFE;
}

// An iconv descriptor for the length of one conversion: descriptors keep state and
// must not serve two threads at once.
class Descriptor {
public:
    Descriptor(const char* to, const char* from) : cd(iconv_open(to, from)) {}
    ~Descriptor()
    {
        if (cd != noDescriptor)
            iconv_close(cd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    bool Usable() const { return cd != noDescriptor; }

    // Converts as much of [*in, *in + *inLeft) as it can into `output`; the result
    // is iconv's errno, or 0 when all of it was converted. E2BIG only with a target
    // (the scratch area of a count is reused).
    template <typename T> int Run(char** in, std::size_t* inLeft, Output<T>& output)
    {
        for (;;) {
            char* out = output.Space();
            const std::size_t room = output.SpaceBytes();
            std::size_t outLeft = room;
            const std::size_t result = iconv(cd, in, inLeft, &out, &outLeft);
            const int error = result == static_cast<std::size_t>(-1) ? errno : 0;
            output.Advance(room - outLeft);
            if (error != E2BIG || output.HasTarget())
                return error;
        }
    }
    void Reset() { iconv(cd, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t cd;
};

// The bytes of each unit of the first plane: one byte as its value, two as lead
// byte times 256 plus trail byte, noBytes for a unit the page cannot hold.
constexpr std::uint16_t noBytes = 0xFFFF;
struct EncodeTable {
    bool ready = false;
    std::uint16_t bytes[0x10000] = {};
};

// The bytes iconv writes for one unit, when they decode back to that same unit:
// Windows writes a character without a way back as the default character (no
// "best fit", such as the yen sign written as a backslash).
std::uint16_t AskIconv(iconv_t toBytes, iconv_t toUnits, Unit unit)
{
    char in[sizeof(Unit)];
    std::memcpy(in, &unit, sizeof unit);
    char* inPointer = in;
    std::size_t inLeft = sizeof in;
    char bytes[4] = {};
    char* outPointer = bytes;
    std::size_t outLeft = sizeof bytes;
    iconv(toBytes, nullptr, nullptr, nullptr, nullptr);
    if (iconv(toBytes, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<std::size_t>(-1))
        return noBytes;
    const std::size_t n = sizeof bytes - outLeft;
    if (n < 1 || n > 2)
        return noBytes;
    Unit back[2] = {};
    inPointer = bytes;
    inLeft = n;
    outPointer = reinterpret_cast<char*>(back);
    outLeft = sizeof back;
    iconv(toUnits, nullptr, nullptr, nullptr, nullptr);
    if (iconv(toUnits, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<std::size_t>(-1) ||
        outLeft != sizeof back - sizeof(Unit) || back[0] != unit)
        return noBytes;
    const auto first = static_cast<unsigned char>(bytes[0]);
    return n == 1 ? first : static_cast<std::uint16_t>(first << 8 | static_cast<unsigned char>(bytes[1]));
}

void Build(DoubleBytePage page, EncodeTable& table)
{
    const iconv_t toBytes = iconv_open(IconvName(page), unitName);
    const iconv_t toUnits = iconv_open(unitName, IconvName(page));
    if (toBytes != noDescriptor && toUnits != noDescriptor) {
        for (unsigned u = 0; u < 0x10000; ++u)
            table.bytes[u] =
                u >= 0xD800 && u <= 0xDFFF ? noBytes : AskIconv(toBytes, toUnits, static_cast<Unit>(u));
        table.ready = true;
    }
    if (toBytes != noDescriptor)
        iconv_close(toBytes);
    if (toUnits != noDescriptor)
        iconv_close(toUnits);
}

const EncodeTable& EncodeTableOf(DoubleBytePage page)
{
    // Each built once, on its page's first use, by whichever thread comes first;
    // read-only afterwards.
    static EncodeTable tables[4];
    static std::once_flag built[4];
    const auto index = static_cast<std::size_t>(page);
    std::call_once(built[index], [page, index] { Build(page, tables[index]); });
    return tables[index];
}

template <typename T> std::size_t Result(const Output<T>& output)
{
    return output.Overflowed() ? 0 : output.Count();
}

} // namespace

std::size_t DoubleByteDecode(DoubleBytePage page, const unsigned char* source, std::size_t count,
                             Unit* target, std::size_t capacity)
{
    Descriptor cd(unitName, IconvName(page));
    if (!cd.Usable())
        return 0;
    Output<Unit> output(target, capacity);
    char* in = const_cast<char*>(reinterpret_cast<const char*>(source));
    std::size_t inLeft = count;
    while (inLeft > 0 && !output.Overflowed()) {
        const int error = cd.Run(&in, &inLeft, output);
        if (error == 0)
            break;
        if (error == E2BIG) {
            output.MarkOverflow();
            break;
        }
        // A sequence iconv cannot decode, or one cut off by the end of the text.
        const auto first = static_cast<unsigned char>(in[0]);
        const std::size_t skip = IsLeadByte(page, first) && inLeft > 1 && in[1] != 0 ? 2 : 1;
        output.Put(defaultUnit);
        in += skip;
        inLeft -= skip;
        cd.Reset();
    }
    return Result(output);
}

std::size_t DoubleByteEncode(DoubleBytePage page, const Unit* source, std::size_t count, char* target,
                             std::size_t capacity)
{
    const EncodeTable& table = EncodeTableOf(page);
    if (!table.ready)
        return 0;
    Output<char> output(target, capacity);
    for (std::size_t i = 0; i < count && !output.Overflowed(); ++i) {
        const std::uint16_t bytes = table.bytes[source[i]];
        if (bytes == noBytes) {
            output.Put(defaultCharacter);
        } else if (bytes < 0x100) {
            output.Put(static_cast<char>(bytes));
        } else {
            output.Put(static_cast<char>(bytes >> 8));
            output.Put(static_cast<char>(bytes & 0xFF));
        }
    }
    return Result(output);
}

} // namespace velmora::platform::detail
