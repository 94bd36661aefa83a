// Starting a check: manual, or automatic at most every 14 days.
#include "update/UpdateCheck.hpp"

#include <ctime>

#include "DG.h"
#include "prefs/ConfigFile.hpp"
#include "prefs/Settings.hpp"
#include "update/UpdateCheckState.hpp"
#include "update/UpdateCheckSteps.hpp"
#include "update/UpdatePage.hpp"
#include "update/VersionList.hpp"

using namespace velmora::core;
using namespace velmora::prefs;

using namespace velmora::update;

namespace {

constexpr int DoNothingKind = 2;

} // namespace

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

bool CheckForUpdates(int kind, bool manual, const TS_String& versionLine, const TS_String& libraryName)
{
    if (kind == DoNothingKind)
        return true;
    const TS_String key = LastUpdateCheckKey();
    LoadConfig(OwnConfig, true);
    const Int64 now = static_cast<Int64>(std::time(nullptr));
    if (!manual && TooEarlyForAutomaticCheck(GetSettingInt(OwnConfig, key, true), now))
        return true;
    if (versionLine.IsEmpty())
        return false;
    // A file of this check's own: another host with the same user folder may be
    // checking at the same time.
    TS_String listPath;
    if (!FreshVersionListPath(&listPath))
        return false;

    const CheckStart start = BeginCheck(manual, libraryName, versionLine, VersionListAddress(), listPath,
                                        CheckClock::now() + CheckTimeLimit);
    if (start.outcome == CheckStart::Refused)
        return true; // the running check's window stays as it is
    if (start.outcome == CheckStart::MadeManual) {
        DGShowModelessDialog(start.dialId, 0);
        return true;
    }
    if (start.createWindow)
        CreateCheckWindow(start.serial);
    if (start.startTransfer && !StartCheckTransfer(start.serial))
        return true; // the alert has been shown; the time is not stored

    // Stored when the check starts: a check that fails later still postpones the
    // next automatic one.
    PutSettingInt(OwnConfig, key, static_cast<Int32>(static_cast<UInt32>(now)), true);
    SaveConfig(OwnConfig);
    return true;
}

bool AutoCheckForUpdates(int kind, const TS_String& versionLine, const TS_String& libraryName)
{
    if (kind == DoNothingKind)
        return true;
    const TS_String value = GetSetting(OwnConfig, AutoUpdateKey, true);
    if (value.IsEmpty()) {
        // The first command of a new user turns the automatic check on, and checks nothing yet.
        StoreSetting(OwnConfig, AutoUpdateKey, "1", true);
        return true;
    }
    if (value.ToLong() != 1)
        return true;
    return CheckForUpdates(kind, false, versionLine, libraryName);
}

void EndUpdateCheck()
{
    const UInt32 serial = CurrentCheck().serial;
    RequestAbort(serial);
    CloseCheckWindow(serial);
}
