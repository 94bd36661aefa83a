// The host's file-system library: locations, files, folders and special locations,
// on real files in a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "IO.hpp"
#include "kit/Host.hpp"
#include "test_support.hpp"

namespace fs = std::filesystem;
using velmora::test::FileExists;
using velmora::test::ReadFileBytes;
using velmora::test::TempFolder;
using velmora::test::Utf8;
using velmora::test::WriteFileBytes;

namespace {

IO::Location Loc(const std::string& windowsPath)
{
    return IO::Location(GS::UniString(windowsPath.c_str()));
}

std::string PathOf(const IO::Location& location)
{
    GS::UniString path;
    if (location.ToPath(&path) != NoError)
        return "<error>";
    return Utf8(path);
}

std::string LastName(const IO::Location& location)
{
    IO::Name name;
    if (location.GetLastLocalName(&name) != NoError)
        return "<error>";
    return Utf8(name.ToString());
}

// Reads a whole file through the host's interface.
std::string ReadAll(const IO::Location& location)
{
    IO::File file(location, IO::File::Fail);
    if (file.GetStatus() != NoError || file.Open(IO::File::ReadMode) != NoError)
        return "<error>";
    UInt64 length = 0;
    EXPECT_EQ(file.GetDataLength(&length), NoError);
    std::string bytes(static_cast<size_t>(length), '\0');
    EXPECT_EQ(file.ReadBin(bytes.data(), static_cast<Int32>(length)), NoError);
    EXPECT_EQ(file.Close(), NoError);
    return bytes;
}

GSErrCode WriteAt(const IO::Location& location, IO::File::OpenMode mode, Int64 position,
                  const std::string& bytes)
{
    IO::File file(location, IO::File::Create);
    if (file.GetStatus() != NoError)
        return file.GetStatus();
    GSErrCode error = file.Open(mode);
    if (error == NoError && position >= 0)
        error = file.SetPosition(position);
    if (error == NoError)
        error = file.WriteBin(bytes.data(), static_cast<Int32>(bytes.size()));
    const GSErrCode closed = file.Close();
    return error != NoError ? error : closed;
}

// Takes the write permission away (the read-only attribute on Windows).
void MakeReadOnly(const std::string& nativePath)
{
    fs::permissions(nativePath, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

} // namespace

// --- Locations ------------------------------------------------------------------------

TEST(IOLocation, KeepsTheWindowsFormWithoutATrailingBackslash)
{
    EXPECT_EQ(PathOf(Loc("C:\\Users\\me\\")), "C:\\Users\\me");
    EXPECT_EQ(PathOf(Loc("C:/Users/me/file.txt")), "C:\\Users\\me\\file.txt");
    EXPECT_EQ(PathOf(Loc("C:\\")), "C:\\");
    EXPECT_EQ(PathOf(Loc("\\\\server\\share\\dir\\")), "\\\\server\\share\\dir");
    EXPECT_TRUE(Loc("C:\\a") == Loc("C:\\a\\"));
}

TEST(IOLocation, OnlyAbsolutePathsAreValid)
{
    EXPECT_TRUE(Loc("Z:\\tmp").IsValid());
    EXPECT_TRUE(Loc("\\\\server\\share").IsValid());
    EXPECT_FALSE(Loc("").IsValid());
    EXPECT_TRUE(Loc("").IsEmpty());
    EXPECT_FALSE(Loc("relative\\file.txt").IsValid());
    EXPECT_FALSE(Loc("C:file.txt").IsValid());
    EXPECT_FALSE(IO::Location().IsValid());

    GS::UniString untouched("before");
    EXPECT_EQ(Loc("relative").ToPath(&untouched), IO::BadLocation);
    EXPECT_EQ(IO::Location().ToPath(&untouched), IO::BadLocation);
    EXPECT_EQ(Utf8(untouched), "before");
}

TEST(IOLocation, TakesAwayAndAppendsNames)
{
    IO::Location location = Loc("C:\\Data\\Velmora\\file.cfg");
    EXPECT_EQ(LastName(location), "file.cfg");
    ASSERT_EQ(location.DeleteLastLocalName(), NoError);
    EXPECT_EQ(PathOf(location), "C:\\Data\\Velmora");
    ASSERT_EQ(location.DeleteLastLocalName(), NoError);
    ASSERT_EQ(location.DeleteLastLocalName(), NoError);
    EXPECT_EQ(PathOf(location), "C:\\");
    EXPECT_EQ(LastName(location), "<error>");
    EXPECT_EQ(location.DeleteLastLocalName(), IO::BadLocation);
    EXPECT_EQ(PathOf(location), "C:\\");

    ASSERT_EQ(location.AppendToLocal(IO::Name(GS::UniString("new"))), NoError);
    EXPECT_EQ(PathOf(location), "C:\\new");
    ASSERT_EQ(location.AppendToLocal(IO::Name(GS::UniString("x.txt"))), NoError);
    EXPECT_EQ(PathOf(location), "C:\\new\\x.txt");
    EXPECT_EQ(location.AppendToLocal(IO::Name()), IO::BadLocation);
    EXPECT_EQ(PathOf(location), "C:\\new\\x.txt");

    EXPECT_EQ(LastName(Loc("Untitled")), "Untitled"); // a bare name is its own last name
    EXPECT_EQ(LastName(Loc("\\\\server")), "<error>");
    EXPECT_EQ(LastName(IO::Location()), "<error>");
}

TEST(IOLocation, KeepsTextBeyondAscii)
{
    const std::string path = "C:\\Dokumente\\Gr\xC3\xBC\xC3\x9F"
                             "e\\\xE6\x97\xA5\xE6\x9C\xAC.txt";
    EXPECT_EQ(PathOf(Loc(path)), path);
    EXPECT_EQ(LastName(Loc(path)), "\xE6\x97\xA5\xE6\x9C\xAC.txt");
}

// --- Files ----------------------------------------------------------------------------

TEST(IOFile, MissingFileFollowsTheNotFoundPolicy)
{
    TempFolder folder;
    const IO::Location missing = Loc(folder.WindowsFile("missing.txt"));

    IO::File failing(missing, IO::File::Fail);
    EXPECT_EQ(failing.GetStatus(), IO::FileNotFound);
    EXPECT_EQ(failing.Open(IO::File::ReadWriteMode), IO::FileNotFound);
    EXPECT_FALSE(failing.IsOpen());
    EXPECT_FALSE(FileExists(folder.File("missing.txt")));

    IO::File ignoring(missing, IO::File::Ignore);
    EXPECT_EQ(ignoring.GetStatus(), NoError);
    EXPECT_FALSE(FileExists(folder.File("missing.txt")));
    EXPECT_EQ(ignoring.Open(IO::File::ReadMode), IO::FileNotFound);

    IO::File creating(missing, IO::File::Create);
    EXPECT_EQ(creating.GetStatus(), NoError);
    ASSERT_TRUE(FileExists(folder.File("missing.txt")));
    EXPECT_EQ(ReadFileBytes(folder.File("missing.txt")), "");
}

TEST(IOFile, CreateLeavesAnExistingFileAlone)
{
    TempFolder folder;
    WriteFileBytes(folder.File("kept.txt"), "content");
    IO::File file(Loc(folder.WindowsFile("kept.txt")), IO::File::Create);
    EXPECT_EQ(file.GetStatus(), NoError);
    EXPECT_EQ(ReadFileBytes(folder.File("kept.txt")), "content");
}

TEST(IOFile, CannotBeMadeWhereThereIsNoFile)
{
    TempFolder folder;
    IO::File noParent(Loc(folder.WindowsFile("no-such-folder\\file.txt")), IO::File::Create);
    EXPECT_EQ(noParent.GetStatus(), IO::FileNotFound);

    fs::create_directory(folder.File("sub"));
    IO::File onFolder(Loc(folder.WindowsFile("sub")), IO::File::Create);
    EXPECT_EQ(onFolder.GetStatus(), IO::AccessDenied);
    EXPECT_EQ(onFolder.Open(IO::File::ReadMode), IO::AccessDenied);

    IO::File relative(Loc("relative.txt"), IO::File::Create);
    EXPECT_EQ(relative.GetStatus(), IO::BadLocation);
    EXPECT_FALSE(FileExists("relative.txt"));
}

TEST(IOFile, WritesAndReadsBack)
{
    TempFolder folder;
    const IO::Location location = Loc(folder.WindowsFile("data.bin"));
    std::string bytes("\x00\x01\xFF\r\n$key: value", 17);
    ASSERT_EQ(WriteAt(location, IO::File::WriteEmptyMode, -1, bytes), NoError);
    EXPECT_EQ(ReadFileBytes(folder.File("data.bin")), bytes);
    EXPECT_EQ(ReadAll(location), bytes);
}

TEST(IOFile, OpenModesDecideWhatHappensToTheRest)
{
    TempFolder folder;
    const IO::Location location = Loc(folder.WindowsFile("modes.txt"));
    const std::string path = folder.File("modes.txt");

    WriteFileBytes(path, "0123456789");
    ASSERT_EQ(WriteAt(location, IO::File::ReadWriteMode, 0, "abc"), NoError);
    EXPECT_EQ(ReadFileBytes(path), "abc3456789"); // the longer tail stays

    ASSERT_EQ(WriteAt(location, IO::File::ReadWriteMode, 8, "XYZ"), NoError);
    EXPECT_EQ(ReadFileBytes(path), "abc34567XYZ");

    ASSERT_EQ(WriteAt(location, IO::File::WriteMode, -1, "w"), NoError);
    EXPECT_EQ(ReadFileBytes(path), "wbc34567XYZ");

    ASSERT_EQ(WriteAt(location, IO::File::AppendMode, -1, "+"), NoError);
    EXPECT_EQ(ReadFileBytes(path), "wbc34567XYZ+");

    ASSERT_EQ(WriteAt(location, IO::File::WriteEmptyMode, -1, "new"), NoError);
    EXPECT_EQ(ReadFileBytes(path), "new");
}

TEST(IOFile, WriteModesCreateAMissingFile)
{
    TempFolder folder;
    IO::File file(Loc(folder.WindowsFile("late.txt")), IO::File::Ignore);
    ASSERT_EQ(file.GetStatus(), NoError);
    ASSERT_EQ(file.Open(IO::File::ReadWriteMode), NoError);
    ASSERT_EQ(file.WriteBin("late", 4), NoError);
    ASSERT_EQ(file.Close(), NoError);
    EXPECT_EQ(ReadFileBytes(folder.File("late.txt")), "late");
}

TEST(IOFile, PositionsLengthAndShortReads)
{
    TempFolder folder;
    WriteFileBytes(folder.File("f.txt"), "0123456789");
    IO::File file(Loc(folder.WindowsFile("f.txt")), IO::File::Fail);
    ASSERT_EQ(file.Open(IO::File::ReadWriteMode), NoError);

    UInt64 length = 0;
    ASSERT_EQ(file.GetDataLength(&length), NoError);
    EXPECT_EQ(length, 10u);

    char buffer[16] = {};
    ASSERT_EQ(file.SetPosition(7), NoError);
    Int32 read = -1;
    EXPECT_EQ(file.ReadBin(buffer, 5, &read), NoError); // the count tells the end of the file
    EXPECT_EQ(read, 3);
    EXPECT_EQ(std::string(buffer, 3), "789");

    ASSERT_EQ(file.SetPosition(8), NoError);
    EXPECT_EQ(file.ReadBin(buffer, 5), IO::FileIOError); // without a count a short read fails
    EXPECT_EQ(file.SetPosition(-1), IO::GenericError);
    EXPECT_EQ(file.ReadBin(buffer, -1), IO::GenericError);

    ASSERT_EQ(file.SetDataLength(4), NoError);
    ASSERT_EQ(file.GetDataLength(&length), NoError);
    EXPECT_EQ(length, 4u);
    ASSERT_EQ(file.SetDataLength(6), NoError);
    ASSERT_EQ(file.Flush(), NoError);
    ASSERT_EQ(file.Close(), NoError);
    EXPECT_EQ(ReadFileBytes(folder.File("f.txt")), std::string("0123\0\0", 6));
}

TEST(IOFile, ClosedFilesRefuseWork)
{
    TempFolder folder;
    IO::File file(Loc(folder.WindowsFile("c.txt")), IO::File::Create);
    ASSERT_EQ(file.GetStatus(), NoError);
    char byte = 0;
    UInt64 length = 0;
    EXPECT_EQ(file.ReadBin(&byte, 1), IO::NotOpen);
    EXPECT_EQ(file.WriteBin(&byte, 1), IO::NotOpen);
    EXPECT_EQ(file.GetDataLength(&length), IO::NotOpen);
    EXPECT_EQ(file.SetPosition(0), IO::NotOpen);
    EXPECT_EQ(file.Flush(), IO::NotOpen);
    EXPECT_EQ(file.Close(), IO::NotOpen);

    ASSERT_EQ(file.Open(IO::File::ReadMode), NoError);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Open(IO::File::ReadMode), IO::GenericError); // already open
    EXPECT_EQ(file.Close(), NoError);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Close(), IO::NotOpen);
}

