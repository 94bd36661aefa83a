// The host's file-type manager: the types that file dialogs offer.
#include <gtest/gtest.h>

#include <string>

#include "FTM.hpp"
#include "RS.hpp"

namespace {

FTM::FileType TextType()
{
    return FTM::FileType("Text Files", "TXT", RSType('G', 'S', 'A', 'C'), RSType('T', 'E', 'X', 'T'), 145);
}

FTM::FileType Lookup(FTM::TypeID id)
{
    FTM::FileType found("", "", 0, 0, 0);
    EXPECT_TRUE(FTM::GetFileType(id, &found)) << "type " << id;
    return found;
}

} // namespace

TEST(FTM, RegisteredTypesCanBeLookedUp)
{
    FTM::FileTypeManager manager("Module");
    const FTM::TypeID id = manager.AddType(TextType());
    ASSERT_NE(id, 0u);

    const FTM::FileType found = Lookup(id);
    EXPECT_STREQ(found.description, "Text Files");
    EXPECT_STREQ(found.extension, "TXT");
    EXPECT_EQ(found.macType, 0x47534143u);    // 'GSAC'
    EXPECT_EQ(found.macCreator, 0x54455854u); // 'TEXT'
    EXPECT_EQ(found.iconId, 145);
}

TEST(FTM, IdentifiersAreUniqueAcrossManagers)
{
    FTM::FileTypeManager first("Module");
    FTM::FileTypeManager second("Other");
    const FTM::TypeID a = first.AddType(TextType());
    const FTM::TypeID b = first.AddType(FTM::FileType("Pictures", "BMP", 0, 0, 1));
    const FTM::TypeID c = second.AddType(TextType());
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, b);
    EXPECT_NE(a, c);
    EXPECT_NE(b, c);
    EXPECT_STREQ(Lookup(b).extension, "BMP");
}

TEST(FTM, TypesLiveAsLongAsTheirManager)
{
    FTM::TypeID id = 0;
    {
        FTM::FileTypeManager manager("Module");
        id = manager.AddType(TextType());
        ASSERT_NE(id, 0u);
        EXPECT_TRUE(FTM::GetFileType(id, nullptr));
    }
    EXPECT_FALSE(FTM::GetFileType(id, nullptr));

    FTM::FileTypeManager later("Module");
    EXPECT_NE(later.AddType(TextType()), id); // identifiers are not reused
}

TEST(FTM, RefusesWhatItCannotRegister)
{
    FTM::FileTypeManager manager("Module");
    EXPECT_EQ(manager.AddType(FTM::FileType("", "TXT", 0, 0, 0)), 0u);
    EXPECT_EQ(manager.AddType(TextType(), 7), 0u); // only the root group exists
    EXPECT_FALSE(FTM::GetFileType(0, nullptr));
    EXPECT_FALSE(FTM::GetFileType(0xFFFFFFF0u, nullptr));
}

TEST(FTM, LongTextsAreCutAndTerminated)
{
    const std::string description(300, 'd');
    const FTM::FileType type(description.c_str(), "EXTENSIONTOOLONG1234", 0, 0, 0);
    EXPECT_EQ(std::string(type.description), std::string(127, 'd'));
    EXPECT_EQ(std::string(type.extension), "EXTENSIONTOOLON");
    const FTM::FileType none(nullptr, nullptr, 0, 0, 0);
    EXPECT_STREQ(none.description, "");
    EXPECT_STREQ(none.extension, "");
}
