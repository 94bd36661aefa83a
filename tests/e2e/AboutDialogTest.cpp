// The About dialog as a user meets it: velmora-host runs the built add-on, the
// dialog shows the library in the user's language, and its two buttons hand the
// PDF documents beside the add-on file to the shell, observed by a recording
// xdg-open, or report a missing document while the dialog stays open.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "E2eSupport.hpp"
#include "ShellRecorder.hpp"

namespace fs = std::filesystem;

namespace {

using velmora::e2e::CountOf;

const std::string Manual = "01 - Libreria Velmora.pdf";
const std::string ObjectList = "02 - Libreria Velmora.pdf";

// Paths from and to UTF-8 text, on both systems.
fs::path PathOf(const std::string& utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

class AboutDialogTest : public velmora::e2e::HostTest {
protected:
    void SetUp() override { ChooseLanguage("int"); }

    // A copy of the built add-on in `folder` (created, under the work folder), with
    // the documents asked for beside it; returns the add-on's path.
    std::string InstallAddon(const std::string& folder, bool manual, bool objectList)
    {
        const fs::path target = PathOf(work.Native()) / PathOf(folder);
        fs::create_directories(target);
        const fs::path bin = PathOf(velmora::test::BinDir());
        const fs::path addon = target / VELMORA_ADDON_FILE_NAME;
        fs::copy_file(PathOf(velmora::test::AddonFile()), addon);
        if (manual)
            fs::copy_file(bin / Manual, target / Manual);
        if (objectList)
            fs::copy_file(bin / ObjectList, target / ObjectList);
        return Utf8Of(addon);
    }

    // What reached the shell: the documents beside `addon`, each as often as it is
    // listed. The add-on starts each opener in the background, so they may arrive in
    // any order. Natively the shell is given the document's path; under Wine,
    // xdg-open is given a file:// address of it, whose Unix form of the temporary
    // folder is Wine's own, so there the address is checked from the work folder's
    // name on.
    void ExpectOpened(const velmora::test::ShellRecorder& shell, const std::string& addon,
                      const std::vector<std::string>& documents)
    {
        if (!shell.Observed())
            return;
        const fs::path folder = PathOf(addon).parent_path();
        std::vector<std::string> targets = shell.WaitForLines(documents.size());
        std::vector<std::string> expected;
        for (const std::string& document : documents) {
#if defined(_WIN32)
            std::string tail =
                "/" + Utf8Of(fs::relative(folder, PathOf(work.Native()).parent_path())) + "/" + document;
            std::replace(tail.begin(), tail.end(), '\\', '/');
            expected.push_back(velmora::e2e::PercentEncoded(tail));
#else
            expected.push_back(Utf8Of(folder / document));
#endif
        }
#if defined(_WIN32)
        // Cut each address to the part that can be known here.
        for (std::string& target : targets) {
            EXPECT_EQ(target.rfind("file:///", 0), 0u) << target;
            for (const std::string& tail : expected)
                if (target.size() > tail.size() &&
                    target.compare(target.size() - tail.size(), tail.size(), tail) == 0)
                    target = tail;
        }
#endif
        std::sort(targets.begin(), targets.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(targets, expected);
    }
};

// Russian takes the library's texts from the English list and the hidden item 2
// from the shared list of its own language.
TEST_F(AboutDialogTest, ShowsTheLibraryInTheUsersLanguage)
{
    ChooseLanguage("rus");
    auto run = Host(R"(
        menu 1
        expect-title "Libreria Velmora..."
        expect-text 1 "OK"
        expect-hidden 2
        expect-text 2 "Отмена"
        expect-text 6 "Visualizza il Manuale Utente della Libreria Velmora..."
        expect-text 7 "Visualizza la lista degli oggetti della Libreria Velmora..."
        close
        expect-no-dialog
        quit)");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string& out = run.output;
    EXPECT_EQ(CountOf(out, "+-- dialog 32500 \"Libreria Velmora...\"  960 x 510  modal"), 1u) << out;
    EXPECT_NE(out.find("|   3 picture   [photographs of library objects above the name Libreria Velmora]"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("|   5 icon      [PDF document symbol]"), std::string::npos) << out;
    // The four paragraphs, each on its own line, the portal and its maker at the
    // end of the second.
    EXPECT_NE(out.find("\"La libreria Velmora è una collezione di oggetti parametrici per ArchiCAD allegata "
                       "al pacchetto di plug-ins Velmora.\\nOgni utente Velmora riceve la Libreria e può "
                       "comunque eseguirne il download dal portale BIMcomponents.com di Graphisoft\\n(sia "
                       "direttamente da ArchiCAD 16 e successivi che accedendo al portale dal proprio "
                       "navigatore Internet predefinito).\\n \\n\""),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("[host] dialog 32500 closed"), std::string::npos) << out;
}

TEST_F(AboutDialogTest, DocumentButtonsOpenTheDocumentsBesideTheAddOnFile)
{
    struct Row {
        const char* name;
        std::string folder;
        bool manual, objectList;
        const char* alert; // shown for a missing document
    };
    const Row rows[] = {
        {"both documents present", "plain", true, true, ""},
        {"the object list missing", "one", true, false, "Error: documento sconosciuto!"},
        // Letters the ANSI code page (1252) cannot write: the path reaches the shell
        // whole all the same, in Unicode.
        {"a folder named in Cyrillic", "Ж", true, true, ""},
        {"a folder named in Greek, the manual missing", "Libreria Ωμέγα", false, true,
         "Error: documento sconosciuto!"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        velmora::test::ShellRecorder shell;
        const std::string addon = InstallAddon(row.folder, row.manual, row.objectList);
        // Each button twice: every press hands the document over again, and the
        // dialog stays open throughout.
        auto run = Host(R"(
            menu 1
            click 6
            expect-dialog 32500
            click 7
            expect-dialog 32500
            click 6
            click 7
            expect-title "Libreria Velmora..."
            click 1
            expect-no-dialog
            quit)",
                        {"--addon", addon});
        ASSERT_EQ(run.exitCode, 0) << run.output;
        const std::size_t missing = (row.manual ? 0 : 2) + (row.objectList ? 0 : 2);
        EXPECT_EQ(
            CountOf(run.output, "+-- alert \"\" (type -1)\n| " + std::string(row.alert) + "\n| [1] OK\n"),
            missing)
            << run.output;
        EXPECT_EQ(CountOf(run.output, "+-- alert"), missing) << run.output;

        std::vector<std::string> documents;
        for (int round = 0; round < 2; ++round) {
            if (row.manual)
                documents.push_back(Manual);
            if (row.objectList)
                documents.push_back(ObjectList);
        }
        ExpectOpened(shell, addon, documents);
    }
}

} // namespace
