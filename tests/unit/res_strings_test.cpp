// Localised texts fetched from the resources built into the test program, as the
// add-on fetches them from its own file.
#include <gtest/gtest.h>

#include <string>

#include "core/ResStrings.hpp"
#include "language/Language.hpp"
#include "shell/Module.hpp"
#include "test_support.hpp"

using namespace velmora::core;
using namespace velmora::language;
using namespace velmora::shell;

namespace {

std::string Fetch(int listId, Int32 entry)
{
    TS_String text("previous content");
    TS_String& result = GetResString(text, static_cast<Int16>(listId), entry);
    EXPECT_EQ(&result, &text);
    return velmora::test::Utf8(text.ToUniString());
}

class ResStringsTest : public ::testing::Test {
protected:
    void SetUp() override { velmora::shell::OnModuleLoad(velmora::test::TestProgramModule()); }
    void TearDown() override
    {
        velmora::shell::OnModuleUnload();
        CurrentLanguage = 1;
    }
};

TEST_F(ResStringsTest, EachLanguageFetchesItsOwnList)
{
    const char* cancel[] = {"Annulla", "Cancel", "Annuler", "Abbrechen", "Cancelar", "キャンセル", "Отмена"};
    for (Int16 language = 0; language < LanguageCount; ++language) {
        CurrentLanguage = language;
        EXPECT_EQ(Fetch(static_cast<Int16>(MessageListBase + language), 5), cancel[language]);
        EXPECT_EQ(velmora::test::Utf8(LocalisedText(MessageListBase, 5).ToUniString()), cancel[language]);
    }
}

TEST_F(ResStringsTest, MissingLibraryListsFallBackToEnglish)
{
    for (Int16 language : {Int16{5}, Int16{6}}) {
        CurrentLanguage = language;
        EXPECT_EQ(Fetch(static_cast<Int16>(LibraryListBase + language), 16), "Version:");
        EXPECT_EQ(Fetch(static_cast<Int16>(LibraryListBase + language), 20), "Save as Text...");
    }
    CurrentLanguage = 3;
    EXPECT_EQ(Fetch(LibraryListBase + 3, 16), "Version:"); // German has its own list
    EXPECT_EQ(Fetch(LibraryListBase + 3, 18), "Betriebssystem:");
}

TEST_F(ResStringsTest, TextsNoListHoldsGiveThePlaceholder)
{
    CurrentLanguage = 1;
    EXPECT_EQ(Fetch(MessageListBase + 1, 200), "_ERR_NO_"); // beyond the list's end
    EXPECT_EQ(Fetch(MessageListBase + 1, 0), "_ERR_NO_");
    CurrentLanguage = 6;
    EXPECT_EQ(Fetch(LibraryListBase + 6, 99), "_ERR_NO_"); // neither the list nor English has it
    EXPECT_EQ(Fetch(32600, 1), "_ERR_NO_");
}

TEST_F(ResStringsTest, EmptyEntriesAreEmptyTexts)
{
    CurrentLanguage = 1;
    TS_String text("x");
    GetResString(text, static_cast<Int16>(LibraryListBase + 1), 19);
    EXPECT_FALSE(text.IsNull());
    EXPECT_EQ(text.GetLength(), 0u);
}

TEST_F(ResStringsTest, MenuListsKeepTheHostsControlCodes)
{
    CurrentLanguage = 1;
    EXPECT_EQ(Fetch(MenuListBase + 1, 1), "VelmoraLibrary");
    EXPECT_EQ(Fetch(MenuListBase + 1, 5), "Check for Updates automatically^E3^ES^ED^EL^M");
    EXPECT_EQ(Fetch(MenuTextListBase + 1, 4), "Check for Updates automatically");
    CurrentLanguage = 2;
    EXPECT_EQ(Fetch(MenuTextListBase + 2, 4), "Vérifiez les mises à jour automatiquement");
}

TEST_F(ResStringsTest, WithoutResourcesEveryTextIsThePlaceholder)
{
    velmora::shell::OnModuleUnload();
    CurrentLanguage = 3;
    EXPECT_EQ(Fetch(MessageListBase + 3, 5), "_ERR_NO_");
    velmora::shell::OnModuleLoad(velmora::test::TestProgramModule());
}

} // namespace