TEST(IOFile, AccessFollowsTheOpenMode)
{
    TempFolder folder;
    WriteFileBytes(folder.File("a.txt"), "abc");
    const IO::Location location = Loc(folder.WindowsFile("a.txt"));
    char buffer[3] = {};

    IO::File reader(location, IO::File::Fail);
    ASSERT_EQ(reader.Open(IO::File::ReadMode), NoError);
    EXPECT_EQ(reader.WriteBin("x", 1), IO::AccessDenied);
    EXPECT_EQ(reader.SetDataLength(0), IO::AccessDenied);

    IO::File writer(location, IO::File::Fail);
    ASSERT_EQ(writer.Open(IO::File::WriteMode), NoError);
    EXPECT_EQ(writer.ReadBin(buffer, 1), IO::AccessDenied);
    EXPECT_EQ(ReadFileBytes(folder.File("a.txt")), "abc");
}

TEST(IOFile, ReadOnlyFilesRefuseWriting)
{
    TempFolder folder;
    WriteFileBytes(folder.File("ro.txt"), "locked");
    MakeReadOnly(folder.File("ro.txt"));
    const IO::Location location = Loc(folder.WindowsFile("ro.txt"));

    IO::File file(location, IO::File::Fail);
    ASSERT_EQ(file.GetStatus(), NoError);
    const GSErrCode denied = file.Open(IO::File::ReadWriteMode, IO::File::FailOnAccessDenied);
    if (denied == NoError)
        GTEST_SKIP() << "this account may write read-only files";
    EXPECT_EQ(denied, IO::AccessDenied);
    EXPECT_EQ(file.Open(IO::File::WriteEmptyMode), IO::AccessDenied);

    ASSERT_EQ(file.Open(IO::File::ReadWriteMode, IO::File::ReadOnlyOnAccessDenied), NoError);
    char buffer[6] = {};
    EXPECT_EQ(file.ReadBin(buffer, 6), NoError);
    EXPECT_EQ(std::string(buffer, 6), "locked");
    EXPECT_EQ(file.WriteBin("x", 1), IO::AccessDenied);
    EXPECT_EQ(file.Close(), NoError);
    EXPECT_EQ(ReadFileBytes(folder.File("ro.txt")), "locked");
}

