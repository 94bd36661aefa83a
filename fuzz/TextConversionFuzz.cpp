// The text conversions on any bytes, between every pair of encodings: the sizing
// call returns what the converting call writes; a block one byte too small is
// refused without a byte written; lossless forms round-trip; the byte-order-mark
// detection, the encoding guess and the UTF-8 validation agree with the converters.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/TS_String.hpp"
#include "core/TextEncoding.hpp"

using namespace velmora::core;

namespace {

const TextEncoding encodings[] = {
    TextEncoding::Ansi,     TextEncoding::Utf7,        TextEncoding::Utf8,      TextEncoding::Utf16LE,
    TextEncoding::Utf16BE,  TextEncoding::Utf32LE,     TextEncoding::Utf32BE,   TextEncoding::UsAscii,
    TextEncoding::MacRoman, TextEncoding::Windows1252, TextEncoding::Iso8859_1,
};
constexpr std::size_t encodingCount = sizeof encodings / sizeof encodings[0];

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Sizes and converts; checks the sizing rule and the refusal of a block one byte
// too small. The converted bytes, or nothing when the sizing call fails.
bool Convert(TextEncoding from, const void* source, Int32 count, TextEncoding to, bool terminate,
             std::string* out)
{
    const Int32 size = ConvertText(from, source, count, to, nullptr, 0, terminate);
    if (size < 0)
        return false;
    std::string block(static_cast<std::size_t>(size) + 8, '\x5A');
    if (size > 0) {
        Check(ConvertText(from, source, count, to, block.data(), size - 1, terminate) ==
              ConvertTargetTooSmall);
        Check(block == std::string(block.size(), '\x5A'));
    }
    const Int32 written = ConvertText(from, source, count, to, block.data(), size, terminate);
    Check(written == size);
    Check(block.compare(static_cast<std::size_t>(size), 8, std::string(8, '\x5A')) == 0);
    out->assign(block.data(), static_cast<std::size_t>(size));
    return true;
}

bool HasLoneSurrogate(const std::u16string& units)
{
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF)
                ++i;
            else
                return true;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2 || size > 4096)
        return 0;
    const TextEncoding from = encodings[data[0] % encodingCount];
    const TextEncoding to = encodings[(data[0] / encodingCount) % encodingCount];
    const bool terminate = (data[0] & 0x80) != 0;
    const std::uint8_t* text = data + 1;
    const auto count = static_cast<Int32>(size - 1);

    // A count of 0 reads up to the zero unit: a copy that ends with one of every
    // width, at a position every width reaches.
    std::vector<std::uint8_t> terminated(text, text + count);
    terminated.resize((terminated.size() + 3) / 4 * 4 + 4, 0);
    std::string converted;
    Convert(from, terminated.data(), (data[0] & 0x40) != 0 ? 0 : count, to, terminate, &converted);

    // Into the internal form and back out, where that is lossless.
    std::string internal;
    if (Convert(from, text, count, TextEncoding::Utf16LE, false, &internal)) {
        std::u16string units(internal.size() / 2, u'\0');
        std::memcpy(units.data(), internal.data(), units.size() * 2);
        if (!HasLoneSurrogate(units) && !units.empty()) {
            for (TextEncoding form : {TextEncoding::Utf8, TextEncoding::Utf16BE, TextEncoding::Utf32LE,
                                      TextEncoding::Utf32BE, TextEncoding::Utf7}) {
                std::string encoded;
                std::string back;
                Check(Convert(TextEncoding::Utf16LE, units.data(), static_cast<Int32>(internal.size()), form,
                              false, &encoded));
                Check(Convert(form, encoded.data(), static_cast<Int32>(encoded.size()), TextEncoding::Utf16LE,
                              false, &back));
                Check(back == internal);
            }
        }
    }

    // Every byte of Windows-1252 and ISO-8859-1 stands for one character and back.
    for (TextEncoding page : {TextEncoding::Windows1252, TextEncoding::Iso8859_1}) {
        std::string units;
        std::string back;
        if (count > 0 && Convert(page, text, count, TextEncoding::Utf16LE, false, &units)) {
            Check(units.size() == 2 * static_cast<std::size_t>(count));
            Check(Convert(TextEncoding::Utf16LE, units.data(), static_cast<Int32>(units.size()), page, false,
                          &back));
            Check(back == std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(count)));
        }
    }

    // UTF-8 is valid exactly when decoding and encoding gives the same bytes back.
    if (count > 0) {
        std::string units;
        std::string back;
        Check(Convert(TextEncoding::Utf8, text, count, TextEncoding::Utf16LE, false, &units));
        Check(Convert(TextEncoding::Utf16LE, units.data(), static_cast<Int32>(units.size()),
                      TextEncoding::Utf8, false, &back));
        const bool valid = IsValidUTF8(text, static_cast<UInt32>(count), false);
        Check(valid ==
              (back == std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(count))));
    }

    // Marks, guesses, and the decoding of a whole text file.
    TextEncoding marked = TextEncoding::Unknown;
    const UInt32 markLength = DetectBOM(text, static_cast<UInt32>(count), &marked);
    Check(markLength <= static_cast<UInt32>(count) && (markLength == 0) == (marked == TextEncoding::Unknown));
    TextEncoding guessed = TextEncoding::Unknown;
    GuessEncoding(text, static_cast<UInt32>(count), &guessed);
    TS_String file;
    file.FromEncodedBytes(text, static_cast<UInt32>(count), (data[0] & 1) != 0, to);
    if (!file.IsNull())
        Check(file.GetUnits()[file.GetLength()] == 0 && file.GetLength() < file.GetCapacity());
    return 0;
}
