// Starting a check from the menu: manual, or automatic at most every 14 days.
#include "update/UpdateCheck.hpp"

#include <ctime>

#include "prefs/ConfigFile.hpp"
#include "prefs/Settings.hpp"
#include "update/CheckMachine.hpp"
#include "update/CheckPeriod.hpp"
#include "update/MakerServer.hpp"
#include "update/VersionList.hpp"

namespace velmora::update {

using core::TS_String;
using prefs::AutoUpdateKey;
using prefs::GetSetting;
using prefs::GetSettingInt;
using prefs::LastUpdateCheckKey;
using prefs::LoadConfig;
using prefs::OwnConfig;
using prefs::PutSettingInt;
using prefs::SaveConfig;
using prefs::StoreSetting;
namespace {

constexpr int DoNothingKind = 2;

} // namespace

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

    CheckRequest request;
    request.manual = manual;
    request.libraryName = libraryName;
    request.installedLine = versionLine;
    request.listAddress = VersionListAddress();
    // A file of this check's own: another host with the same user folder may be
    // checking at the same time.
    if (!FreshVersionListPath(&request.listPath))
        return false;
    request.deadline = CheckClock::now() + CheckTimeLimit;
    if (BeginCheck(request) != BeginOutcome::Started)
        return true; // refused, shown, or failed with its alert: the time is not stored

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
    EndCheck();
}

} // namespace velmora::update
