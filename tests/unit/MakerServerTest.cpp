// The maker's addresses: the update page's query per item and language, the home
// page, the version list, and the run-time override of the update server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "language/Language.hpp"
#include "test_support.hpp"
#include "update/MakerServer.hpp"

namespace {

using namespace velmora::update;
using velmora::test::Utf8;

std::string Text(const TS_String& text)
{
    return Utf8(text.ToUniString());
}

// Sets or removes the override for one test, and restores the environment after it.
class ServerOverride {
public:
    explicit ServerOverride(const char* value)
    {
        const char* old = std::getenv(Name);
        hadOld = old != nullptr;
        if (hadOld)
            oldValue = old;
        Set(value);
    }
    ~ServerOverride()
    {
        Set(hadOld ? oldValue.c_str() : nullptr);
        CurrentLanguage = 1;
    }
    ServerOverride(const ServerOverride&) = delete;
    ServerOverride& operator=(const ServerOverride&) = delete;

private:
    static void Set(const char* value)
    {
#if defined(_WIN32)
        _putenv_s(Name, value != nullptr ? value : "");
#else
        if (value != nullptr)
            setenv(Name, value, 1);
        else
            unsetenv(Name);
#endif
    }
    static constexpr const char* Name = "VELMORA_UPDATE_SERVER";
    bool hadOld = false;
    std::string oldValue;
};

TEST(MakerServerTest, QueryPerItemAndLanguage)
{
    ServerOverride server("http://127.0.0.1:8123");
    const Download addOn = Download::AddOn, library = Download::Library;
    struct Row {
        Int16 language;
        Download download;
        const char* query;
    } rows[] = {
        {1, addOn, "?acver=19&lang=1&addon=VelmoraLibrary"},
        {1, library, "?acver=19&lang=1&addon=VelmoraLibrary&lib=Unknown"},
        {0, library, "?acver=19&lang=0&addon=VelmoraLibrary&lib=Unknown"},
        {0, addOn, "?acver=19&lang=0&addon=VelmoraLibrary"},
        {3, addOn, "?acver=19&lang=3&addon=VelmoraLibrary"},
        {6, library, "?acver=19&lang=6&addon=VelmoraLibrary&lib=Unknown"},
    };
    for (const Row& row : rows) {
        CurrentLanguage = row.language;
        EXPECT_EQ(Text(UpdatePageAddress(row.download)),
                  std::string("http://127.0.0.1:8123/update_plugins/updates.htm") + row.query)
            << "language " << row.language << ", library " << (row.download == library);
    }
}

TEST(MakerServerTest, ServerOfTheBuildUnlessAWebAddressOverridesIt)
{
    struct Row {
        const char* name;
        const char* value;
        const char* server;
    } rows[] = {
        {"no override", nullptr, VELMORA_UPDATE_SERVER},
        {"empty override", "", VELMORA_UPDATE_SERVER},
        {"not a web address", "/etc/passwd", VELMORA_UPDATE_SERVER},
        {"scheme without host", "https://", VELMORA_UPDATE_SERVER},
        {"blank inside", "http://a b", VELMORA_UPDATE_SERVER},
        {"local server", "http://127.0.0.1:4711", "http://127.0.0.1:4711"},
        {"final slashes dropped", "https://mirror.example.com//", "https://mirror.example.com"},
        {"with a path", "http://[::1]:80/velmora", "http://[::1]:80/velmora"},
    };
    for (const Row& row : rows) {
        ServerOverride server(row.value);
        EXPECT_EQ(Text(VersionListAddress()), std::string(row.server) + "/update_plugins/versions16.txt")
            << row.name;
        EXPECT_EQ(Text(UpdatePageAddress(Download::AddOn)),
                  std::string(row.server) +
                      "/update_plugins/updates.htm?acver=19&lang=1&addon=VelmoraLibrary")
            << row.name;
    }
}

TEST(MakerServerTest, BuildDefaultsAreHttpsAndTheHomePageIsTheSiteRoot)
{
    ServerOverride server("http://127.0.0.1:8123");
    EXPECT_EQ(std::string(VELMORA_UPDATE_SERVER).rfind("https://", 0), 0u);
    EXPECT_EQ(Text(HomePageAddress()), VELMORA_HOME_PAGE "/");
    const std::string home = Text(HomePageAddress());
    EXPECT_EQ(home.rfind("https://", 0), 0u);
    EXPECT_EQ(home.find('/', 8), home.size() - 1) << "the root, no path";
    EXPECT_EQ(home.find('?'), std::string::npos) << "no query";
}

} // namespace
