#include "services/Alerts.hpp"

#include "DG.h"
#include "core/ResStrings.hpp"
#include "language/Language.hpp"

namespace velmora::services {

using namespace core;
using namespace language;

namespace {

constexpr Int32 OkButtonMessage = 64;
constexpr Int32 ErrorPrefixMessage = 10;
constexpr Int32 WarningPrefixMessage = 14;

GS::UniString ShownText(const TS_String& text)
{
    return text.IsEmpty() ? GS::UniString() : text.ToUniString();
}

} // namespace

void ShowAlert(Int16 alertType, const TS_String& title, const TS_String& largeText,
               const TS_String& smallText)
{
    const GS::UniString okText = LocalisedText(MessageListBase, OkButtonMessage).ToUniString();
    DGAlert(alertType, ShownText(title), ShownText(largeText), ShownText(smallText), okText, GS::UniString(),
            GS::UniString());
}

TS_String PrefixedMessage(const TS_String& message, MessageKind kind, const TS_String& separator,
                          FirstUnitCase firstUnit)
{
    if (message.IsNull() || separator.IsNull())
        return TS_String("");
    TS_String result = LocalisedText(MessageListBase,
                                     kind == MessageKind::Error ? ErrorPrefixMessage : WarningPrefixMessage);
    result += separator;
    // The first unit alone is re-cased: a name or code in the rest of the message
    // keeps its case.
    const TS_String first = message.Mid(0, 1);
    result += firstUnit == FirstUnitCase::Lower ? first.ToLower() : first.ToUpper();
    result += message.Mid(1);
    return result;
}

} // namespace velmora::services
