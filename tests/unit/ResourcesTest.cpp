// The add-on's compiled resources, read back through the host's resource manager
// from this test program, which links the same resources as the add-on file.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "RS.hpp"
#include "TestSupport.hpp"
#include "kit/Resources.hpp"

namespace {

using velmora::test::U16;

// A handle naming this test program, in the form the add-on's load code passes.
void* OwnModuleHandle()
{
#if defined(_WIN32)
    return GetModuleHandleW(nullptr);
#else
    static int anchorInThisProgram = 0;
    return &anchorInThisProgram;
#endif
}

constexpr char16_t Ellipsis = u'\u2026';
const std::u16string MenuCodes = u"^E3^ES^ED^EL";

class Resources : public ::testing::Test {
protected:
    static void SetUpTestSuite() { module = RSInitModuleImageCache(OwnModuleHandle()); }
    static void TearDownTestSuite()
    {
        RSRemoveModuleImageCache(module);
        module = InvalidResModule;
    }
    void SetUp() override
    {
        ASSERT_NE(module, InvalidResModule) << "the test program's resources did not open";
    }

    static std::optional<std::u16string> Entry(Int32 list, Int32 index)
    {
        std::vector<GS::uchar_t> buffer(1000, u'#');
        if (!RSGetIndString_ParamAdapter(buffer.data(), 1000, list, index, module, 0, __FILE__, __LINE__))
            return std::nullopt;
        return std::u16string(buffer.data());
    }
    static std::u16string Text(Int32 list, Int32 index)
    {
        auto text = Entry(list, index);
        EXPECT_TRUE(text.has_value()) << "list " << list << " entry " << index;
        return text.value_or(u"<missing>");
    }
    // Lists hold entries 1 to N without gaps.
    static Int32 EntryCount(Int32 list)
    {
        Int32 n = 0;
        while (Entry(list, n + 1))
            ++n;
        return n;
    }
    static kit::DialogTemplate Dialog(GSResID id)
    {
        kit::DialogTemplate dialog;
        EXPECT_TRUE(kit::LoadDialogTemplate(module, id, &dialog)) << "dialog " << id;
        return dialog;
    }

