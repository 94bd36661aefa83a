#include "core/ResStrings.hpp"

#include "RS.hpp"
#include "language/Language.hpp"
#include "shell/HostCalls.hpp"

namespace {

constexpr Int32 WorkBufferUnits = 1000;
const char* const MissingText = "_ERR_NO_";

bool FetchEntry(TS_String& target, Int32 listId, Int32 entry)
{
    GS::uchar_t buffer[WorkBufferUnits];
    buffer[0] = 0;
    if (!RSGetIndString_ParamAdapter(buffer, WorkBufferUnits, listId, entry, ACAPI_GetOwnResModule(), 0,
                                     "ResStrings", __LINE__))
        return false;
    target.FromUniChars(buffer);
    return true;
}

} // namespace

TS_String& GetResString(TS_String& target, Int16 listId, Int32 entry)
{
    Int16 language = CurrentLanguage;
    if (FetchEntry(target, listId, entry))
        return target;
    if (language != 1 && FetchEntry(target, listId - language + 1, entry))
        return target;
    target = MissingText;
    return target;
}

TS_String LocalisedText(Int16 base, Int32 entry)
{
    TS_String text;
    GetResString(text, static_cast<Int16>(base + CurrentLanguage), entry);
    return text;
}
