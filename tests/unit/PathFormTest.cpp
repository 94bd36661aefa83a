// The one translation between the host's Windows path form and POSIX paths that the
// platform layer, the kit and the host program share.
#include <gtest/gtest.h>

#include <string>

#include "velmora/PathForm.hpp"

namespace {

using velmora::pathform::ToPosix;
using velmora::pathform::ToWindows;

TEST(PathForm, DriveZIsTheRootAndSeparatorsTurn)
{
    struct Row {
        const char* name;
        const char* windows;
        const char* posix;
        bool roundTrip;
    };
    const Row rows[] = {
        {"a file under the root", "Z:\\home\\me\\a.cfg", "/home/me/a.cfg", true},
        {"the root itself", "Z:\\", "/", true},
        {"drive letter in lower case", "z:\\tmp\\x", "/tmp/x", false},
        {"drive Z: alone names the root", "Z:", "/", false},
        {"another drive keeps its letter", "C:\\Windows", "C:/Windows", true},
        {"a relative path", "folder\\file.txt", "folder/file.txt", true},
        {"blanks and non-ASCII bytes pass", "Z:\\V\xC3\xA9lmora files\\a b", "/V\xC3\xA9lmora files/a b",
         true},
        {"the empty path", "", "", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ToPosix(row.windows), row.posix);
        if (row.roundTrip) {
            EXPECT_EQ(ToWindows(row.posix), row.windows);
        }
    }
}

} // namespace
