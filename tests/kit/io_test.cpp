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

} // namespace

// --- Locations ------------------------------------------------------------------------

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

// --- Files ----------------------------------------------------------------------------

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
