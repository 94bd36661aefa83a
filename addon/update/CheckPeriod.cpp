#include "update/CheckPeriod.hpp"

namespace velmora::update {

bool TooEarlyForAutomaticCheck(Int32 lastCheck, Int64 now)
{
    if (lastCheck == 0)
        return false;
    // The setting holds the low 32 bits of the time. Their difference to the low 32
    // bits of now, taken modulo 2^32, is the time since that check as long as it lies
    // within 68 years either way: right past 2038 too, where the stored value turns
    // negative and now does not.
    const auto elapsed =
        static_cast<Int32>(static_cast<UInt32>(static_cast<UInt64>(now)) - static_cast<UInt32>(lastCheck));
    // A last check in the future (a clock set back, or a damaged value that reads as
    // 2038) is no check: it would otherwise suppress automatic checks for years.
    return elapsed >= 0 && elapsed < CheckPeriodSeconds;
}

} // namespace velmora::update