TEST(IOFile, NamesBeyondAsciiReachTheFileSystem)
{
    TempFolder folder;
    const std::string name = "Gr\xC3\xBC\xC3\x9F"
                             "e \xE6\x97\xA5\xE6\x9C\xAC \xD0\xA0.txt";
    ASSERT_EQ(WriteAt(Loc(folder.WindowsFile(name)), IO::File::WriteEmptyMode, -1, "x"), NoError);
    const fs::path native = fs::path(folder.Native()) / fs::path(std::u8string(name.begin(), name.end()));
    EXPECT_TRUE(fs::exists(native));
    EXPECT_EQ(ReadAll(Loc(folder.WindowsFile(name))), "x");
}

#if !defined(_WIN32)
TEST(IOFile, DriveZIsThePosixRoot)
{
    TempFolder folder; // a POSIX path such as /tmp/velmora-test-1
    WriteFileBytes(folder.File("z.txt"), "root");
    std::string windows = "Z:" + folder.Native() + "/z.txt";
    for (char& c : windows)
        if (c == '/')
            c = '\\';
    EXPECT_EQ(ReadAll(Loc(windows)), "root");
    std::string lower = windows;
    lower[0] = 'z';
    EXPECT_EQ(ReadAll(Loc(lower)), "root");
}
#endif

