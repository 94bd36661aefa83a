// The period of the automatic check: at most one every 14 days.
#pragma once

#include "GSRoot.hpp"

namespace velmora::update {

// The shortest time between two automatic checks, in seconds (14 days).
constexpr Int64 CheckPeriodSeconds = 1209600;

// [any thread] Whether an automatic check at `now` (seconds since 1970 UTC) comes
// less than CheckPeriodSeconds after the last check, stored as `lastCheck`: the low
// 32 bits of its time read as a signed number, 0 for none. A last check in the
// future does not count.
bool TooEarlyForAutomaticCheck(Int32 lastCheck, Int64 now);

} // namespace velmora::update
