// TS_String operation sequences read from the input, with the host's allocations
// made to fail at points the input chooses. Whatever happens, every string stays
// whole (null, or a block holding its length, a terminator and room for both), the
// host's memory is all given back, and no operation reads or writes outside a block.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/NumberText.hpp"
#include "core/PathText.hpp"
#include "core/TS_List.hpp"
#include "core/TS_String.hpp"
#include "kit/Host.hpp"

using namespace velmora::core;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckWhole(const TS_String& s)
{
    if (s.IsNull()) {
        Check(s.GetLength() == 0 && s.GetCapacity() == 0);
        return;
    }
    Check(s.GetLength() < s.GetCapacity());
    Check(s.GetUnits()[s.GetLength()] == 0);
}

// Reads the input from the front.
class Input {
public:
    Input(const std::uint8_t* bytes, std::size_t count) : data(bytes), left(count) {}
    bool Empty() const { return left == 0; }
    std::uint8_t Byte()
    {
        if (left == 0)
            return 0;
        --left;
        return *data++;
    }
    UInt32 Small() { return Byte() % 24; }
    // A short text in the input's own bytes (ANSI or any encoding), followed by
    // zero bytes enough for every unit width: a count of 0 means "up to the zero unit".
    struct Text {
        std::string bytes;
        UInt32 length;
    };
    Text NextText()
    {
        Text text;
        for (std::size_t n = Byte() % 16; n > 0 && left > 0; --n)
            text.bytes.push_back(static_cast<char>(Byte()));
        text.length = static_cast<UInt32>(text.bytes.size());
        text.bytes.resize((text.bytes.size() + 3) / 4 * 4 + 4, '\0');
        return text;
    }

private:
    const std::uint8_t* data;
    std::size_t left;
};

const TextEncoding encodings[] = {TextEncoding::Ansi,    TextEncoding::Utf7,     TextEncoding::Utf8,
                                  TextEncoding::Utf16LE, TextEncoding::Utf16BE,  TextEncoding::Utf32LE,
                                  TextEncoding::Utf32BE, TextEncoding::MacRoman, TextEncoding::UsAscii};

void Run(Input& in)
{
    TS_String slots[4];
    TS_List<TS_String> list;
    while (!in.Empty()) {
        const std::uint8_t op = in.Byte();
        TS_String& s = slots[op & 3];
        const TS_String& other = slots[(op >> 2) & 3];
        try {
            switch ((op >> 4) % 16) {
            case 0:
                s = in.NextText().bytes.c_str();
                break;
            case 1: {
                const Input::Text text = in.NextText();
                s.AssignBytes(text.bytes.data(), text.length, encodings[in.Byte() % 9]);
                break;
            }
            case 2: {
                const Input::Text text = in.NextText();
                s.AppendBytes(text.bytes.data(), text.length, encodings[in.Byte() % 9]);
                break;
            }
            case 3:
                s += other;
                break;
            case 4:
                s = other.Mid(in.Small(), in.Small());
                break;
            case 5:
                s = other.Right(in.Small(), in.Small());
                break;
            case 6:
                s = s.Replace(other, slots[in.Byte() & 3]);
                break;
            case 7:
                s = (in.Byte() & 1) != 0 ? other.ToLower() : other.ToUpper();
                break;
            case 8:
                s = other.Trim((op & 1) != 0, (op & 2) != 0, (op & 4) != 0);
                break;
            case 9:
                s.Reserve(in.Small(), (op & 1) != 0);
                break;
            case 10:
                s.SetCapacity(in.Small(), (op & 1) != 0);
                break;
            case 11: {
                EncodedBytes bytes = s.ToBytes(encodings[in.Byte() % 9]);
                Check((bytes.data == nullptr) == (bytes.size == 0));
                break;
            }
            case 12: {
                const Input::Text text = in.NextText();
                s.FromEncodedBytes(text.bytes.data(), text.length, (op & 1) != 0, encodings[in.Byte() % 9]);
                break;
            }
            case 13: {
                const Int32 found = s.FindNoCase(other, in.Small()) + s.ReverseFind(other) +
                                    s.FindChar(static_cast<char>(in.Byte()), in.Small()) +
                                    s.Compare(0, other, 0, in.Small()) + s.CompareNoCase(0, other);
                (void)found;
                (void)(s.MatchesAt(other, in.Small()) || s.EndsWith(other) || s.IsGreater(other));
                s.SetAnsiAt(in.Small(), static_cast<char>(in.Byte()));
                (void)s.GetAnsiAt(in.Small());
                break;
            }
            case 14:
                switch (in.Byte() % 5) {
                case 0:
                    s = FileNamePart(other);
                    break;
                case 1:
                    s = ExtensionPart(other);
                    break;
                case 2:
                    s = FolderPart(other, (op & 1) != 0 ? FolderSeparator::Keep : FolderSeparator::Drop);
                    break;
                case 3:
                    RemoveLastPathPart(s);
                    break;
                default:
                    s = TS_String::FromNumber(static_cast<Int32>(in.Byte()) * 1000003 - 5000, in.Small());
                    (void)s.ToLong();
                    (void)NumberKind(s);
                    break;
                }
                break;
            default:
                if ((op & 1) != 0) {
                    list.Insert(s, static_cast<Int32>(in.Small() % (list.GetCount() + 1)));
                } else {
                    // The next allocations fail from a point the input chooses; 255 stops that.
                    const std::uint8_t after = in.Byte();
                    if (after == 255)
                        kit::StopFailingAllocations();
                    else
                        kit::FailAllocationsAfter(after % 8, (after & 8) != 0);
                }
                break;
            }
        } catch (const GS::OutOfMemoryException&) {
            // A failed allocation may leave a string null, never broken.
        }
        for (TS_String& slot : slots) {
            CheckWhole(slot);
            // Repeated doubling would only make the run slow, not find more.
            if (slot.GetLength() > 4096)
                slot.Clear();
        }
    }
    kit::StopFailingAllocations();
    for (Int32 i = 0; i < list.GetCount(); ++i)
        CheckWhole(list[i]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 2048)
        return 0;
    const long before = kit::LiveAllocations();
    {
        Input in(data, size);
        Run(in);
    }
    kit::StopFailingAllocations();
    Check(kit::LiveAllocations() == before);
    return 0;
}
