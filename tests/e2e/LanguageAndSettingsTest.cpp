// The language and the automatic-update mark as a person uses them: velmora-host
// runs the built add-on from a script, the choices land in the add-on's own
// configuration file in the per-user folder, and a new host finds them again.
#include <gtest/gtest.h>

#include <string>

#include "E2eSupport.hpp"
#include "TestSupport.hpp"

namespace {

using LanguageAndSettingsTest = velmora::e2e::HostTest;

TEST_F(LanguageAndSettingsTest, ChoicesSurviveARestartOfTheHost)
{
    auto first = Host(R"(
        expect-menu 2 "Language"
        expect-checked 4                    # no setting yet: shown as on
        menu 4
        expect-unchecked 4
        menu 2
        expect-title "VelmoraLibrary"
        expect-rows 3 2                     # only Italian and English are offered
        expect-row 3 1 "Italiano"
        expect-row 3 2 "International English"
        expect-selected 3 2
        expect-text 2 "Cancel"
        select 3 1                          # the preview speaks Italian at once
        expect-text 2 "Annulla"
        expect-text 6 "Per attivare la lingua selezionata, avviare di nuovo ArchiCAD."
        expect-text 1 "OK"
        click 1
        expect-no-dialog
        expect-menu 2 "Lingua"
        expect-menu-title "VelmoraLibrary"
        expect-call "ACAPI_Register_Menu(menu=32501"
        restart
        expect-call "ACAPI_Register_Menu(menu=32500"
        expect-menu 1 "Informazioni su VelmoraLibrary"
        expect-unchecked 4
        quit)");
    ASSERT_EQ(first.exitCode, 0) << first.output;
    EXPECT_EQ(Config(), "$AutoUpdate: 0\r\n$Language_str: ita\r\n");

    // A new host process finds both choices in the file.
    auto second = Host(R"(
        expect-menu 2 "Lingua"
        expect-unchecked 4
        menu 4
        expect-checked 4
        quit)");
    ASSERT_EQ(second.exitCode, 0) << second.output;
    // The first command with the check switched on also ran the automatic check,
    // which stored its time.
    EXPECT_EQ(Config().rfind("$AutoUpdate: 1\r\n$Language_str: ita\r\n$LastUpdateCheck_190: ", 0), 0u)
        << Config();
}

TEST_F(LanguageAndSettingsTest, CancelRestoresTheLanguageAndWritesNothing)
{
    auto run = Host(R"(
        menu 2
        select 3 1
        expect-text 2 "Annulla"
        click 2
        expect-menu 2 "Language"
        menu 2
        expect-text 2 "Cancel"
        expect-selected 3 2
        click 1                             # OK on the language of the opening
        quit)");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    // Only the first command's automatic-check setting of a new user is written.
    EXPECT_EQ(Config(), "$AutoUpdate: 1\r\n");
}

TEST_F(LanguageAndSettingsTest, AStoredLanguageTheDialogDoesNotOfferSelectsTheFirstRow)
{
    // German, stored by another member of the family; the dialog offers Italian and English.
    WriteConfig("$Language_str: ger\r\n$Other: kept\r\n");
    auto run = Host(R"(
        expect-menu 2 "Sprache"
        expect-call "ACAPI_Register_Menu(menu=32503"
        menu 2
        expect-text 2 "Abbrechen"
        expect-selected 3 1
        click 1
        expect-menu 2 "Lingua"
        quit)");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(Config(), "$Language_str: ita\r\n$Other: kept\r\n$AutoUpdate: 1\r\n");
}

TEST_F(LanguageAndSettingsTest, JapaneseAndRussianMenusShowTheEnglishTexts)
{
    for (const char* code : {"jap", "rus"}) {
        WriteConfig(std::string("$Language_str: ") + code + "\r\n");
        auto run = Host(R"(
            expect-menu 1 "About VelmoraLibrary"
            expect-menu 4 "Check for Updates automatically"
            menu 2
            expect-rows 3 2
            expect-selected 3 1
            click 2
            quit)");
        EXPECT_EQ(run.exitCode, 0) << code << "\n" << run.output;
    }
}

TEST_F(LanguageAndSettingsTest, ADamagedFileReadsAsEnglishAndTheToggleRepairsIt)
{
    velmora::test::WriteFileBytes(userFolder.File("VelmoraLibrary_190.cfg"), "not a configuration file");
    auto run = Host(R"(
        expect-menu 2 "Language"
        expect-checked 4
        menu 4
        expect-unchecked 4
        quit)");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(Config(), "$AutoUpdate: 0\r\n");
}

TEST_F(LanguageAndSettingsTest, TheMarkFollowsTheStoredAutomaticUpdateSetting)
{
    struct Case {
        const char* stored;
        const char* expectation;
    } cases[] = {
        {"$AutoUpdate: 1\r\n", "expect-checked 4"},
        {"$AutoUpdate: \r\n", "expect-checked 4"},      // present but empty: as if missing
        {"$AutoUpdate: yes\r\n", "expect-unchecked 4"}, // no number: the host's flags stay
    };
    for (const Case& c : cases) {
        WriteConfig(c.stored);
        auto run = Host(std::string(c.expectation) + "\nquit");
        EXPECT_EQ(run.exitCode, 0) << c.stored << "\n" << run.output;
    }
}

} // namespace