// --- Folders --------------------------------------------------------------------------

TEST(IOFolder, DeletesNamedFiles)
{
    TempFolder folder;
    WriteFileBytes(folder.File("__updts__.tmp"), "list");
    IO::Folder dir(Loc(folder.Windows()));
    ASSERT_EQ(dir.GetStatus(), NoError);

    EXPECT_EQ(dir.Delete(IO::Name(GS::UniString("__updts__.tmp"))), NoError);
    EXPECT_FALSE(FileExists(folder.File("__updts__.tmp")));
    EXPECT_EQ(dir.Delete(IO::Name(GS::UniString("__updts__.tmp"))), IO::FileNotFound);
}

TEST(IOFolder, RefusesWhatIsNotAFileInIt)
{
    TempFolder folder;
    fs::create_directory(folder.File("sub"));
    WriteFileBytes(folder.File("sub/inner.txt"), "x");
    IO::Folder dir(Loc(folder.Windows()));

    EXPECT_EQ(dir.Delete(IO::Name(GS::UniString("sub"))), IO::AccessDenied);
    EXPECT_EQ(dir.Delete(IO::Name(GS::UniString("sub\\inner.txt"))), IO::BadLocation);
    EXPECT_EQ(dir.Delete(IO::Name(GS::UniString(".."))), IO::BadLocation);
    EXPECT_EQ(dir.Delete(IO::Name()), IO::BadLocation);
    EXPECT_TRUE(FileExists(folder.File("sub/inner.txt")));

    IO::Folder missing(Loc(folder.WindowsFile("nowhere")));
    EXPECT_EQ(missing.GetStatus(), IO::FileNotFound);
    EXPECT_EQ(missing.Delete(IO::Name(GS::UniString("x"))), IO::FileNotFound);

    IO::Folder relative(Loc("relative"));
    EXPECT_EQ(relative.GetStatus(), IO::BadLocation);
}