    static GSResModule module;
};

GSResModule Resources::module = InvalidResModule;

// --- String lists --------------------------------------------------------------

TEST_F(Resources, EveryListOfTheFourFamiliesIsPresentWithItsEntryCount)
{
    for (Int32 lang = 0; lang <= 6; ++lang) {
        EXPECT_EQ(EntryCount(32500 + lang), 6) << "menu " << 32500 + lang;
        EXPECT_EQ(EntryCount(32510 + lang), 5) << "item texts " << 32510 + lang;
        EXPECT_EQ(EntryCount(32710 + lang), 90) << "messages " << 32710 + lang;
    }
    for (Int32 lang = 0; lang <= 4; ++lang)
        EXPECT_EQ(EntryCount(32530 + lang), 24) << "library texts " << 32530 + lang;
}

TEST_F(Resources, EveryMenuIsItsItemTextsWithTheControlCodes)
{
    for (Int32 lang = 0; lang <= 6; ++lang) {
        const Int32 menu = 32500 + lang, items = 32510 + lang;
        EXPECT_EQ(Text(menu, 1), u"VelmoraLibrary") << menu;
        EXPECT_EQ(Text(menu, 2), Text(items, 1)) << menu;
        EXPECT_EQ(Text(menu, 3), Text(items, 2) + MenuCodes) << menu;
        EXPECT_EQ(Text(menu, 4), Text(items, 3) + MenuCodes) << menu;
        EXPECT_EQ(Text(menu, 5), Text(items, 4) + MenuCodes + u"^M") << menu;
        EXPECT_EQ(Text(menu, 6), Text(items, 5) + MenuCodes) << menu;
    }
    for (Int32 entry = 1; entry <= 6; ++entry) {
        EXPECT_EQ(Text(32505, entry), Text(32501, entry)) << entry;
        EXPECT_EQ(Text(32506, entry), Text(32501, entry)) << entry;
    }
    // The item the host shows checked carries the mark; English as a sample.
    EXPECT_EQ(Text(32501, 5), u"Check for Updates automatically^E3^ES^ED^EL^M");
}

TEST_F(Resources, MessagesOfEveryLanguageKeepTheirPlaceholdersAndNames)
{
    const std::vector<std::u16string> errors = {u"Errore", u"Error",  u"Erreur", u"Fehler",
                                                u"Error",  u"エラー", u"Ошибка"};
    const std::vector<std::u16string> warnings = {u"Attenzione", u"Warning", u"Attention",     u"Achtung",
                                                  u"Atención",   u"警告",    u"Предупреждение"};
    for (Int32 lang = 0; lang <= 6; ++lang) {
        const Int32 list = 32710 + lang;
        SCOPED_TRACE("messages " + std::to_string(list));
        const auto i = static_cast<std::size_t>(lang);
        EXPECT_EQ(Text(list, 10), errors[i]);
        EXPECT_EQ(Text(list, 14), warnings[i]);
        EXPECT_EQ(Text(list, 64), u"OK");
        for (Int32 used : {5, 33, 34, 35, 37, 65, 79, 80, 81, 82, 84, 90})
            EXPECT_FALSE(Text(list, used).empty()) << "message " << used;
        EXPECT_NE(Text(list, 80).find(u"ADDONNAME"), std::u16string::npos);
        EXPECT_NE(Text(list, 81).find(u"ADDONNAME"), std::u16string::npos);
        EXPECT_NE(Text(list, 82).find(u"ADDONLIBNAME"), std::u16string::npos);
        EXPECT_NE(Text(list, 34).find(u"Tessaro"), std::u16string::npos);
        EXPECT_NE(Text(list, 37).find(u"Tessaro"), std::u16string::npos);
        EXPECT_NE(Text(list, 65).find(u"ArchiCAD"), std::u16string::npos);
        const std::u16string download = Text(list, 79);
        ASSERT_FALSE(download.empty());
        EXPECT_EQ(download.back(), Ellipsis);
        EXPECT_EQ(download.find(u"..."), std::u16string::npos) << "one ellipsis character, not three dots";
        if (lang != 1) {
            EXPECT_NE(Text(list, 5), u"Cancel") << "translated";
        }
    }
}

// --- Dialogs ---------------------------------------------------------------------

bool Inside(const kit::DialogTemplate& dialog, const kit::DialogItemTemplate& item)
{
    return item.left >= 0 && item.top >= 0 && item.left + item.width <= dialog.width &&
           item.top + item.height <= dialog.height;
}

// Each dialog's items are numbered 1 to N in order, every visible one lies inside the
// dialog, and the pinned texts are the ones its code leaves alone.
TEST_F(Resources, DialogsHoldTheirItemsInsideAndInOrder)
{
    using K = kit::ItemKind;
    const struct {
        GSResID id;
        std::vector<K> kinds;
        std::vector<std::pair<Int16, std::u16string>> texts;
        Int16 imageItem;
        GSResID imageId;
    } dialogs[] = {
        {32734,
         {K::PushButton, K::PushButton, K::ListBox, K::Icon, K::Separator, K::StaticText},
         {{1, u"OK"}, {6, u"To enable the selected language, start ArchiCAD again."}},
         4,
         32731},
        {32755,
         {K::PushButton, K::PushButton, K::StaticText, K::StaticText, K::PushButton, K::StaticText,
          K::PushButton},
         {{5, std::u16string(u"Download update") + Ellipsis}, {7, u"Download Library..."}},
         0,
         0},
        {32500,
         {K::PushButton, K::PushButton, K::Picture, K::MultiLineText, K::Icon, K::PushButton, K::PushButton},
         {{6, u"Visualizza il Manuale Utente della Libreria Velmora..."}},
         3,
         32500},
        {32501,
         {K::PushButton, K::PushButton, K::Picture, K::StaticText, K::StaticText, K::StaticText,
          K::StaticText, K::StaticText, K::StaticText, K::StaticText, K::StaticText, K::StaticText,
          K::StaticText, K::Picture, K::PushButton},
         {{15, u"Save as Text..."}},
         3,
         32502},
    };
    for (const auto& want : dialogs) {
        SCOPED_TRACE("dialog " + std::to_string(want.id));
        const auto dialog = Dialog(want.id);
        ASSERT_EQ(dialog.items.size(), want.kinds.size());
        for (std::size_t i = 0; i < dialog.items.size(); ++i) {
            const auto& item = dialog.items[i];
            EXPECT_EQ(item.number, static_cast<Int16>(i + 1));
            EXPECT_EQ(item.kind, want.kinds[i]) << item.number;
            if (item.width > 1) { // a hidden one-pixel cancel button may lie outside
                EXPECT_TRUE(Inside(dialog, item)) << item.number;
            }
        }
        for (const auto& [number, text] : want.texts)
            EXPECT_EQ(U16(dialog.items[static_cast<std::size_t>(number - 1)].text), text) << number;
        if (want.imageItem != 0) {
            EXPECT_EQ(dialog.items[static_cast<std::size_t>(want.imageItem - 1)].imageId, want.imageId);
        }
    }
}

// --- Images ------------------------------------------------------------------------

TEST_F(Resources, ImagesHaveTheirSizesDepthsAndCaptions)
{
    const struct {
        GSResType type;
        GSResID id;
        Int32 width, height;
        const char* captionPart;
    } images[] = {
        {BmpResType, 32500, 450, 450, "Libreria Velmora"},
        {BmpResType, 32502, 213, 213, ""},
        {IcoResType, 32500, 61, 70, "PDF"},
        {IcoResType, 32731, 128, 182, "flags"},
        {IcoResType, 32758, 285, 24, "Italiano"},
        {IcoResType, 32759, 285, 24, "International English"},
        {IcoResType, 32760, 285, 24, "Français"},
        {IcoResType, 32761, 285, 24, "Deutsch"},
        {IcoResType, 32762, 285, 24, "Español"},
        {IcoResType, 32763, 285, 24, "日本語"},
        {IcoResType, 32764, 285, 24, "Русский"},
    };
    for (const auto& image : images) {
        SCOPED_TRACE(std::to_string(image.id));
        kit::ImageInfo info;
        ASSERT_TRUE(kit::LoadImageInfo(module, image.type, image.id, &info));
        EXPECT_EQ(info.width, image.width);
        EXPECT_EQ(info.height, image.height);
        EXPECT_EQ(info.bitsPerPixel, 8);
        EXPECT_FALSE(info.caption.empty());
        EXPECT_NE(info.caption.find(image.captionPart), std::string::npos) << info.caption;
    }
    kit::ImageInfo pdf, library;
    ASSERT_TRUE(kit::LoadImageInfo(module, IcoResType, 32500, &pdf));
    ASSERT_TRUE(kit::LoadImageInfo(module, BmpResType, 32500, &library));
    EXPECT_NE(pdf.caption, library.caption) << "icon and bitmap of one number have their own captions";
}

} // namespace
