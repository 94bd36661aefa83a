#include "Utf7.hpp"

#include <cstdint>

namespace velmora::platform::detail {
namespace {

const char base64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The value of a base64 character, or -1.
int Base64Value(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

bool IsDirect(Unit u)
{
    if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9'))
        return true;
    switch (u) {
    case 0:
    case '\t':
    case '\n':
    case '\r':
    case ' ':
    case '\'':
    case '(':
    case ')':
    case ',':
    case '-':
    case '.':
    case '/':
    case ':':
    case '?':
        return true;
    default:
        return false;
    }
}

} // namespace

void Utf7Decode(const unsigned char* source, std::size_t count, Output<Unit>& output)
{
    // Bits of an unfinished unit survive a run that ends at a byte from 80 up.
    std::uint32_t bits = 0;
    int bitCount = 0;
    std::size_t i = 0;
    while (i < count && !output.Overflowed()) {
        unsigned char c = source[i++];
        if (c != '+') {
            output.Put(c);
            continue;
        }
        if (i < count && source[i] == '-') {
            output.Put(u'+');
            ++i;
            continue;
        }
        int value;
        while (i < count && (value = Base64Value(source[i])) >= 0) {
            bits = ((bits << 6) | static_cast<std::uint32_t>(value)) & 0x3FFFFF;
            bitCount += 6;
            if (bitCount >= 16) {
                bitCount -= 16;
                output.Put(static_cast<Unit>(bits >> bitCount));
            }
            ++i;
        }
        if (i < count && source[i] < 0x80) {
            bits = 0;
            bitCount = 0;
            if (source[i] == '-')
                ++i;
        }
    }
}

void Utf7Encode(const Unit* source, std::size_t count, Output<char>& output)
{
    std::size_t i = 0;
    while (i < count && !output.Overflowed()) {
        Unit u = source[i];
        if (IsDirect(u)) {
            output.Put(static_cast<char>(u));
            ++i;
            continue;
        }
        output.Put('+');
        if (u == u'+') {
            output.Put('-');
            ++i;
            continue;
        }
        std::uint32_t bits = 0;
        int bitCount = 0;
        while (i < count && !IsDirect(source[i]) && source[i] != u'+') {
            bits = ((bits << 16) | source[i]) & 0x3FFFFF;
            bitCount += 16;
            while (bitCount >= 6) {
                bitCount -= 6;
                output.Put(base64Digits[(bits >> bitCount) & 0x3F]);
            }
            ++i;
        }
        if (bitCount > 0)
            output.Put(base64Digits[(bits << (6 - bitCount)) & 0x3F]);
        output.Put('-');
    }
}

} // namespace velmora::platform::detail
