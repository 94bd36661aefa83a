// Alerts: the one way the add-on shows an alert box (always one button, the
// localised "OK"), and error or warning prefixes in front of a message.
#pragma once

#include "GSRoot.hpp"
#include "core/TS_String.hpp"

namespace velmora::services {

// [any thread] Shows the host's alert box and returns when the user has dismissed
// it; blocks only the calling thread. Texts of length 0 are shown as no text.
void ShowAlert(Int16 alertType, const core::TS_String& title, const core::TS_String& largeText,
               const core::TS_String& smallText);

// What a prefixed message is: its prefix is the localised "Error" or "Warning".
enum class MessageKind { Error, Warning };
// How the message's first unit is cased after the prefix.
enum class FirstUnitCase { Lower, Upper };

// [any thread] The localised prefix of `kind`, the separator, and the message with
// its first unit re-cased as `firstUnit` says. A null message or separator gives an
// empty string.
core::TS_String PrefixedMessage(const core::TS_String& message, MessageKind kind,
                                const core::TS_String& separator, FirstUnitCase firstUnit);

} // namespace velmora::services
