// Pictures of dialogs, checked from the pixels of the PNG files: dialogs of the
// add-on's own resources are opened in the kit's dialog manager, changed the way
// the add-on changes them (size, hidden and disabled items, texts, list rows with
// images), and drawn while they are open.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "DG.h"
#include "DialogPicture.hpp"
#include "PictureTheme.hpp"
#include "RS.hpp"
#include "kit/DialogDriver.hpp"
#include "picture_pixels.hpp"
#include "test_support.hpp"

namespace {

using velmora::render::PictureOptions;
using velmora::render::PictureResult;
using velmora::render::WriteDialogPicture;
using velmora::test::Contains;
using velmora::test::CountOtherThan;
using velmora::test::Cut;
using velmora::test::Darkest;
using velmora::test::Pixels;
using velmora::test::Region;
using velmora::test::ResourceImage;
namespace theme = velmora::render::theme;

constexpr std::uint32_t Face = theme::DialogFace.rgb;

// The add-on's side: what it does when its dialog is initialised.
struct AddOnSide {
    std::function<void(short dialId)> init;
};

short DialogCallback(short message, short dialId, short item, DGUserData userData, DGMessageData)
{
    auto* side = reinterpret_cast<AddOnSide*>(userData);
    if (message == DG_MSG_INIT && side->init)
        side->init(dialId);
    if (message == DG_MSG_CLICK && (item == 1 || item == 2))
        return item;
    return 0;
}

// The user: looks at the modal dialog, then leaves it (the kit cancels it).
class LookingDriver : public kit::DialogDriver {
public:
    std::function<void(Int16)> look;
    void RunModal(Int16 dialId) override
    {
        if (look)
            look(dialId);
    }
    Int16 OnAlert(const kit::AlertRequest&) override { return 1; }
    bool OnFileDialog(const kit::FileDialogRequest&, std::string*, UInt32*) override { return false; }
};

class DialogPictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        module = RSInitModuleImageCache(velmora::test::TestProgramModule());
        ASSERT_NE(module, InvalidResModule);
        kit::SetDialogDriver(&driver);
    }
    void TearDown() override
    {
        kit::SetDialogDriver(nullptr);
        RSRemoveModuleImageCache(module);
    }

    // Opens dialog `resId` of the add-on's resources; `init` plays the add-on's
    // initialisation, `look` runs while the dialog is open.
    void WithDialog(GSResID resId, std::function<void(short)> init, std::function<void(Int16)> look)
    {
        AddOnSide side{std::move(init)};
        bool looked = false;
        driver.look = [&](Int16 dialId) {
            looked = true;
            look(dialId);
        };
        DGModalDialog(module, resId, module, DialogCallback, reinterpret_cast<DGUserData>(&side));
        driver.look = nullptr;
        EXPECT_TRUE(looked) << "dialog " << resId << " did not open";
    }

    // The open dialog drawn to a file of the test's folder, read back.
    Pixels Picture(Int16 dialId, const std::string& name, PictureOptions options = {false},
                   PictureResult* result = nullptr)
    {
        kit::DialogState state;
        EXPECT_TRUE(kit::GetDialogState(dialId, &state));
        PictureResult written;
        const std::string path = folder.File(name);
        EXPECT_TRUE(WriteDialogPicture(state, path, options, &written)) << written.error;
        if (result != nullptr)
            *result = written;
        Pixels pixels;
        velmora::test::ReadPng(path, &pixels);
        return pixels;
    }

    GSResModule module = InvalidResModule;
    LookingDriver driver;
    velmora::test::TempFolder folder;
};

// The information dialog's items: picture 3, the library picture 14, "Save as Text..." 15.
constexpr Region InformationPicture{10, 10, 213, 213};
constexpr Region LibraryPicture{245, 10, 450, 450};
constexpr Region SaveButton{395, 467, 200, 28};

