// The maker's addresses: the update page's query per item and language, the home
// page, the version list, and the run-time override of the update server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <tuple>

#include "TestSupport.hpp"
#include "language/Language.hpp"
#include "update/MakerServer.hpp"

namespace {

using namespace velmora::update;
using velmora::language::CurrentLanguage;
using velmora::test::Utf8;

std::string Text(const velmora::core::TS_String& text)
{
    return Utf8(text.ToUniString());
}

// Sets or removes the override (empty: removed); the destructor restores the one before.
struct ServerOverride {
    explicit ServerOverride(const char* value) { Set(value); }
    ~ServerOverride()
    {
        Set(before.c_str());
        CurrentLanguage = 1;
    }
    static void Set(const char* value)
    {
#if defined(_WIN32)
        _putenv_s("VELMORA_UPDATE_SERVER", value != nullptr ? value : "");
#else
        if (value != nullptr && *value != 0)
            setenv("VELMORA_UPDATE_SERVER", value, 1);
        else
            unsetenv("VELMORA_UPDATE_SERVER");
#endif
    }
    const std::string before = velmora::test::Environment("VELMORA_UPDATE_SERVER");
};

TEST(MakerServerTest, QueryPerItemAndLanguage)
{
    ServerOverride server("http://127.0.0.1:8123");
    const Download addOn = Download::AddOn, library = Download::Library;
    const std::tuple<Int16, Download, const char*> rows[] = {
        {1, addOn, "?acver=19&lang=1&addon=VelmoraLibrary"},
        {1, library, "?acver=19&lang=1&addon=VelmoraLibrary&lib=Unknown"},
        {0, library, "?acver=19&lang=0&addon=VelmoraLibrary&lib=Unknown"},
        {0, addOn, "?acver=19&lang=0&addon=VelmoraLibrary"},
        {3, addOn, "?acver=19&lang=3&addon=VelmoraLibrary"},
        {6, library, "?acver=19&lang=6&addon=VelmoraLibrary&lib=Unknown"},
    };
    for (const auto& [language, download, query] : rows) {
        CurrentLanguage = language;
        EXPECT_EQ(Text(UpdatePageAddress(download)),
                  std::string("http://127.0.0.1:8123/update_plugins/updates.htm") + query)
            << "language " << language << ", library " << (download == library);
    }
}

TEST(MakerServerTest, ServerOfTheBuildUnlessAWebAddressOverridesIt)
{
    // name, value of the override (null: none), server
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"no override", nullptr, VELMORA_UPDATE_SERVER},
        {"empty override", "", VELMORA_UPDATE_SERVER},
        {"not a web address", "/etc/passwd", VELMORA_UPDATE_SERVER},
        {"scheme without host", "https://", VELMORA_UPDATE_SERVER},
        {"blank inside", "http://a b", VELMORA_UPDATE_SERVER},
        {"local server", "http://127.0.0.1:4711", "http://127.0.0.1:4711"},
        {"final slashes dropped", "https://mirror.example.com//", "https://mirror.example.com"},
        {"with a path", "http://[::1]:80/velmora", "http://[::1]:80/velmora"},
    };
    for (const auto& [name, value, server] : rows) {
        ServerOverride set(value);
        EXPECT_EQ(Text(VersionListAddress()), std::string(server) + "/update_plugins/versions16.txt") << name;
        EXPECT_EQ(Text(UpdatePageAddress(Download::AddOn)),
                  std::string(server) + "/update_plugins/updates.htm?acver=19&lang=1&addon=VelmoraLibrary")
            << name;
    }
}

TEST(MakerServerTest, BuildDefaultsAreHttpsAndTheHomePageIsTheSiteRoot)
{
    ServerOverride server("http://127.0.0.1:8123");
    EXPECT_EQ(std::string(VELMORA_UPDATE_SERVER).rfind("https://", 0), 0u);
    const std::string home = Text(HomePageAddress());
    EXPECT_EQ(home, VELMORA_HOME_PAGE "/");
    EXPECT_TRUE(std::regex_match(home, std::regex("https://[^/?#]+/"))) << "https, the root, no query";
}

} // namespace
