#include "core/ResStrings.hpp"

#include "RS.hpp"
#include "hostapi/HostCalls.hpp"

namespace velmora::core {

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

// The English list of the family that `listId` belongs to, or 0 for a list of no family.
Int32 EnglishListOf(Int32 listId)
{
    constexpr Int16 families[] = {MenuListBase, MenuTextListBase, LibraryListBase, MessageListBase};
    for (Int16 base : families)
        if (listId >= base && listId < base + FamilyLanguageCount)
            return base + 1;
    return 0;
}

} // namespace

TS_String& GetResString(TS_String& target, Int16 listId, Int32 entry)
{
    if (FetchEntry(target, listId, entry))
        return target;
    const Int32 english = EnglishListOf(listId);
    if (english != 0 && english != listId && FetchEntry(target, english, entry))
        return target;
    target = MissingText;
    return target;
}

} // namespace velmora::core