TEST_F(DialogPictureTest, PictureShowsWhatTheAddOnMadeOfTheDialog)
{
    Pixels disabled, enabled, libraryShown;
    WithDialog(
        32501,
        [](short dialId) {
            DGSetDialogSize(dialId, DG_CLIENT, 720, 520, DG_TOPLEFT, true);
            DGHideItem(dialId, 14);
            DGDisableItem(dialId, 15);
        },
        [&](Int16 dialId) {
            disabled = Picture(dialId, "disabled.png");
            DGEnableItem(dialId, 15);
            enabled = Picture(dialId, "enabled.png");
            DGShowItem(dialId, 14);
            libraryShown = Picture(dialId, "library-shown.png");
        });

    // The size the add-on set, not the resource's 705 x 503.
    EXPECT_EQ(disabled.width, 720);
    EXPECT_EQ(disabled.height, 520);

    // The bitmap at its item's rectangle, with the dialog's face right around it.
    std::string why;
    EXPECT_TRUE(Contains(disabled, ResourceImage("information_213.bmp"), 10, 10, &why)) << why;
    EXPECT_EQ(CountOtherThan(disabled, {9, 10, 1, 213}, Face), 0);
    EXPECT_EQ(CountOtherThan(disabled, {10, 223, 214, 1}, Face), 0);

    // The hidden picture's area holds only the face; shown, the library picture is there.
    EXPECT_EQ(CountOtherThan(disabled, LibraryPicture, Face), 0);
    EXPECT_TRUE(Contains(libraryShown, ResourceImage("library_450.bmp"), 245, 10, &why)) << why;

    // The disabled button is drawn differently, its text lighter than the enabled one's.
    EXPECT_NE(Cut(disabled, SaveButton).rgb, Cut(enabled, SaveButton).rgb);
    EXPECT_GT(Darkest(disabled, SaveButton), Darkest(enabled, SaveButton) + 150);
    // Everything else stays as it was.
    EXPECT_EQ(Cut(disabled, InformationPicture).rgb, Cut(enabled, InformationPicture).rgb);
}

TEST_F(DialogPictureTest, IconsAndRowImagesLieAtTheirPlaces)
{
    constexpr int ListLeft = 10 + 1, ListTop = 10 + 1, RowHeight = 30, FieldBegin = 5;
    Pixels picture;
    WithDialog(
        32734,
        [this](short dialId) {
            DGListSetTabFieldCount(dialId, 3, 1);
            DGListSetTabFieldData(dialId, 3, 1, FieldBegin, 285);
            DGListSetItemHeight(dialId, 3, RowHeight);
            for (int icon : {32758, 32763, 32764}) {
                DGListInsertItem(dialId, 3, DG_LIST_BOTTOM);
                const short row = DGListGetItemCount(dialId, 3);
                DGListSetTabItemText(dialId, 3, row, 1, GS::UniString(""));
                DGListSetTabItemIcon(dialId, 3, row, 1, DG::Icon(module, static_cast<GSResID>(icon)));
            }
            DGListSelectItem(dialId, 3, 2);
        },
        [&](Int16 dialId) { picture = Picture(dialId, "language.png"); });

    // A 285 x 24 row image is centred in its 30-pixel row: 3 pixels above it.
    struct Row {
        const char* what;
        const char* image;
        int left, top;
    };
    const Row rows[] = {
        {"the globe icon at item 4", "language_globe_128x182.bmp", 340, 11},
        {"Italiano in row 1", "language_row_0.bmp", ListLeft + FieldBegin, ListTop + 3},
        {"日本語 in row 2, selected", "language_row_5.bmp", ListLeft + FieldBegin, ListTop + RowHeight + 3},
        {"Русский in row 3", "language_row_6.bmp", ListLeft + FieldBegin, ListTop + 2 * RowHeight + 3},
    };
    for (const Row& row : rows) {
        std::string why;
        EXPECT_TRUE(Contains(picture, ResourceImage(row.image), row.left, row.top, &why))
            << row.what << ": " << why;
    }
    // The selected row stands on the selection colour, the others on the list's white.
    EXPECT_EQ(picture.At(ListLeft + 1, ListTop + RowHeight + 1), theme::Selection.rgb);
    EXPECT_EQ(picture.At(ListLeft + 1, ListTop + 1), theme::FieldFace.rgb);
    EXPECT_EQ(picture.At(ListLeft + 1, ListTop + 2 * RowHeight + 1), theme::FieldFace.rgb);
    // Below the last row the list is empty.
    EXPECT_EQ(CountOtherThan(picture, {ListLeft, ListTop + 3 * RowHeight, 313, 182 - 3 * RowHeight},
                             theme::FieldFace.rgb),
              0);
}

