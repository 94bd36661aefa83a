// The maker's addresses: the update page's query per item and language, the home
// page, the version list, and the run-time override of the update server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "TestSupport.hpp"
#include "language/Language.hpp"
#include "update/UpdatePage.hpp"

using namespace velmora::core;
using namespace velmora::language;

namespace {

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

TEST(UpdatePageTest, QueryPerItemAndLanguage)
{
    ServerOverride server("http://127.0.0.1:8123");
    struct Case {
        Int16 language;
        Int16 item;
        const char* query;
    } cases[] = {
        {1, 5, "?acver=19&lang=1&addon=VelmoraLibrary"},
        {1, 7, "?acver=19&lang=1&addon=VelmoraLibrary&lib=Unknown"},
        {0, 7, "?acver=19&lang=0&addon=VelmoraLibrary&lib=Unknown"},
        {0, 5, "?acver=19&lang=0&addon=VelmoraLibrary"},
        {3, 5, "?acver=19&lang=3&addon=VelmoraLibrary"},
        {6, 7, "?acver=19&lang=6&addon=VelmoraLibrary&lib=Unknown"},
    };
    for (const Case& c : cases) {
        CurrentLanguage = c.language;
        EXPECT_EQ(Text(BuildUpdatePageAddress(c.item)),
                  std::string("http://127.0.0.1:8123/update_plugins/updates.htm") + c.query)
            << "language " << c.language << ", item " << c.item;
    }
}

TEST(UpdatePageTest, ServerOfTheBuildUnlessAWebAddressOverridesIt)
{
    struct Case {
        const char* name;
        const char* value;
        const char* server;
    } cases[] = {
        {"no override", nullptr, VELMORA_UPDATE_SERVER},
        {"empty override", "", VELMORA_UPDATE_SERVER},
        {"not a web address", "/etc/passwd", VELMORA_UPDATE_SERVER},
        {"scheme without host", "https://", VELMORA_UPDATE_SERVER},
        {"blank inside", "http://a b", VELMORA_UPDATE_SERVER},
        {"local server", "http://127.0.0.1:4711", "http://127.0.0.1:4711"},
        {"final slashes dropped", "https://mirror.example.com//", "https://mirror.example.com"},
        {"with a path", "http://[::1]:80/velmora", "http://[::1]:80/velmora"},
    };
    for (const Case& c : cases) {
        ServerOverride server(c.value);
        EXPECT_EQ(Text(VersionListAddress()), std::string(c.server) + "/update_plugins/versions16.txt")
            << c.name;
        EXPECT_EQ(Text(BuildUpdatePageAddress(5)),
                  std::string(c.server) + "/update_plugins/updates.htm?acver=19&lang=1&addon=VelmoraLibrary")
            << c.name;
    }
}

TEST(UpdatePageTest, BuildDefaultsAreHttpsAndTheHomePageIsTheSiteRoot)
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
