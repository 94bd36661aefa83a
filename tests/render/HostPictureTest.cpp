// A picture that velmora-host takes of the built add-on's language dialog, from a
// script as a person would: the dialog as the add-on filled it, in its frame.
#include <gtest/gtest.h>

#include <string>

#include "E2eSupport.hpp"
#include "PicturePixels.hpp"
#include "PictureTheme.hpp"
#include "TestSupport.hpp"

namespace {

namespace theme = velmora::render::theme;
using velmora::test::Pixels;

TEST(HostPicture, LanguageDialogAsTheAddOnFilledIt)
{
    velmora::test::TempFolder user, work;
    auto run = velmora::e2e::RunProgram(velmora::e2e::HostProgram(),
                                        {"--user-folder", user.Native(), "-c",
                                         "menu 2; snapshot english.png; select 3 1; snapshot italian.png"},
                                        work.File("output.txt"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    Pixels english, italian;
    ASSERT_TRUE(velmora::test::ReadPicture(user.File("english.png"), &english));
    ASSERT_TRUE(velmora::test::ReadPicture(user.File("italian.png"), &italian));

    // The size the add-on set (483 x 282) in the window's frame.
    const int left = theme::FrameBorderWidth, top = theme::FrameBorderWidth + theme::TitleBarHeight;
    EXPECT_EQ(english.width, 483 + 2 * left);
    EXPECT_EQ(english.height, 282 + top + left);

    // The rows the add-on made: its row images in 30-pixel rows of a field from 5,
    // English selected at opening, Italian after the selection.
    const int listLeft = left + 10 + 1, listTop = top + 10 + 1;
    std::string why;
    EXPECT_TRUE(Contains(english, velmora::test::ResourceImage("language_row_0.bmp"), listLeft + 5,
                         listTop + 3, &why))
        << why;
    EXPECT_TRUE(Contains(english, velmora::test::ResourceImage("language_row_1.bmp"), listLeft + 5,
                         listTop + 33, &why))
        << why;
    EXPECT_EQ(english.At(listLeft + 1, listTop + 31), theme::Selection.rgb);
    EXPECT_EQ(italian.At(listLeft + 1, listTop + 1), theme::Selection.rgb);
    EXPECT_EQ(italian.At(listLeft + 1, listTop + 31), theme::FieldFace.rgb);

    // The preview changed the note and Cancel, not OK.
    const velmora::test::Region note{left + 10, top + 211, 463, 30}, cancel{left + 313, top + 248, 90, 26},
        ok{left + 413, top + 248, 60, 26};
    EXPECT_NE(Cut(english, note).rgb, Cut(italian, note).rgb);
    EXPECT_NE(Cut(english, cancel).rgb, Cut(italian, cancel).rgb);
    EXPECT_EQ(Cut(english, ok).rgb, Cut(italian, ok).rgb);
}

} // namespace