TEST_F(DialogPictureTest, NotesOfEveryLanguageFindTheirGlyphs)
{
    constexpr Region Note{10, 211, 463, 30};
    struct Case {
        const char* language;
        Int32 messagesList; // the note is entry 65; 0: the text below
        const char* text;
        bool glyphsForAll;
    };
    const Case cases[] = {
        {"Italian", 32710, "", true}, {"English", 32711, "", true},
        {"French", 32712, "", true},  {"German", 32713, "", true},
        {"Spanish", 32714, "", true}, {"Japanese", 32715, "", true},
        {"Russian", 32716, "", true}, {"Thai, which no font of the set covers", 0, "ภาษาไทย", false},
    };
    for (const Case& c : cases) {
        GS::UniString note(c.text);
        if (c.messagesList != 0) {
            GS::uchar_t buffer[256];
            ASSERT_TRUE(RSGetIndString_ParamAdapter(buffer, 256, c.messagesList, 65, module, 0, "", 0));
            note = GS::UniString(buffer);
        }
        Pixels picture;
        PictureResult result;
        WithDialog(
            32734, [&](short dialId) { DGSetItemText(dialId, 6, note); },
            [&](Int16 dialId) { picture = Picture(dialId, "note.png", {false}, &result); });
        EXPECT_EQ(result.missingGlyphs == 0, c.glyphsForAll) << c.language << ": " << result.missingGlyphs;
        // Dark text on the face (the boxes for missing glyphs are lighter), inside the
        // note's rectangle and nowhere below it.
        if (c.glyphsForAll) {
            EXPECT_LT(Darkest(picture, Note), 200) << c.language;
        }
        EXPECT_GT(CountOtherThan(picture, Note, Face), 100) << c.language;
        EXPECT_EQ(CountOtherThan(picture, {10, 241, 463, 6}, Face), 0) << c.language;
    }
}

TEST_F(DialogPictureTest, FrameCarriesTheTitleAroundTheClientArea)
{
    Pixels framed, bare;
    WithDialog(
        32734, [](short dialId) { DGSetDialogTitle(dialId, GS::UniString("Выбор языка")); },
        [&](Int16 dialId) {
            PictureResult result;
            framed = Picture(dialId, "framed.png", {true}, &result);
            EXPECT_EQ(result.missingGlyphs, 0);
            bare = Picture(dialId, "bare.png", {false});
        });
    const int top = theme::FrameBorderWidth + theme::TitleBarHeight, side = theme::FrameBorderWidth;
    EXPECT_EQ(framed.width, 483 + 2 * side);
    EXPECT_EQ(framed.height, 282 + top + side);
    EXPECT_EQ(Cut(framed, {side, top, 483, 282}).rgb, bare.rgb);
    // The title is written in the bar.
    EXPECT_LT(Darkest(framed, {side + 5, side, 200, theme::TitleBarHeight}), 200);
    EXPECT_EQ(framed.At(0, 0), theme::FrameBorder.rgb);
}

TEST_F(DialogPictureTest, PicturesThatCannotBeMadeAreReported)
{
    kit::DialogState empty;
    PictureResult result;
    EXPECT_FALSE(WriteDialogPicture(empty, folder.File("empty.png"), {}, &result));
    EXPECT_NE(result.error.find("no area"), std::string::npos) << result.error;
    EXPECT_FALSE(velmora::test::FileExists(folder.File("empty.png")));

    WithDialog(32734, nullptr, [&](Int16 dialId) {
        kit::DialogState state;
        ASSERT_TRUE(kit::GetDialogState(dialId, &state));
        const std::string nowhere = folder.File("no such folder") + "/dialog.png";
        EXPECT_FALSE(WriteDialogPicture(state, nowhere, {}, &result));
        EXPECT_NE(result.error.find(nowhere), std::string::npos) << result.error;
    });
}

TEST_F(DialogPictureTest, ImageThatIsNotThereIsACrossedBox)
{
    Pixels picture;
    WithDialog(32734, nullptr, [&](Int16 dialId) {
        kit::DialogState state;
        ASSERT_TRUE(kit::GetDialogState(dialId, &state));
        for (kit::ItemState& item : state.items)
            if (item.number == 4)
                item.imageId = 1234; // no such icon
        ASSERT_TRUE(WriteDialogPicture(state, folder.File("missing.png"), {false}, nullptr));
        velmora::test::ReadPng(folder.File("missing.png"), &picture);
    });
    EXPECT_EQ(picture.At(340, 11), theme::MissingImage.rgb);
    // Two diagonals inside: far more than nothing, far less than a filled box.
    const long crossed = CountOtherThan(picture, {341, 12, 126, 180}, Face);
    EXPECT_GT(crossed, 200);
    EXPECT_LT(crossed, 126 * 180 / 8);
}

} // namespace
