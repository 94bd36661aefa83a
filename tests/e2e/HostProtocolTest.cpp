// The built add-on file loaded into the stand-in host through the host's own
// loader, with the host-function table of the host: the entry protocol, what the
// add-on registers, and its unload.
#include <gtest/gtest.h>

#include <sstream>

#include "AddonHost.hpp"
#include "IO.hpp"
#include "TestSupport.hpp"
#include "kit/Host.hpp"

namespace {

using velmora::host::AddonHost;
using velmora::host::HostCall;
using velmora::host::Transcript;

class AddonProtocolTest : public ::testing::Test {
protected:
    void SetUp() override { kit::SetSpecialFolder(IO::FileSystem::UserPreferences, userFolder.Native()); }
    void TearDown() override { kit::SetSpecialFolder(IO::FileSystem::UserPreferences, ""); }

    velmora::test::TempFolder userFolder;
    std::ostringstream output;
    Transcript transcript{output};
};

TEST_F(AddonProtocolTest, TheProtocolRunsInTheHostsOrder)
{
    AddonHost host(transcript);
    ASSERT_TRUE(host.Load(velmora::test::AddonFile())) << transcript.Text();
    velmora::host::ProtocolReport report = host.Report();

    EXPECT_TRUE(report.exportsFound);
    EXPECT_EQ(report.versionWord, 0x00130001u);
    EXPECT_EQ(report.interfaceVersion, 19000);
    EXPECT_EQ(report.entryPointCount, 4);
    EXPECT_TRUE(report.recordRestZero);
    EXPECT_EQ(report.setImportedResult, NoError);
    EXPECT_EQ(report.kind, 2);
    EXPECT_EQ(report.name, "VelmoraLibrary 19.0 (DA190)");
    EXPECT_EQ(report.description, "VelmoraLibrary");
    EXPECT_EQ(report.registerResult, NoError);
    EXPECT_EQ(report.initializeResult, NoError);
    EXPECT_TRUE(report.initialized);
    EXPECT_NE(report.token, 0);

    // RegisterInterface: the English menu, then entry 17; Initialize: seven handlers.
    std::vector<HostCall> calls = host.Calls();
    ASSERT_GE(calls.size(), 9u) << transcript.Text();
    EXPECT_EQ(calls[0].entry, APIEntry_RegisterMenu);
    EXPECT_EQ(calls[0].arguments, "menu=32501, prompt=0, position=13, flags=0");
    EXPECT_EQ(calls[0].result, NoError);
    EXPECT_EQ(calls[1].entry, APIEntry_RegisterSupportedService);
    EXPECT_EQ(calls[1].arguments, "null");
    for (int i = 0; i < 7; ++i) {
        const HostCall& call = calls[2 + static_cast<std::size_t>(i)];
        EXPECT_EQ(call.entry, APIEntry_InstallMenuHandler);
        EXPECT_EQ(call.menuId, 32500 + i);
        EXPECT_EQ(call.result, NoError);
    }
    EXPECT_EQ(host.HandlerMenuIds(), (std::vector<Int16>{32500, 32501, 32502, 32503, 32504, 32505, 32506}));
    // Host calls made by the add-on all carry the token given to Initialize.
    for (std::size_t i = 2; i < calls.size(); ++i)
        EXPECT_EQ(calls[i].token, report.token) << calls[i].name << "(" << calls[i].arguments << ")";

    host.Unload(velmora::host::FreeDataCall::Call);
    report = host.Report();
    EXPECT_TRUE(report.freeDataCalled);
    EXPECT_EQ(report.freeDataResult, NoError);
    EXPECT_FALSE(host.IsLoaded());
    EXPECT_EQ(host.DebugOutput(), "");
}

} // namespace
