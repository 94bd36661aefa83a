// The add-on's compiled resources, read back through the host's resource manager
// from this test program, which links the same resources as the add-on file.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "BM.hpp"
#include "RS.hpp"
#include "kit/Resources.hpp"
#include "test_support.hpp"

namespace {

using velmora::test::U16;

int anchorInThisProgram = 0;

// A handle naming this test program, in the form the add-on's load code passes.
void* OwnModuleHandle()
{
#if defined(_WIN32)
    return GetModuleHandleW(nullptr);
#else
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

TEST_F(Resources, LibraryListsOfJapaneseAndRussianAreAbsent)
{
    for (Int32 list : {32535, 32536}) {
        EXPECT_FALSE(Entry(list, 1)) << list;
        EXPECT_FALSE(Entry(list, 16)) << list;
        EXPECT_EQ(RSLoadResource(StrsResType, module, static_cast<GSResID>(list)), nullptr) << list;
    }
    // Neighbours outside the families are absent too.
    for (Int32 list : {32499, 32507, 32509, 32517, 32529, 32709, 32717})
        EXPECT_FALSE(Entry(list, 1)) << list;
}

TEST_F(Resources, EnglishMenuCarriesTheControlCodes)
{
    EXPECT_EQ(Text(32501, 1), u"VelmoraLibrary");
    EXPECT_EQ(Text(32501, 2), u"About VelmoraLibrary");
    EXPECT_EQ(Text(32501, 3), u"Language^E3^ES^ED^EL");
    EXPECT_EQ(Text(32501, 4), u"Check for Updates^E3^ES^ED^EL");
    EXPECT_EQ(Text(32501, 5), u"Check for Updates automatically^E3^ES^ED^EL^M");
    EXPECT_EQ(Text(32501, 6), u"About...^E3^ES^ED^EL");
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
}

TEST_F(Resources, MenuItemTextsOfEveryLanguage)
{
    const std::vector<std::vector<std::u16string>> expected = {
        {u"Informazioni su VelmoraLibrary", u"Lingua", u"Controlla aggiornamenti...", u"Controllo automatico",
         u"Informazioni..."},
        {u"About VelmoraLibrary", u"Language", u"Check for Updates", u"Check for Updates automatically",
         u"About..."},
        {u"A propos d'VelmoraLibrary", u"Langage", u"Rechercher les mises à jour",
         u"Vérifiez les mises à jour automatiquement", u"A propos de..."},
        {u"Über VelmoraLibrary", u"Sprache", u"Nach Updates suchen", u"Automatische Update-Suche aktivieren",
         u"Über..."},
        {u"Acerca de VelmoraLibrary", u"Idioma", u"Buscar Actualizaciones",
         u"Buscar Actualizaciones automaticamente", u"Acerca de..."},
    };
    for (Int32 lang = 0; lang <= 6; ++lang) {
        const auto& texts = expected[static_cast<std::size_t>(lang <= 4 ? lang : 1)];
        for (Int32 item = 1; item <= 5; ++item)
            EXPECT_EQ(Text(32510 + lang, item), texts[static_cast<std::size_t>(item - 1)])
                << "list " << 32510 + lang << " item " << item;
    }
}

TEST_F(Resources, LibraryTextsAreTheSameItalianInEveryLanguage)
{
    for (Int32 lang = 0; lang <= 4; ++lang) {
        const Int32 list = 32530 + lang;
        EXPECT_EQ(Text(list, 4), u"Libreria Velmora...");
        EXPECT_EQ(Text(list, 5),
                  u"La libreria Velmora è una collezione di oggetti parametrici per ArchiCAD allegata "
                  u"al pacchetto di plug-ins Velmora.\r\n");
        const std::u16string portal = Text(list, 6);
        const std::u16string start =
            u"Ogni utente Velmora riceve la Libreria e può comunque eseguirne il download "
            u"dal portale ";
        EXPECT_EQ(portal.substr(0, start.size()), start);
        EXPECT_NE(portal.find(u" di ", start.size()), std::u16string::npos)
            << "portal name, \" di \", maker name";
        EXPECT_EQ(portal.substr(portal.size() - 2), u"\r\n");
        EXPECT_EQ(Text(list, 7),
                  u"(sia direttamente da ArchiCAD 16 e successivi che accedendo al portale dal proprio "
                  u"navigatore Internet predefinito).\r\n");
        EXPECT_EQ(Text(list, 8), u" \r\n");
        EXPECT_EQ(Text(list, 13), u"Visualizza il Manuale Utente della Libreria Velmora...");
        EXPECT_EQ(Text(list, 14), u"Visualizza la lista degli oggetti della Libreria Velmora...");
        EXPECT_EQ(Text(list, 15), u"documento sconosciuto!");
        EXPECT_EQ(portal, Text(32531, 6));
    }
}

TEST_F(Resources, InformationLabelsOfEveryLibraryLanguage)
{
    struct Row {
        Int32 item;
        std::vector<std::u16string> texts; // Italian, English, French, German, Spanish
    };
    const std::vector<Row> rows = {
        {16, {u"Versione:", u"Version:", u"Version:", u"Version:", u"Versión:"}},
        {17, {u"Data:", u"Date:", u"Date:", u"Datum:", u"Fecha:"}},
        {18, {u"Sistema:", u"System:", u"Système:", u"Betriebssystem:", u"Sistema:"}},
        {20,
         {u"Salva come Testo...", u"Save as Text...", u"Enregistrer comme Texte...", u"Sichern als Text...",
          u"Guardar como Texto..."}},
        {21, {u"SenzaTitolo", u"Untitled", u"SansTitre", u"Ohne Titel", u"Sin Título"}},
        {22, {u"Errore", u"Error", u"Erreur", u"Fehler", u"Error"}},
        {23,
         {u"Nome non corretto!", u"Incorrect name!", u"Nom pas correct!", u"Name nicht korrekt!",
          u"¡Nombre incorrecto!"}},
        {24,
         {u"Impossibile aggiornare le informazioni del file!", u"Unable to update information in file!",
          u"Impossible de mettre à jour les informations du fichier!",
          u"Die Dateiinformationen können nicht aktualisiert werden!",
          u"¡Imposible actualizar las informaciones del archivo!"}},
    };
    for (const Row& row : rows)
        for (Int32 lang = 0; lang <= 4; ++lang)
            EXPECT_EQ(Text(32530 + lang, row.item), row.texts[static_cast<std::size_t>(lang)])
                << "list " << 32530 + lang << " item " << row.item;
}

TEST_F(Resources, EnglishMessagesAreExact)
{
    EXPECT_EQ(Text(32711, 5), u"Cancel");
    EXPECT_EQ(Text(32711, 10), u"Error");
    EXPECT_EQ(Text(32711, 14), u"Warning");
    EXPECT_EQ(Text(32711, 33), u"Unable to get an internet connection.");
    EXPECT_EQ(Text(32711, 34), u"An update is available on the Tessaro web site.");
    EXPECT_EQ(Text(32711, 35), u"No update available at present.");
    EXPECT_EQ(Text(32711, 37), u"Check for Tessaro News...");
    EXPECT_EQ(Text(32711, 64), u"OK");
    EXPECT_EQ(Text(32711, 65), u"To enable the selected language, start ArchiCAD again.");
    EXPECT_EQ(Text(32711, 79), std::u16string(u"Download update") + Ellipsis);
    EXPECT_EQ(Text(32711, 80), u"Your ADDONNAME plug-in is up-to-date!");
    EXPECT_EQ(Text(32711, 81), u"ADDONNAME plug-in: update available!");
    EXPECT_EQ(Text(32711, 82), u"Your ADDONLIBNAME Library is up-to-date!");
    EXPECT_EQ(Text(32711, 84), u"Download Library...");
    EXPECT_EQ(Text(32711, 90), std::u16string(u"Checking for updates") + Ellipsis);
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

TEST_F(Resources, UnusedEntriesAreEmptyStrings)
{
    EXPECT_EQ(Entry(32711, 1), std::u16string());
    EXPECT_EQ(Entry(32711, 83), std::u16string());
    EXPECT_EQ(Entry(32531, 19), std::u16string());
}

// --- The fetch -------------------------------------------------------------------

TEST_F(Resources, FetchIsBoundedByTheCapacityAndAlwaysTerminated)
{
    GS::uchar_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_TRUE(RSGetIndString_ParamAdapter(buffer, 5, 32711, 5, module, 0, __FILE__, __LINE__));
    EXPECT_EQ(std::u16string(buffer), u"Canc");
    EXPECT_EQ(buffer[5], u'#') << "nothing written past the capacity";

    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_TRUE(RSGetIndString_ParamAdapter(buffer, 1, 32711, 5, module, 0, __FILE__, __LINE__));
    EXPECT_EQ(buffer[0], u'\0');
    EXPECT_EQ(buffer[1], u'#');

    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_TRUE(RSGetIndString_ParamAdapter(buffer, 7, 32711, 5, module, 0, __FILE__, __LINE__));
    EXPECT_EQ(std::u16string(buffer), u"Cancel") << "a text that just fits";

    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_FALSE(RSGetIndString_ParamAdapter(buffer, 0, 32711, 5, module, 0, __FILE__, __LINE__));
    EXPECT_EQ(buffer[0], u'#') << "no room at all: nothing written";
    EXPECT_FALSE(RSGetIndString_ParamAdapter(nullptr, 8, 32711, 5, module, 0, __FILE__, __LINE__));
}

TEST_F(Resources, MissingListOrEntryGivesFalseAndAnEmptyBuffer)
{
    const struct {
        Int32 list, index;
        GSResModule module;
    } misses[] = {
        {32535, 16, module}, {32711, 0, module},           {32711, 91, module}, {32501, 7, module},
        {32501, -1, module}, {32711, 5, InvalidResModule}, {32711, 5, 0},       {32711, 5, module + 100},
    };
    for (const auto& miss : misses) {
        GS::uchar_t buffer[16];
        std::fill(std::begin(buffer), std::end(buffer), u'#');
        EXPECT_FALSE(RSGetIndString_ParamAdapter(buffer, 16, miss.list, miss.index, miss.module, 0, __FILE__,
                                                 __LINE__))
            << miss.list << "/" << miss.index;
        EXPECT_EQ(buffer[0], u'\0') << miss.list << "/" << miss.index;
    }
}

// --- Dialogs ---------------------------------------------------------------------

struct ExpectedItem {
    Int16 number;
    kit::ItemKind kind;
    Int16 left, top, width, height;
};

void ExpectItems(const kit::DialogTemplate& dialog, const std::vector<ExpectedItem>& items)
{
    ASSERT_EQ(dialog.items.size(), items.size()) << "dialog " << dialog.id;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto& got = dialog.items[i];
        const auto& want = items[i];
        SCOPED_TRACE("dialog " + std::to_string(dialog.id) + " item " + std::to_string(want.number));
        EXPECT_EQ(got.number, want.number);
        EXPECT_EQ(got.kind, want.kind);
        EXPECT_EQ(got.left, want.left);
        EXPECT_EQ(got.top, want.top);
        EXPECT_EQ(got.width, want.width);
        EXPECT_EQ(got.height, want.height);
    }
}

bool Inside(const kit::DialogTemplate& dialog, const kit::DialogItemTemplate& item)
{
    return item.left >= 0 && item.top >= 0 && item.left + item.width <= dialog.width &&
           item.top + item.height <= dialog.height;
}

TEST_F(Resources, LanguageDialogItemsAreAsGiven)
{
    const auto dialog = Dialog(32734);
    EXPECT_EQ(dialog.id, 32734);
    EXPECT_EQ(dialog.width, 483);
    EXPECT_EQ(dialog.height, 282);
    using K = kit::ItemKind;
    ExpectItems(dialog, {{1, K::PushButton, 413, 248, 60, 26},
                         {2, K::PushButton, 313, 248, 90, 26},
                         {3, K::ListBox, 10, 10, 315, 184},
                         {4, K::Icon, 340, 11, 128, 182},
                         {5, K::Separator, 5, 205, 473, 1},
                         {6, K::StaticText, 10, 211, 463, 30}});
    ASSERT_EQ(dialog.items.size(), 6u);
    EXPECT_EQ(dialog.items[3].imageId, 32731);
    EXPECT_EQ(U16(dialog.items[0].text), u"OK");
    EXPECT_EQ(U16(dialog.items[1].text), u"Cancel");
    EXPECT_EQ(U16(dialog.items[5].text), u"To enable the selected language, start ArchiCAD again.");
    for (const auto& item : dialog.items)
        EXPECT_FALSE(item.hidden) << item.number;
}

TEST_F(Resources, UpdateWindowItemsAreAsGiven)
{
    const auto dialog = Dialog(32755);
    EXPECT_EQ(dialog.width, 655);
    EXPECT_EQ(dialog.height, 172);
    using K = kit::ItemKind;
    ExpectItems(dialog, {{1, K::PushButton, 19, 135, 301, 24},
                         {2, K::PushButton, 529, 135, 100, 24},
                         {3, K::StaticText, 19, 11, 630, 26},
                         {4, K::StaticText, 19, 51, 418, 20},
                         {5, K::PushButton, 448, 46, 181, 24},
                         {6, K::StaticText, 19, 87, 421, 20},
                         {7, K::PushButton, 448, 82, 181, 24}});
    ASSERT_EQ(dialog.items.size(), 7u);
    EXPECT_EQ(U16(dialog.items[0].text), u"Check for Tessaro News...");
    EXPECT_EQ(U16(dialog.items[1].text), u"Cancel");
    EXPECT_EQ(U16(dialog.items[4].text), std::u16string(u"Download update") + Ellipsis);
    EXPECT_EQ(U16(dialog.items[6].text), u"Download Library...");
}

TEST_F(Resources, AboutDialogLaysItsItemsOutAsDescribed)
{
    const auto dialog = Dialog(32500);
    EXPECT_EQ(dialog.width, 960);
    EXPECT_EQ(dialog.height, 510);
    EXPECT_EQ(U16(dialog.title), u"Libreria Velmora...");
    ASSERT_EQ(dialog.items.size(), 7u);
    const auto& ok = dialog.items[0];
    const auto& cancel = dialog.items[1];
    const auto& picture = dialog.items[2];
    const auto& description = dialog.items[3];
    const auto& icon = dialog.items[4];
    const auto& manual = dialog.items[5];
    const auto& objects = dialog.items[6];
    using K = kit::ItemKind;

    EXPECT_EQ(ok.kind, K::PushButton);
    EXPECT_EQ(ok.width, 60);
    EXPECT_EQ(ok.height, 26);
    EXPECT_GT(ok.left, dialog.width / 2) << "bottom right";
    EXPECT_GT(ok.top, dialog.height / 2) << "bottom right";
    EXPECT_EQ(U16(ok.text), u"OK");

    EXPECT_EQ(cancel.kind, K::PushButton);
    EXPECT_EQ(cancel.width, 1);
    EXPECT_EQ(cancel.height, 5);
    EXPECT_EQ(cancel.left, 0);
    EXPECT_EQ(cancel.top, 0);
    EXPECT_TRUE(cancel.hidden);

    EXPECT_EQ(picture.kind, K::Picture);
    EXPECT_EQ(picture.left, 20);
    EXPECT_EQ(picture.top, 20);
    EXPECT_EQ(picture.width, 450);
    EXPECT_EQ(picture.height, 450);
    EXPECT_EQ(picture.imageId, 32500);

    EXPECT_EQ(description.kind, K::MultiLineText);
    EXPECT_EQ(description.width, 450);
    EXPECT_EQ(description.height, 306);
    EXPECT_GE(description.left, picture.left + picture.width) << "right of the picture";

    EXPECT_EQ(icon.kind, K::Icon);
    EXPECT_EQ(icon.width, 61);
    EXPECT_EQ(icon.height, 70);
    EXPECT_EQ(icon.imageId, 32500);
    EXPECT_GE(icon.top, description.top + description.height) << "below the text";
    EXPECT_GE(icon.left, picture.left + picture.width);

    for (const auto* button : {&manual, &objects}) {
        EXPECT_EQ(button->kind, K::PushButton);
        EXPECT_EQ(button->width, 380);
        EXPECT_EQ(button->height, 26);
        EXPECT_GE(button->left, icon.left + icon.width) << "right of the icon";
    }
    EXPECT_GE(objects.top, manual.top + manual.height) << "item 7 below item 6";
    EXPECT_EQ(U16(manual.text), u"Visualizza il Manuale Utente della Libreria Velmora...");
    EXPECT_EQ(U16(objects.text), u"Visualizza la lista degli oggetti della Libreria Velmora...");
    for (const auto& item : dialog.items)
        EXPECT_TRUE(Inside(dialog, item)) << item.number;
}

TEST_F(Resources, InformationDialogLaysItsItemsOutAsDescribed)
{
    const auto dialog = Dialog(32501);
    EXPECT_EQ(dialog.width, 705);
    EXPECT_EQ(dialog.height, 503);
    ASSERT_EQ(dialog.items.size(), 15u);
    auto item = [&](int number) -> const kit::DialogItemTemplate& {
        return dialog.items[static_cast<std::size_t>(number - 1)];
    };
    using K = kit::ItemKind;
    for (int n = 1; n <= 15; ++n)
        EXPECT_EQ(item(n).number, n);

    EXPECT_EQ(item(1).kind, K::PushButton);
    EXPECT_EQ(item(1).width, 90);
    EXPECT_EQ(item(1).height, 26);
    EXPECT_GT(item(1).left, dialog.width / 2);
    EXPECT_GT(item(1).top, dialog.height / 2);

    EXPECT_EQ(item(2).kind, K::PushButton);
    EXPECT_EQ(item(2).width, 1);
    EXPECT_EQ(item(2).height, 5);
    EXPECT_FALSE(Inside(dialog, item(2))) << "outside the visible client area";

    EXPECT_EQ(item(3).kind, K::Picture);
    EXPECT_EQ(item(3).width, 213);
    EXPECT_EQ(item(3).height, 213);
    EXPECT_EQ(item(3).imageId, 32502);

    EXPECT_EQ(item(4).kind, K::StaticText);
    EXPECT_EQ(item(4).width, 213);
    EXPECT_EQ(item(4).height, 18);
    EXPECT_TRUE(item(4).largeFont);
    EXPECT_GE(item(4).top, item(3).top + item(3).height) << "under the picture";
    for (int n = 5; n <= 13; ++n) {
        EXPECT_EQ(item(n).kind, K::StaticText) << n;
        EXPECT_EQ(item(n).width, 213) << n;
        EXPECT_EQ(item(n).height, 16) << n;
        EXPECT_EQ(item(n).left, item(4).left) << n;
        EXPECT_FALSE(item(n).largeFont) << n;
    }
    for (int n = 6; n <= 10; ++n)
        EXPECT_EQ(item(n).top - item(n - 1).top, 21) << n;
    EXPECT_EQ(item(11).top - item(10).top, 26);
    for (int n = 12; n <= 13; ++n)
        EXPECT_EQ(item(n).top - item(n - 1).top, 21) << n;

    EXPECT_EQ(item(14).kind, K::Picture);
    EXPECT_EQ(item(14).width, 450);
    EXPECT_EQ(item(14).height, 450);
    EXPECT_EQ(item(14).imageId, 32500);
    EXPECT_GE(item(14).left, item(3).left + item(3).width) << "right of the left column";

    EXPECT_EQ(item(15).kind, K::PushButton);
    EXPECT_EQ(item(15).width, 200);
    EXPECT_EQ(item(15).height, 28);
    EXPECT_LE(item(15).left + item(15).width, item(1).left) << "left of OK";
    EXPECT_EQ(U16(item(15).text), u"Save as Text...");
    for (int n : {1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15})
        EXPECT_TRUE(Inside(dialog, item(n))) << n;
}

TEST_F(Resources, MissingDialogIsReported)
{
    kit::DialogTemplate dialog;
    EXPECT_FALSE(kit::LoadDialogTemplate(module, 32502, &dialog));
    EXPECT_FALSE(kit::LoadDialogTemplate(InvalidResModule, 32500, &dialog));
    EXPECT_FALSE(kit::LoadDialogTemplate(module, 32500, nullptr));
}

// --- Images and the module identifier ---------------------------------------------

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

TEST_F(Resources, MissingImagesAreReported)
{
    kit::ImageInfo info;
    EXPECT_FALSE(kit::LoadImageInfo(module, BmpResType, 32501, &info));
    EXPECT_FALSE(kit::LoadImageInfo(module, IcoResType, 32502, &info)) << "a bitmap is not an icon";
    EXPECT_FALSE(kit::LoadImageInfo(module, StrsResType, 32501, &info)) << "not an image type";
    EXPECT_FALSE(kit::LoadImageInfo(InvalidResModule, IcoResType, 32758, &info));
}

TEST_F(Resources, LoadedResourcesAreWholeCopies)
{
    GSHandle mdid = RSLoadResource(MdidResType, module, 32500);
    ASSERT_NE(mdid, nullptr);
    ASSERT_EQ(BMGetHandleSize(mdid), 12);
    UInt32 value = 0;
    std::memcpy(&value, *mdid, 4);
    EXPECT_EQ(value, 8u);
    BMKillHandle(&mdid);

    GSHandle bitmap = RSLoadResource(BmpResType, module, 32500);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_GT(BMGetHandleSize(bitmap), 450 * 450);
    EXPECT_EQ(std::string(*bitmap, 2), "BM");
    UInt32 fileSize = 0;
    std::memcpy(&fileSize, *bitmap + 2, 4);
    EXPECT_EQ(static_cast<GSSize>(fileSize), BMGetHandleSize(bitmap));
    BMKillHandle(&bitmap);

    EXPECT_EQ(RSLoadResource(MdidResType, module, 32501), nullptr);
    EXPECT_EQ(RSLoadResource(MdidResType, InvalidResModule, 32500), nullptr);
}

// --- Modules -----------------------------------------------------------------------

TEST(ResourceModules, EveryOpeningGetsItsOwnSmallNumber)
{
    const GSResModule first = RSInitModuleImageCache(OwnModuleHandle());
    const GSResModule second = RSInitModuleImageCache(OwnModuleHandle());
    ASSERT_NE(first, InvalidResModule);
    ASSERT_NE(second, InvalidResModule);
    EXPECT_GE(first, 1);
    EXPECT_LE(first, 16);
    EXPECT_NE(first, second);

    RSRemoveModuleImageCache(first);
    GS::uchar_t buffer[8];
    EXPECT_FALSE(RSGetIndString_ParamAdapter(buffer, 8, 32711, 64, first, 0, __FILE__, __LINE__));
    EXPECT_TRUE(RSGetIndString_ParamAdapter(buffer, 8, 32711, 64, second, 0, __FILE__, __LINE__));
    EXPECT_EQ(std::u16string(buffer), u"OK");

    const GSResModule third = RSInitModuleImageCache(OwnModuleHandle());
    EXPECT_EQ(third, first) << "a freed number is given again";
    RSRemoveModuleImageCache(third);
    RSRemoveModuleImageCache(second);
    RSRemoveModuleImageCache(second); // closing twice does nothing
}

TEST(ResourceModules, TheProgramsOwnHandleOpensItToo)
{
#if defined(_WIN32)
    // An address inside the program names it as well as its module handle.
    void* handle = &anchorInThisProgram;
#else
    void* handle = dlopen(nullptr, RTLD_LAZY);
    ASSERT_NE(handle, nullptr);
#endif
    const GSResModule module = RSInitModuleImageCache(handle);
    ASSERT_NE(module, InvalidResModule);
    GS::uchar_t buffer[16];
    EXPECT_TRUE(RSGetIndString_ParamAdapter(buffer, 16, 32711, 5, module, 0, __FILE__, __LINE__));
    EXPECT_EQ(std::u16string(buffer), u"Cancel");
    RSRemoveModuleImageCache(module);
#if !defined(_WIN32)
    dlclose(handle);
#endif
}

TEST(ResourceModules, AModuleWithoutResourcesIsInvalid)
{
    EXPECT_EQ(RSInitModuleImageCache(nullptr), InvalidResModule);
    // The host's kit library carries no resources of its own.
#if defined(_WIN32)
    HMODULE kit = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                       GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCWSTR>(&RSInitModuleImageCache), &kit));
#else
    void* kit = dlsym(RTLD_DEFAULT, "RSInitModuleImageCache");
#endif
    ASSERT_NE(kit, nullptr);
    EXPECT_EQ(RSInitModuleImageCache(kit), InvalidResModule);
}

TEST(ResourceModules, FetchesFromManyThreadsWhileModulesOpenAndClose)
{
    const GSResModule module = RSInitModuleImageCache(OwnModuleHandle());
    ASSERT_NE(module, InvalidResModule);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 300; ++i) {
                GS::uchar_t buffer[32];
                if (!RSGetIndString_ParamAdapter(buffer, 32, 32711, 64, module, 0, __FILE__, __LINE__) ||
                    std::u16string(buffer) != u"OK")
                    ++failures;
            }
        });
    }
    threads.emplace_back([] {
        for (int i = 0; i < 20; ++i)
            RSRemoveModuleImageCache(RSInitModuleImageCache(OwnModuleHandle()));
    });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    RSRemoveModuleImageCache(module);
}

} // namespace
