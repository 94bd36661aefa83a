#include "update/Fields.hpp"

#include "core/TextEncoding.hpp"

namespace velmora::update {

using core::EncodedBytes;
using core::TextEncoding;
using core::TS_List;
using core::TS_String;
namespace {

using Unit = TS_String::Unit;

bool IsBlank(Unit unit)
{
    return unit == u' ' || unit == u'\t';
}

} // namespace

void SplitFields(const TS_String& text, TS_List<TS_String>& fields)
{
    fields.RemoveAll();
    if (text.IsNull()) {
        fields.Insert(TS_String(""), -1);
        return;
    }
    const UInt32 length = text.GetLength();
    const Unit* units = text.GetUnits();
    UInt32 start = 0;
    UInt32 i = 0;
    while (i < length) {
        if (!IsBlank(units[i])) {
            ++i;
            continue;
        }
        fields.Insert(text.Mid(start, i - start), -1);
        while (i < length && IsBlank(units[i]))
            ++i;
        start = i;
    }
    fields.Insert(text.Mid(start), -1);
}

void SplitAt(const TS_String& text, char separator, TS_List<TS_String>& fields)
{
    fields.RemoveAll();
    if (text.IsNull()) {
        fields.Insert(TS_String(""), -1);
        return;
    }
    // The separator's unit, found once: the walk then compares units only.
    const char separatorText[2] = {separator, 0};
    const TS_String separatorString(separatorText);
    const Unit unit = separatorString.GetAt(0);
    const Unit* units = text.GetUnits();
    const UInt32 length = text.GetLength();
    UInt32 start = 0;
    for (UInt32 i = 0; i < length; ++i) {
        if (unit != 0 && units[i] == unit) {
            fields.Insert(text.Mid(start, i - start), -1);
            start = i + 1;
        }
    }
    fields.Insert(text.Mid(start), -1);
}

bool IsDigits(const TS_String& text)
{
    const UInt32 length = text.GetLength();
    const Unit* units = text.GetUnits();
    bool ascii = true;
    for (UInt32 i = 0; i < length && ascii; ++i)
        ascii = units[i] < 0x80;
    if (ascii) {
        for (UInt32 i = 0; i < length; ++i) {
            if (units[i] < u'0' || units[i] > u'9')
                return false;
        }
        return true;
    }
    // Outside ASCII the code page decides: a character it maps to a digit byte
    // (Windows maps the full-width digits so) counts as a digit.
    const EncodedBytes bytes = text.ToBytes(TextEncoding::Ansi);
    if (bytes.data == nullptr)
        return false;
    for (const char* b = bytes.data; *b != 0; ++b) {
        if (*b < '0' || *b > '9')
            return false;
    }
    return true;
}

} // namespace velmora::update
