// The host's file-system library as the add-on's configuration store uses it: files
// written and read back in every open mode, and the per-user folder the host names.
#include <gtest/gtest.h>

#include <string>

#include "IO.hpp"
#include "kit/Host.hpp"
#include "test_support.hpp"

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
