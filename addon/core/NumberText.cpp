#include "core/NumberText.hpp"

#include <climits>

namespace velmora::core {
namespace {

bool IsDigit(unsigned value)
{
    return value >= '0' && value <= '9';
}

} // namespace

Int32 ParseLong(const char* text)
{
    if (text == nullptr || *text == '\0')
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p != 0 && !IsDigit(*p) && *p != '-')
        ++p;
    if (*p == 0)
        return INT32_MAX;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
        if (!IsDigit(*p))
            return 0;
    }
    UInt32 value = 0;
    while (IsDigit(*p))
        value = value * 10 + static_cast<UInt32>(*p++ - '0');
    return static_cast<Int32>(negative ? 0u - value : value);
}

Int32 NumberKind(const TS_String& text)
{
    if (text.IsNull())
        return 0;
    const TS_String::Unit* u = text.GetUnits();
    const UInt32 n = text.GetLength();
    UInt32 i = 0;
    while (i < n && u[i] == u' ')
        ++i;
    if (i < n && (u[i] == u'+' || u[i] == u'-'))
        ++i;
    while (i < n && u[i] == u' ')
        ++i;
    if (i == n)
        return 0;
    bool decimalMark = false;
    for (; i < n; ++i) {
        if (IsDigit(u[i]))
            continue;
        if ((u[i] == u'.' || u[i] == u',') && !decimalMark && i + 1 < n && IsDigit(u[i + 1])) {
            decimalMark = true;
            continue;
        }
        return 0;
    }
    return decimalMark ? 2 : 1;
}

} // namespace velmora::core
