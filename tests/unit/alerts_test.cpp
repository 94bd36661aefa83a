// Alerts as the host receives them, and messages with their localised prefix.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kit/DialogDriver.hpp"
#include "language/Language.hpp"
#include "services/Alerts.hpp"
#include "shell/Module.hpp"
#include "test_support.hpp"

using namespace velmora::core;
using namespace velmora::language;
using namespace velmora::services;
using namespace velmora::shell;

namespace {

using velmora::test::Utf8;

class RecordingDriver : public kit::DialogDriver {
public:
    void RunModal(Int16) override {}
    Int16 OnAlert(const kit::AlertRequest& request) override
    {
        alerts.push_back(request);
        return 1;
    }
    bool OnFileDialog(const kit::FileDialogRequest&, std::string*, UInt32*) override { return false; }
    std::vector<kit::AlertRequest> alerts;
};

class AlertsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        velmora::shell::OnModuleLoad(velmora::test::TestProgramModule());
        kit::SetDialogDriver(&driver);
    }
    void TearDown() override
    {
        kit::SetDialogDriver(nullptr);
        velmora::shell::OnModuleUnload();
        CurrentLanguage = 1;
    }
    RecordingDriver driver;
};

std::string Text(const TS_String& text)
{
    return text.IsNull() ? "<null>" : Utf8(text.ToUniString());
}

TEST_F(AlertsTest, AlertHasOneLocalisedButtonAndEmptyTextsWhereNoneWereGiven)
{
    CurrentLanguage = 6;
    ShowAlert(-1, TS_String(), TS_String("Unable to get an internet connection."), TS_String(""));
    ASSERT_EQ(driver.alerts.size(), 1u);
    const kit::AlertRequest& alert = driver.alerts[0];
    EXPECT_EQ(alert.type, -1);
    EXPECT_EQ(Utf8(alert.title), "");
    EXPECT_EQ(Utf8(alert.largeText), "Unable to get an internet connection.");
    EXPECT_EQ(Utf8(alert.smallText), "");
    EXPECT_EQ(Utf8(alert.buttons[0]), "OK");
    EXPECT_EQ(Utf8(alert.buttons[1]), "");
    EXPECT_EQ(Utf8(alert.buttons[2]), "");
}

TEST_F(AlertsTest, PrefixedMessages)
{
    const TS_String separator(": ");
    const TS_String null;
    struct Case {
        const char* name;
        Int16 language;
        TS_String message;
        bool error;
        TS_String separator;
        bool lowerFirst;
        const char* expected;
    } cases[] = {
        {"error keeps a lower-case start", 1, "documento sconosciuto!", true, separator, true,
         "Error: documento sconosciuto!"},
        {"warning capitalises", 1, "documento sconosciuto!", false, separator, false,
         "Warning: Documento sconosciuto!"},
        {"error lower-cases", 3, "Datei fehlt", true, separator, true, "Fehler: datei fehlt"},
        {"only the first unit is re-cased", 1, "aBC", false, separator, false, "Warning: ABC"},
        {"one character", 2, "x", false, separator, false, "Attention: X"},
        {"Cyrillic first letter", 6, TS_String("Файл", TextEncoding::Utf8), true, separator, true,
         "Ошибка: файл"},
        {"Japanese prefix", 5, "abc", false, separator, false, "警告: Abc"},
        {"empty message keeps prefix and separator", 1, "", true, separator, true, "Error: "},
        {"null message gives empty", 1, null, true, separator, true, ""},
        {"null separator gives empty", 1, "abc", true, null, true, ""},
    };
    for (const Case& c : cases) {
        CurrentLanguage = c.language;
        const TS_String result =
            PrefixedMessage(c.message, c.error ? MessageKind::Error : MessageKind::Warning, c.separator,
                            c.lowerFirst ? FirstUnitCase::Lower : FirstUnitCase::Upper);
        EXPECT_FALSE(result.IsNull()) << c.name;
        EXPECT_EQ(Text(result), c.expected) << c.name;
    }
}

} // namespace
