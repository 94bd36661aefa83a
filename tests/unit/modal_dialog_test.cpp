// The handler pattern the add-on's dialogs share, run by the kit's dialog manager on
// a dialog resource of the add-on (the language dialog's), with a driver that plays
// the user.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "DG.h"
#include "core/ModalDialog.hpp"
#include "hostapi/HostCalls.hpp"
#include "kit/DialogDriver.hpp"
#include "shell/Module.hpp"
#include "test_support.hpp"

using namespace velmora::core;
using namespace velmora::shell;

namespace {

constexpr short DialogResource = 32734; // items: 1 OK, 2 Cancel, 3 list, 6 note
constexpr short ListItem = 3;
constexpr short NoteItem = 6;

// What the dialog's own steps saw, and the slot the opener owns.
struct Opener {
    DialogIdSlot slot{0};
    std::vector<std::string> steps;
    short clickAnswer = 0;
};

Opener& OpenerOf(DGUserData userData)
{
    return *reinterpret_cast<Opener*>(userData);
}

void Fill(short dialId, DGUserData userData)
{
    Opener& opener = OpenerOf(userData);
    opener.steps.push_back("fill, slot " + std::to_string(opener.slot.load() == dialId ? 1 : 0));
    DGSetItemText(dialId, NoteItem, GS::UniString("filled"));
    DGListInsertItem(dialId, ListItem, DG_LIST_BOTTOM);
    DGListInsertItem(dialId, ListItem, DG_LIST_BOTTOM);
    // The resource's own focus, which the pattern must take away.
    DGSetFocus(dialId, ListItem);
}

short Click(short /*dialId*/, short item, DGUserData userData)
{
    Opener& opener = OpenerOf(userData);
    opener.steps.push_back("click " + std::to_string(item));
    return opener.clickAnswer;
}

void Change(short /*dialId*/, short item, DGUserData userData)
{
    OpenerOf(userData).steps.push_back("change " + std::to_string(item));
}

DialogIdSlot* SlotOf(DGUserData userData)
{
    return &OpenerOf(userData).slot;
}

DialogSteps TestSteps()
{
    DialogSteps steps;
    steps.width = 321; // not the resource's 483 x 282
    steps.height = 123;
    steps.fill = Fill;
    steps.click = Click;
    steps.change = Change;
    steps.slot = SlotOf;
    return steps;
}

short TestCallback(short message, short dialId, short item, DGUserData userData, DGMessageData msgData)
{
    static const DialogSteps steps = TestSteps();
    return HandleDialogMessage(steps, message, dialId, item, userData, msgData);
}

// Plays the user: runs `act` on the open modal dialog, after looking at it.
class User : public kit::DialogDriver {
public:
    std::function<void(Int16)> act;
    kit::DialogState seen;
    short slotWhileOpen = 0;
    Opener* opener = nullptr;

    void RunModal(Int16 dialId) override
    {
        kit::GetDialogState(dialId, &seen);
        slotWhileOpen = opener->slot.load();
        if (act)
            act(dialId);
    }
    Int16 OnAlert(const kit::AlertRequest&) override { return 1; }
    bool OnFileDialog(const kit::FileDialogRequest&, std::string*, UInt32*) override { return false; }
};

class ModalDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        velmora::shell::OnModuleLoad(velmora::test::TestProgramModule());
        user.opener = &opener;
        kit::SetDialogDriver(&user);
    }
    void TearDown() override
    {
        kit::SetDialogDriver(nullptr);
        velmora::shell::OnModuleUnload();
    }
    short Run()
    {
        GSResModule module = ACAPI_GetOwnResModule();
        return DGModalDialog(module, DialogResource, module, TestCallback,
                             reinterpret_cast<DGUserData>(&opener));
    }

    Opener opener;
    User user;
};

TEST_F(ModalDialogTest, InitialisationStoresTheIdFillsForcesTheSizeAndFocusesNothing)
{
    user.act = [](Int16 dialId) { kit::Click(dialId, DialogOkItem); };
    EXPECT_EQ(Run(), DialogOkItem);

    EXPECT_NE(user.seen.dialId, 0);
    EXPECT_EQ(user.slotWhileOpen, user.seen.dialId);
    EXPECT_EQ(user.seen.width, 321);
    EXPECT_EQ(user.seen.height, 123);
    EXPECT_EQ(user.seen.focus, DG_NO_ITEM);
    EXPECT_EQ(opener.steps.front(), "fill, slot 1"); // the id is stored before the fill runs
    EXPECT_EQ(opener.slot.load(), 0);                // and cleared at the close
}

TEST_F(ModalDialogTest, ClicksAndChangesFollowThePattern)
{
    struct Row {
        const char* name;
        short clickAnswer;
        std::function<void(Int16)> act;
        short result;
        std::vector<std::string> steps; // after the fill
    };
    const Row rows[] = {
        {"OK closes with 1 after the dialog's own step",
         0,
         [](Int16 d) { kit::Click(d, DialogOkItem); },
         1,
         {"click 1"}},
        {"Cancel closes with 2 whatever the step answers",
         7,
         [](Int16 d) { kit::Click(d, DialogCancelItem); },
         2,
         {"click 2"}},
        {"the close box is Cancel", 0, [](Int16 d) { kit::CloseDialog(d); }, 2, {"click 2"}},
        {"another item answering 0 keeps the dialog open",
         0,
         [](Int16 d) {
             kit::Click(d, NoteItem);
             kit::Click(d, DialogOkItem);
         },
         1,
         {"click 6", "click 1"}},
        {"a list selection reaches the change step",
         0,
         [](Int16 d) {
             kit::SelectListRow(d, ListItem, 2);
             kit::Click(d, DialogOkItem);
         },
         1,
         {"change 3", "click 1"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        opener.steps.clear();
        opener.clickAnswer = row.clickAnswer;
        user.act = row.act;
        EXPECT_EQ(Run(), row.result);
        ASSERT_FALSE(opener.steps.empty());
        std::vector<std::string> after(opener.steps.begin() + 1, opener.steps.end());
        EXPECT_EQ(after, row.steps);
        EXPECT_EQ(opener.slot.load(), 0);
    }
}

TEST(DialogPattern, MessagesWithoutADialogOrAStepAnswerZero)
{
    DialogSteps bare; // no steps, no slot
    struct Row {
        const char* name;
        short message;
        short item;
        short answer;
    };
    const Row rows[] = {
        {"OK closes", DG_MSG_CLICK, DialogOkItem, DialogOkItem},
        {"Cancel closes", DG_MSG_CLICK, DialogCancelItem, DialogCancelItem},
        {"another item without a step stays", DG_MSG_CLICK, 5, 0},
        {"no item", DG_MSG_CLICK, 0, 0},
        {"a negative item", DG_MSG_CLICK, -1, 0},
        {"close answers the closing item", DG_MSG_CLOSE, 2, 2},
        {"change without a step", DG_MSG_CHANGE, 3, 0},
        {"an unknown message", 99, 1, 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(HandleDialogMessage(bare, row.message, 0, row.item, 0, 0), row.answer) << row.name;
    EXPECT_TRUE(IsClosingItem(DialogOkItem) && IsClosingItem(DialogCancelItem));
    EXPECT_FALSE(IsClosingItem(3) || IsClosingItem(0));
}

} // namespace
