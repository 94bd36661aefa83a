// A fresh per-user folder for the configuration files, with the in-memory lists
// forgotten before and after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.hpp"
#include "kit/Host.hpp"
#include "language/Language.hpp"
#include "prefs/ConfigFile.hpp"

using namespace velmora::core;
using namespace velmora::prefs;
using namespace velmora::language;

namespace velmora::test {

inline std::string Utf8Of(const TS_String& text)
{
    return Utf8(text.ToUniString());
}

class SettingsFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        kit::SetSpecialFolder(14, folder.Native());
        Reset();
    }
    void TearDown() override
    {
        Reset();
        kit::InjectFileFault(kit::FileFault::None);
        kit::SetSpecialFolder(14, "");
        CurrentLanguage = 1;
    }
    // Forgets what was read: the next lookup reads the files again.
    static void Reset()
    {
        ClearSettings(OwnSettings);
        ClearSettings(SharedSettings);
        OwnLoaded = false;
        SharedLoaded = false;
        OwnUnread = false;
        SharedUnread = false;
    }
    std::string OwnFile() const { return folder.File("VelmoraLibrary_190.cfg"); }
    std::string SharedFile() const { return folder.File("VelmoraPlugins.cfg"); }

    TempFolder folder;
};

} // namespace velmora::test
