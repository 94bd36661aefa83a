// Alerts: the one way the add-on shows an alert box (always one button, the
// localised "OK"), and error or warning prefixes in front of a message.
#pragma once

#include "GSRoot.hpp"
#include "core/TS_String.hpp"

// [any thread] Shows the host's alert box and returns when the user has dismissed
// it; blocks only the calling thread. Texts of length 0 are shown as no text.
void ShowAlert(Int16 alertType, const TS_String& title, const TS_String& largeText,
               const TS_String& smallText);

// [any thread] The localised "Error" (error set) or "Warning", the separator, and
// the message with its first unit lower-cased (lowerFirst) or upper-cased. A null
// message or separator gives an empty string.
TS_String PrefixedMessage(const TS_String& message, bool error, const TS_String& separator, bool lowerFirst);