// --- Special locations ----------------------------------------------------------------

TEST(IOFileSystem, ReportsTheFolderTheHostSet)
{
    TempFolder folder;
    kit::SetSpecialFolder(IO::FileSystem::UserPreferences, folder.Native());
    IO::Location location;
    ASSERT_EQ(IO::fileSystem.GetSpecialLocation(14, &location), NoError);
    EXPECT_EQ(PathOf(location), folder.Windows());

    // A file made in it lands in the native folder.
    ASSERT_EQ(location.AppendToLocal(IO::Name(GS::UniString("VelmoraPlugins.cfg"))), NoError);
    ASSERT_EQ(WriteAt(location, IO::File::WriteEmptyMode, -1, "cfg"), NoError);
    EXPECT_EQ(ReadFileBytes(folder.File("VelmoraPlugins.cfg")), "cfg");

    kit::SetSpecialFolder(IO::FileSystem::UserPreferences, folder.Native() + "/");
    ASSERT_EQ(IO::fileSystem.GetSpecialLocation(14, &location), NoError);
    EXPECT_EQ(PathOf(location), folder.Windows());
    kit::SetSpecialFolder(IO::FileSystem::UserPreferences, "");
}

TEST(IOFileSystem, FailsWhenTheHostHasNoFolder)
{
    kit::SetSpecialFolder(IO::FileSystem::UserPreferences, "");
    IO::Location location = Loc("C:\\unchanged");
    EXPECT_EQ(IO::fileSystem.GetSpecialLocation(14, &location), IO::NoSuchSpecialLocation);
    EXPECT_EQ(PathOf(location), "C:\\unchanged");
    EXPECT_EQ(IO::fileSystem.GetSpecialLocation(3, &location), IO::NoSuchSpecialLocation);
    EXPECT_EQ(IO::fileSystem.GetSpecialLocation(14, nullptr), IO::GenericError);
}
