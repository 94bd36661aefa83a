// The dialog manager: modal and modeless dialogs driven by a test driver that
// plays the user, callbacks that record what the add-on would see, list boxes,
// alerts, file dialogs, and dialogs used from worker threads while the test's
// thread plays the host's UI thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "DG.h"
#include "FTM.hpp"
#include "kit/DialogDriver.hpp"
#include "test_support.hpp"

using velmora::test::Utf8;

namespace {

// --- What the add-on sees -----------------------------------------------------------

struct Message {
    short message;
    short dialId;
    short item;
    DGMessageData data;
    bool operator==(const Message& other) const
    {
        return message == other.message && dialId == other.dialId && item == other.item && data == other.data;
    }
};

std::ostream& operator<<(std::ostream& out, const Message& m)
{
    return out << "{msg " << m.message << ", dial " << m.dialId << ", item " << m.item << ", data " << m.data
               << "}";
}

// The add-on's side of a dialog: records every message and answers as `react` says
// (by default the shared handler pattern: clicks on items 1 and 2 close).
struct Recorder {
    std::function<short(const Message&)> react;

    std::vector<Message> Messages()
    {
        std::lock_guard<std::mutex> guard(lock);
        return messages;
    }
    void Add(const Message& m)
    {
        std::lock_guard<std::mutex> guard(lock);
        messages.push_back(m);
    }
    DGUserData UserData() { return reinterpret_cast<DGUserData>(this); }

private:
    std::mutex lock;
    std::vector<Message> messages;
};

short DefaultReaction(const Message& m)
{
    if (m.message == DG_MSG_CLICK && (m.item == 1 || m.item == 2))
        return m.item;
    return 0;
}

short RecordingCallback(short message, short dialId, short item, DGUserData userData, DGMessageData data)
{
    auto* recorder = reinterpret_cast<Recorder*>(userData);
    const Message m{message, dialId, item, data};
    recorder->Add(m);
    return recorder->react ? recorder->react(m) : DefaultReaction(m);
}

// --- The user ----------------------------------------------------------------------

class TestDriver : public kit::DialogDriver {
public:
    std::function<void(Int16)> runModal;
    std::function<Int16(const kit::AlertRequest&)> alert;
    std::function<bool(const kit::FileDialogRequest&, std::string*, UInt32*)> fileDialog;

    void RunModal(Int16 dialId) override
    {
        ++modalRuns;
        if (runModal)
            runModal(dialId);
    }
    void OnDialogEvent(Int16 dialId, kit::DialogEvent event) override
    {
        std::lock_guard<std::mutex> guard(lock);
        events.emplace_back(dialId, event);
    }
    Int16 OnAlert(const kit::AlertRequest& request) override { return alert ? alert(request) : 1; }
    bool OnFileDialog(const kit::FileDialogRequest& request, std::string* path, UInt32* filter) override
    {
        return fileDialog && fileDialog(request, path, filter);
    }

    std::vector<kit::DialogEvent> EventsOf(Int16 dialId)
    {
        std::lock_guard<std::mutex> guard(lock);
        std::vector<kit::DialogEvent> out;
        for (const auto& [id, event] : events)
            if (id == dialId)
                out.push_back(event);
        return out;
    }
    void ForgetEvents()
    {
        std::lock_guard<std::mutex> guard(lock);
        events.clear();
    }

    std::atomic<int> modalRuns{0};

private:
    std::mutex lock;
    std::vector<std::pair<Int16, kit::DialogEvent>> events;
};

using kit::DialogEvent;

// --- Dialogs -----------------------------------------------------------------------

constexpr short OkItem = 1, CancelItem = 2, ListItem = 3, NoteItem = 4, HiddenItem = 5, EditItem = 6;

kit::DialogItemTemplate Item(Int16 number, kit::ItemKind kind, const char* text, bool hidden = false)
{
    kit::DialogItemTemplate item;
    item.number = number;
    item.kind = kind;
    item.left = static_cast<Int16>(10 * number);
    item.top = 20;
    item.width = 60;
    item.height = 26;
    item.text = GS::UniString(text);
    item.hidden = hidden;
    return item;
}

kit::DialogTemplate TestTemplate(GSResID id = 32734)
{
    kit::DialogTemplate t;
    t.id = id;
    t.title = GS::UniString("Template title");
    t.width = 300;
    t.height = 200;
    t.items = {Item(OkItem, kit::ItemKind::PushButton, "OK"),
               Item(CancelItem, kit::ItemKind::PushButton, "Cancel"),
               Item(ListItem, kit::ItemKind::ListBox, ""),
               Item(NoteItem, kit::ItemKind::StaticText, "Note"),
               Item(HiddenItem, kit::ItemKind::PushButton, "Hidden", true),
               Item(EditItem, kit::ItemKind::EditText, "")};
    return t;
}

short RunModal(Recorder& recorder, const kit::DialogTemplate& t = TestTemplate())
{
    return kit::ModalDialogFromTemplate(t, InvalidResModule, RecordingCallback, recorder.UserData());
}

short OpenModeless(Recorder& recorder, const kit::DialogTemplate& t = TestTemplate(32755))
{
    return kit::ModelessDialogFromTemplate(t, InvalidResModule, RecordingCallback, recorder.UserData());
}

kit::DialogState State(Int16 dialId)
{
    kit::DialogState state;
    EXPECT_TRUE(kit::GetDialogState(dialId, &state)) << "dialog " << dialId;
    return state;
}

const kit::ItemState& ItemOf(const kit::DialogState& state, Int16 number)
{
    for (const kit::ItemState& item : state.items)
        if (item.number == number)
            return item;
    static const kit::ItemState none;
    ADD_FAILURE() << "no item " << number;
    return none;
}

bool IsOpen(Int16 dialId)
{
    return kit::GetDialogState(dialId, nullptr);
}

// Runs `work` on a worker thread while the calling (UI) thread serves the work the
// worker hands to it, as the host does while it waits for input. A worker still
// running after 20 seconds fails the test and is let go as at the host's shutdown.
void OnWorker(const std::function<void()>& work)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done && std::chrono::steady_clock::now() < limit)
        kit::WaitForUiWork(0.005);
    if (!done) {
        ADD_FAILURE() << "the worker did not finish";
        kit::SetHostShuttingDown(true);
    }
    worker.join();
    kit::SetHostShuttingDown(false);
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { kit::SetDialogDriver(&driver); }
    void TearDown() override
    {
        for (Int16 id : kit::OpenDialogs()) {
            ADD_FAILURE() << "dialog " << id << " left open";
            DGModelessClose(id);
        }
        kit::SetDialogDriver(nullptr);
    }

    TestDriver driver;
};

} // namespace

// --- Modal dialogs -------------------------------------------------------------------

TEST_F(DialogTest, ModalDialogInitialisesRunsAndClosesWithTheClickedItem)
{
    Recorder recorder;
    short seenId = 0;
    recorder.react = [&](const Message& m) -> short {
        if (m.message == DG_MSG_INIT) {
            // The shared handler pattern: texts, size and focus from inside the callback.
            seenId = m.dialId;
            EXPECT_TRUE(kit::OpenDialogs().empty()); // not listed before it is initialised
            EXPECT_TRUE(IsOpen(m.dialId));
            DGSetDialogTitle(m.dialId, GS::UniString("VelmoraLibrary"));
            DGSetDialogSize(m.dialId, DG_CLIENT, 483, 282, DG_TOPLEFT, true);
            DGSetItemText(m.dialId, NoteItem, GS::UniString("Restart to apply"));
            DGSetFocus(m.dialId, DG_NO_ITEM);
        }
        return DefaultReaction(m);
    };
    driver.runModal = [&](Int16 dialId) {
        EXPECT_EQ(dialId, seenId);
        EXPECT_EQ(kit::OpenDialogs(), std::vector<Int16>{dialId});
        const kit::DialogState state = State(dialId);
        EXPECT_TRUE(state.modal);
        EXPECT_TRUE(state.visible);
        EXPECT_EQ(state.resId, 32734);
        EXPECT_EQ(Utf8(state.title), "VelmoraLibrary");
        EXPECT_EQ(state.width, 483);
        EXPECT_EQ(state.height, 282);
        EXPECT_EQ(state.focus, DG_NO_ITEM);
        EXPECT_EQ(Utf8(ItemOf(state, NoteItem).text), "Restart to apply");
        EXPECT_EQ(Utf8(ItemOf(state, OkItem).text), "OK");
        EXPECT_EQ(ItemOf(state, OkItem).left, 10);
        EXPECT_EQ(ItemOf(state, ListItem).kind, kit::ItemKind::ListBox);

        EXPECT_TRUE(kit::Click(dialId, NoteItem)); // answered 0: the dialog stays
        EXPECT_TRUE(IsOpen(dialId));
        EXPECT_TRUE(kit::Click(dialId, OkItem));
        EXPECT_FALSE(IsOpen(dialId));
        EXPECT_FALSE(kit::Click(dialId, OkItem));
    };

    EXPECT_EQ(RunModal(recorder), OkItem);
    EXPECT_EQ(driver.modalRuns, 1);
    const std::vector<Message> expected = {{DG_MSG_INIT, seenId, 0, 0},
                                           {DG_MSG_CLICK, seenId, NoteItem, NoteItem},
                                           {DG_MSG_CLICK, seenId, OkItem, OkItem},
                                           {DG_MSG_CLOSE, seenId, OkItem, OkItem}};
    EXPECT_EQ(recorder.Messages(), expected);
    EXPECT_EQ(driver.EventsOf(seenId),
              (std::vector<DialogEvent>{DialogEvent::Opened, DialogEvent::Shown, DialogEvent::Closed}));
    EXPECT_TRUE(kit::OpenDialogs().empty());
}

TEST_F(DialogTest, TheCallbackResultIsTheDialogResult)
{
    Recorder recorder;
    recorder.react = [](const Message& m) -> short {
        return m.message == DG_MSG_CLICK && m.item == 6 ? 42 : 0;
    };
    driver.runModal = [](Int16 dialId) { kit::Click(dialId, EditItem); };
    EXPECT_EQ(RunModal(recorder), 42);
    const Message close = recorder.Messages().back();
    EXPECT_EQ(close.message, DG_MSG_CLOSE);
    EXPECT_EQ(close.item, 42);
    EXPECT_EQ(close.data, 42);
}

TEST_F(DialogTest, HiddenAndDisabledItemsRefuseClicks)
{
    Recorder recorder;
    driver.runModal = [&](Int16 dialId) {
        EXPECT_FALSE(ItemOf(State(dialId), HiddenItem).visible);
        EXPECT_FALSE(kit::Click(dialId, HiddenItem));
        EXPECT_FALSE(kit::Click(dialId, 99));
        EXPECT_FALSE(kit::Click(static_cast<Int16>(dialId + 100), OkItem));

        DGShowItem(dialId, HiddenItem);
        EXPECT_TRUE(kit::Click(dialId, HiddenItem));

        DGDisableItem(dialId, OkItem);
        EXPECT_FALSE(ItemOf(State(dialId), OkItem).enabled);
        EXPECT_FALSE(kit::Click(dialId, OkItem));
        DGHideItem(dialId, CancelItem);
        EXPECT_FALSE(kit::Click(dialId, CancelItem));

        DGEnableItem(dialId, OkItem);
        EXPECT_TRUE(kit::Click(dialId, OkItem));
    };
    EXPECT_EQ(RunModal(recorder), OkItem);
    int clicks = 0;
    for (const Message& m : recorder.Messages())
        clicks += m.message == DG_MSG_CLICK;
    EXPECT_EQ(clicks, 2); // the hidden item once shown, then OK
}

TEST_F(DialogTest, AllItemsChangeTogether)
{
    Recorder recorder;
    driver.runModal = [&](Int16 dialId) {
        DGHideItem(dialId, DG_ALL_ITEMS);
        for (const kit::ItemState& item : State(dialId).items)
            EXPECT_FALSE(item.visible) << "item " << item.number;
        DGShowItem(dialId, DG_ALL_ITEMS);
        DGDisableItem(dialId, DG_ALL_ITEMS);
        for (const kit::ItemState& item : State(dialId).items) {
            EXPECT_TRUE(item.visible) << "item " << item.number;
            EXPECT_FALSE(item.enabled) << "item " << item.number;
        }
        DGEnableItem(dialId, DG_ALL_ITEMS);
        DGSetFocus(dialId, EditItem);
        EXPECT_EQ(State(dialId).focus, EditItem);
        DGSetFocus(dialId, 77); // no such item: the focus stays
        EXPECT_EQ(State(dialId).focus, EditItem);
        EXPECT_EQ(Utf8(DGGetItemText(dialId, OkItem)), "OK");
        EXPECT_EQ(Utf8(DGGetItemText(dialId, 77)), "");
        kit::Click(dialId, OkItem);
    };
    EXPECT_EQ(RunModal(recorder), OkItem);
}

TEST_F(DialogTest, ADriverThatGivesUpCancelsTheDialog)
{
    // The system's Cancel reaches item 2 even when it is hidden, as the About dialog expects.
    Recorder recorder;
    driver.runModal = [](Int16 dialId) { DGHideItem(dialId, CancelItem); };
    EXPECT_EQ(RunModal(recorder), CancelItem);
    const std::vector<Message> messages = recorder.Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[1].message, DG_MSG_CLICK);
    EXPECT_EQ(messages[1].item, CancelItem);
    EXPECT_EQ(messages[2].message, DG_MSG_CLOSE);
    EXPECT_EQ(messages[2].item, CancelItem);

    // A callback that ignores Cancel still sees the dialog close, with item 2.
    Recorder stubborn;
    stubborn.react = [](const Message&) -> short { return 0; };
    EXPECT_EQ(RunModal(stubborn), CancelItem);
    EXPECT_EQ(stubborn.Messages().back(), (Message{DG_MSG_CLOSE, stubborn.Messages()[0].dialId, 2, 2}));
}

TEST_F(DialogTest, TheCloseBoxActsAsCancel)
{
    Recorder recorder;
    recorder.react = [](const Message& m) -> short {
        return m.message == DG_MSG_CLICK && m.item == CancelItem ? 7 : 0;
    };
    driver.runModal = [](Int16 dialId) {
        EXPECT_TRUE(kit::CloseDialog(dialId));
        EXPECT_FALSE(kit::CloseDialog(dialId));
    };
    EXPECT_EQ(RunModal(recorder), 7);
    EXPECT_EQ(recorder.Messages().back().message, DG_MSG_CLOSE);
    EXPECT_EQ(recorder.Messages().back().item, 7);
}

TEST_F(DialogTest, WithoutADriverModalDialogsCancelAtOnce)
{
    kit::SetDialogDriver(nullptr);
    Recorder recorder;
    EXPECT_EQ(RunModal(recorder), CancelItem);
    const std::vector<Message> messages = recorder.Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].message, DG_MSG_INIT);
    EXPECT_EQ(messages[1], (Message{DG_MSG_CLICK, messages[0].dialId, CancelItem, CancelItem}));
    EXPECT_EQ(messages[2], (Message{DG_MSG_CLOSE, messages[0].dialId, CancelItem, CancelItem}));
    EXPECT_EQ(driver.modalRuns, 0);

    EXPECT_EQ(DGAlert(DG_ERROR, "", "text", "", "OK", "", ""), 1);
    DG::FileDialog dialog(DG::FileDialog::Save);
    EXPECT_FALSE(dialog.Invoke());
    EXPECT_EQ(dialog.GetSelectionCount(), 0u);
}

TEST_F(DialogTest, MissingDialogResourcesOpenNothing)
{
    Recorder recorder;
    EXPECT_EQ(
        DGModalDialog(InvalidResModule, 32734, InvalidResModule, RecordingCallback, recorder.UserData()), 0);
    EXPECT_EQ(DGModelessInit(InvalidResModule, 32755, InvalidResModule, RecordingCallback,
                             recorder.UserData(), DG_DLG_NOGROW),
              0);
    EXPECT_TRUE(recorder.Messages().empty());
    EXPECT_EQ(driver.modalRuns, 0);
}

TEST_F(DialogTest, ModalDialogsNest)
{
    Recorder inner;
    Recorder outer;
    short innerResult = 0;
    outer.react = [&](const Message& m) -> short {
        if (m.message == DG_MSG_CLICK && m.item == EditItem) {
            innerResult = RunModal(inner, TestTemplate(32501));
            return 0;
        }
        return DefaultReaction(m);
    };
    std::vector<Int16> runs;
    driver.runModal = [&](Int16 dialId) {
        runs.push_back(dialId);
        if (runs.size() == 1) {
            kit::Click(dialId, EditItem);
            EXPECT_TRUE(IsOpen(dialId));
            kit::Click(dialId, OkItem);
        } else {
            EXPECT_EQ(kit::OpenDialogs().size(), 2u);
            EXPECT_EQ(State(dialId).resId, 32501);
            kit::Click(dialId, CancelItem);
        }
    };
    EXPECT_EQ(RunModal(outer), OkItem);
    EXPECT_EQ(innerResult, CancelItem);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_NE(runs[0], runs[1]);
    // A dialog is known by its resource id while no other open dialog has it.
    EXPECT_EQ(runs[1], 32501);
}

TEST_F(DialogTest, TwoDialogsOfOneResourceGetDifferentIdentifiers)
{
    Recorder inner;
    Recorder outer;
    outer.react = [&](const Message& m) -> short {
        if (m.message == DG_MSG_CLICK && m.item == EditItem) {
            RunModal(inner, TestTemplate(32734));
            return 0;
        }
        return DefaultReaction(m);
    };
    std::vector<Int16> runs;
    driver.runModal = [&](Int16 dialId) {
        runs.push_back(dialId);
        if (runs.size() == 1)
            kit::Click(dialId, EditItem);
        kit::Click(dialId, OkItem);
    };
    EXPECT_EQ(RunModal(outer, TestTemplate(32734)), OkItem);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], 32734);
    EXPECT_NE(runs[1], 32734);
}

// --- List boxes ----------------------------------------------------------------------

TEST_F(DialogTest, ListBoxesHoldRowsWithTabTextsAndIcons)
{
    Recorder recorder;
    const short dialId = OpenModeless(recorder);
    ASSERT_NE(dialId, 0);

    EXPECT_TRUE(DGListSetTabFieldCount(dialId, ListItem, 2));
    EXPECT_TRUE(DGListSetTabFieldData(dialId, ListItem, 1, 5, 285));
    EXPECT_TRUE(DGListSetTabFieldData(dialId, ListItem, 2, 290, 300));
    EXPECT_FALSE(DGListSetTabFieldData(dialId, ListItem, 3, 0, 10));
    EXPECT_FALSE(DGListSetTabFieldData(dialId, ListItem, 1, 20, 10));
    EXPECT_FALSE(DGListSetTabFieldCount(dialId, NoteItem, 1)); // not a list box
    DGListSetItemHeight(dialId, ListItem, 30);

    EXPECT_TRUE(DGListInsertItem(dialId, ListItem, DG_LIST_BOTTOM)); // A
    DGListSetTabItemText(dialId, ListItem, 1, 1, GS::UniString("A"));
    EXPECT_TRUE(DGListInsertItem(dialId, ListItem, DG_LIST_BOTTOM)); // A B
    DGListSetTabItemText(dialId, ListItem, 2, 1, GS::UniString("B"));
    EXPECT_TRUE(DGListInsertItem(dialId, ListItem, DG_LIST_TOP)); // T A B
    DGListSetTabItemText(dialId, ListItem, 1, 1, GS::UniString("T"));
    EXPECT_TRUE(DGListInsertItem(dialId, ListItem, 3)); // T A M B
    DGListSetTabItemText(dialId, ListItem, 3, 1, GS::UniString("M"));
    DGListSetTabItemText(dialId, ListItem, 3, 2, GS::UniString("second"));
    DGListSetTabItemIcon(dialId, ListItem, 3, 1, DG::Icon(5, 32758));
    EXPECT_FALSE(DGListInsertItem(dialId, ListItem, 6));
    EXPECT_FALSE(DGListInsertItem(dialId, NoteItem, DG_LIST_BOTTOM));
    DGListSetTabItemText(dialId, ListItem, 9, 1, GS::UniString("nowhere"));
    DGListSetTabItemText(dialId, ListItem, 1, 3, GS::UniString("nowhere"));
    EXPECT_EQ(DGListGetItemCount(dialId, ListItem), 4);
    EXPECT_EQ(DGListGetItemCount(dialId, NoteItem), 0);

    kit::ItemState list = ItemOf(State(dialId), ListItem);
    ASSERT_EQ(list.rows.size(), 4u);
    EXPECT_EQ(list.rowHeight, 30);
    EXPECT_EQ(list.tabFields, (std::vector<std::pair<Int16, Int16>>{{5, 285}, {290, 300}}));
    std::string order;
    for (const kit::ListRowState& row : list.rows) {
        ASSERT_EQ(row.tabTexts.size(), 2u);
        order += Utf8(row.tabTexts[0]);
    }
    EXPECT_EQ(order, "TAMB");
    EXPECT_EQ(Utf8(list.rows[2].tabTexts[1]), "second");
    EXPECT_EQ(list.rows[2].tabIcons, (std::vector<GSResID>{32758, 0}));

    // The selection follows its row through insertions and deletions.
    EXPECT_EQ(DGListGetSelected(dialId, ListItem, 0), 0);
    DGListSelectItem(dialId, ListItem, 3); // M
    EXPECT_EQ(DGListGetSelected(dialId, ListItem, 0), 3);
    EXPECT_EQ(DGListGetSelected(dialId, ListItem, 3), 0);
    DGListInsertItem(dialId, ListItem, 1); // _ T A M B
    EXPECT_EQ(DGListGetSelected(dialId, ListItem, 0), 4);
    DGListDeleteItem(dialId, ListItem, 1); // T A M B
    EXPECT_EQ(DGListGetSelected(dialId, ListItem, 0), 3);
    DGListDeleteItem(dialId, ListItem, 4); // T A M
    EXPECT_EQ(DGListGetSelected(dialId, ListItem, 0), 3);
    DGListDeleteItem(dialId, ListItem, 3); // T A
    EXPECT_EQ(DGListGetSelected(dialId, ListItem, 0), 0);
    DGListSelectItem(dialId, ListItem, 2);
    DGListSelectItem(dialId, ListItem, 5); // no such row: unchanged
    EXPECT_EQ(DGListGetSelected(dialId, ListItem, 0), 2);
    DGListSelectItem(dialId, ListItem, 0);
    EXPECT_EQ(DGListGetSelected(dialId, ListItem, 0), 0);

    DGListDeleteItem(dialId, ListItem, 7); // no such row
    EXPECT_EQ(DGListGetItemCount(dialId, ListItem), 2);
    DGListSelectItem(dialId, ListItem, 1);
    DGListDeleteItem(dialId, ListItem, DG_ALL_ITEMS);
    EXPECT_EQ(DGListGetItemCount(dialId, ListItem), 0);
    EXPECT_EQ(DGListGetSelected(dialId, ListItem, 0), 0);

    DGModelessClose(dialId);
}

TEST_F(DialogTest, SelectingARowSendsAChangeAfterTheSelection)
{
    Recorder recorder;
    short selectedDuringChange = -1;
    recorder.react = [&](const Message& m) -> short {
        if (m.message == DG_MSG_INIT) {
            DGListSetTabFieldCount(m.dialId, ListItem, 1);
            DGListInsertItem(m.dialId, ListItem, DG_LIST_BOTTOM);
            DGListInsertItem(m.dialId, ListItem, DG_LIST_BOTTOM);
            DGListSelectItem(m.dialId, ListItem, 1);
        }
        if (m.message == DG_MSG_CHANGE)
            selectedDuringChange = DGListGetSelected(m.dialId, ListItem, 0);
        return DefaultReaction(m);
    };
    short dialId = 0;
    driver.runModal = [&](Int16 id) {
        dialId = id;
        EXPECT_EQ(ItemOf(State(id), ListItem).selectedRow, 1);
        EXPECT_FALSE(kit::SelectListRow(id, ListItem, 3));
        EXPECT_FALSE(kit::SelectListRow(id, ListItem, 0));
        EXPECT_FALSE(kit::SelectListRow(id, NoteItem, 1));
        EXPECT_TRUE(kit::SelectListRow(id, ListItem, 2));
        EXPECT_EQ(selectedDuringChange, 2);
        DGDisableItem(id, ListItem);
        EXPECT_FALSE(kit::SelectListRow(id, ListItem, 1));
        kit::Click(id, OkItem);
    };
    EXPECT_EQ(RunModal(recorder), OkItem);
    const std::vector<Message> messages = recorder.Messages();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[1], (Message{DG_MSG_CHANGE, dialId, ListItem, 2}));
}

// --- Modeless dialogs ------------------------------------------------------------------

TEST_F(DialogTest, ModelessDialogsAreHiddenUntilShownAndReportChanges)
{
    Recorder recorder;
    const short dialId = OpenModeless(recorder);
    ASSERT_NE(dialId, 0);
    EXPECT_EQ(recorder.Messages(), (std::vector<Message>{{DG_MSG_INIT, dialId, 0, 0}}));
    kit::DialogState state = State(dialId);
    EXPECT_FALSE(state.modal);
    EXPECT_FALSE(state.visible);
    EXPECT_EQ(state.resId, 32755);
    EXPECT_EQ(driver.EventsOf(dialId), std::vector<DialogEvent>{DialogEvent::Opened});

    DGSetItemText(dialId, NoteItem, GS::UniString("No update available at present."));
    DGShowModelessDialog(dialId, 0);
    EXPECT_TRUE(State(dialId).visible);
    EXPECT_EQ(Utf8(ItemOf(State(dialId), NoteItem).text), "No update available at present.");
    EXPECT_EQ(driver.EventsOf(dialId),
              (std::vector<DialogEvent>{DialogEvent::Opened, DialogEvent::Changed, DialogEvent::Shown}));

    DGModelessClose(dialId);
    EXPECT_FALSE(IsOpen(dialId));
    EXPECT_EQ(recorder.Messages().back(), (Message{DG_MSG_CLOSE, dialId, 0, 0}));
    EXPECT_EQ(driver.EventsOf(dialId).back(), DialogEvent::Closed);

    DGModelessClose(dialId); // already closed: nothing more happens
    DGSetItemText(dialId, NoteItem, GS::UniString("late"));
    EXPECT_EQ(recorder.Messages().size(), 2u);
}

TEST_F(DialogTest, ModelessCallbacksMayCloseTheirOwnDialog)
{
    // The update window's buttons close the window from inside the click and return the item.
    Recorder recorder;
    recorder.react = [](const Message& m) -> short {
        if (m.message == DG_MSG_CLICK && (m.item == OkItem || m.item == CancelItem)) {
            DGModelessClose(m.dialId);
            return m.item;
        }
        return m.message == DG_MSG_CLOSE ? 1 : 0;
    };
    const short dialId = OpenModeless(recorder);
    DGShowModelessDialog(dialId, 0);
    EXPECT_TRUE(kit::Click(dialId, NoteItem));
    EXPECT_TRUE(IsOpen(dialId));
    EXPECT_TRUE(kit::Click(dialId, CancelItem));
    EXPECT_FALSE(IsOpen(dialId));
    const std::vector<Message> messages = recorder.Messages();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[3], (Message{DG_MSG_CLOSE, dialId, 0, 0})); // one close only

    // A click whose answer is not 0 closes a modeless dialog too.
    Recorder plain;
    const short other = OpenModeless(plain);
    EXPECT_TRUE(kit::Click(other, OkItem));
    EXPECT_FALSE(IsOpen(other));
    EXPECT_EQ(plain.Messages().back(), (Message{DG_MSG_CLOSE, other, OkItem, OkItem}));
}

TEST_F(DialogTest, HeldBackDrawingReportsOneChange)
{
    Recorder recorder;
    const short dialId = OpenModeless(recorder);
    driver.ForgetEvents();

    DGSetDialogSize(dialId, DG_CLIENT, 655, 172, DG_TOPLEFT, true);
    DGBeginMoveGrowItems(dialId);
    DGSetDialogTitle(dialId, GS::UniString("VelmoraLibrary"));
    DGHideItem(dialId, OkItem);
    DGDisableDraw(dialId, ListItem);
    DGSetItemText(dialId, NoteItem, GS::UniString("x"));
    DGEndMoveGrowItems(dialId);
    EXPECT_EQ(driver.EventsOf(dialId).size(), 1u); // the size, before the block
    DGEnableDraw(dialId, ListItem);
    EXPECT_EQ(driver.EventsOf(dialId).size(), 2u);
    DGRedrawItem(dialId, DG_ALL_ITEMS);
    EXPECT_EQ(driver.EventsOf(dialId).size(), 3u);

    const kit::DialogState state = State(dialId);
    EXPECT_EQ(state.width, 655);
    EXPECT_EQ(state.height, 172);
    EXPECT_EQ(Utf8(state.title), "VelmoraLibrary");
    EXPECT_FALSE(ItemOf(state, OkItem).visible);
    DGModelessClose(dialId);
}

// --- Alerts and file dialogs ---------------------------------------------------------------

TEST_F(DialogTest, AlertsGoToTheDriver)
{
    kit::AlertRequest seen;
    driver.alert = [&](const kit::AlertRequest& request) -> Int16 {
        seen = request;
        return 2;
    };
    EXPECT_EQ(DGAlert(DG_ERROR, "", "Unable to get an internet connection.", "", "OK", "", ""), 2);
    EXPECT_EQ(seen.type, DG_ERROR);
    EXPECT_EQ(Utf8(seen.title), "");
    EXPECT_EQ(Utf8(seen.largeText), "Unable to get an internet connection.");
    EXPECT_EQ(Utf8(seen.buttons[0]), "OK");
    EXPECT_EQ(Utf8(seen.buttons[1]), "");

    driver.alert = [](const kit::AlertRequest&) -> Int16 { return 9; };
    EXPECT_EQ(DGAlert(DG_ERROR, "t", "l", "s", "OK", "", ""), 1); // only buttons 1 to 3 exist

    // From a download worker: asked on the UI thread while the worker waits.
    std::thread::id alertThread;
    driver.alert = [&](const kit::AlertRequest&) -> Int16 {
        alertThread = std::this_thread::get_id();
        return 3;
    };
    short pressed = 0;
    OnWorker([&] { pressed = DGAlert(DG_ERROR, "", "from the worker", "", "OK", "No", "Later"); });
    EXPECT_EQ(pressed, 3);
    EXPECT_EQ(alertThread, std::this_thread::get_id());
}

TEST_F(DialogTest, FileDialogsAskTheDriver)
{
    FTM::FileTypeManager manager("Module");
    const FTM::TypeID textType = manager.AddType(FTM::FileType("Text Files", "TXT", 0, 0, 145));
    ASSERT_NE(textType, 0u);

    kit::FileDialogRequest seen;
    driver.fileDialog = [&](const kit::FileDialogRequest& request, std::string* path, UInt32* filter) {
        seen = request;
        *path = "C:\\Users\\me\\Documents\\info.txt";
        *filter = 0;
        return true;
    };
    DG::FileDialog dialog(DG::FileDialog::Save);
    EXPECT_TRUE(dialog.AddFilter(textType));
    EXPECT_FALSE(dialog.AddFilter(textType + 1000));
    dialog.SetTitle(GS::UniString("Save as Text..."));
    dialog.SetFolder(IO::Location(GS::UniString("C:\\Users\\me")));
    dialog.SelectFile(IO::Location(GS::UniString("Untitled")));
    ASSERT_TRUE(dialog.Invoke());

    EXPECT_EQ(seen.type, DG::FileDialog::Save);
    EXPECT_EQ(Utf8(seen.title), "Save as Text...");
    EXPECT_EQ(seen.filters, std::vector<UInt32>{textType});
    EXPECT_EQ(seen.folder, "C:\\Users\\me");
    EXPECT_EQ(seen.fileName, "Untitled");
    ASSERT_EQ(dialog.GetSelectionCount(), 1u);
    GS::UniString chosen;
    ASSERT_EQ(dialog.GetSelectedFile().ToPath(&chosen), NoError);
    EXPECT_EQ(Utf8(chosen), "C:\\Users\\me\\Documents\\info.txt");
    EXPECT_EQ(dialog.GetSelectedFilter(), 0u);

    // A full path names both the folder and the file.
    dialog.SelectFile(IO::Location(GS::UniString("D:\\Export\\report.txt")));
    ASSERT_TRUE(dialog.Invoke());
    EXPECT_EQ(seen.folder, "D:\\Export");
    EXPECT_EQ(seen.fileName, "report.txt");

    driver.fileDialog = [](const kit::FileDialogRequest&, std::string*, UInt32*) { return false; };
    EXPECT_FALSE(dialog.Invoke());
    EXPECT_EQ(dialog.GetSelectionCount(), 0u);
    EXPECT_FALSE(dialog.GetSelectedFile().IsValid());
}

// --- Threads -----------------------------------------------------------------------------

TEST_F(DialogTest, AWorkerUpdatesAModelessWindowWhileAModalDialogRuns)
{
    // The update check's worker creates, fills, shows and closes its window while the
    // user-interface thread waits in a modal dialog and keeps looking at both.
    Recorder modal;
    Recorder modeless;
    std::atomic<short> windowId{0};
    std::atomic<bool> windowSeen{false}; // the user-interface thread has looked at the window
    std::atomic<bool> workerDone{false};
    modeless.react = [](const Message& m) -> short {
        if (m.message == DG_MSG_INIT)
            DGSetDialogSize(m.dialId, DG_CLIENT, 655, 172, DG_TOPLEFT, true); // a DG call from the callback
        return 0;
    };

    driver.runModal = [&](Int16 modalId) {
        std::thread worker([&] { // joined below, once it has said it is done
            const short id = OpenModeless(modeless);
            windowId = id;
            for (int i = 0; i < 200; ++i) {
                DGSetItemText(id, NoteItem, GS::UniString(std::to_string(i).c_str()));
                DGShowItem(id, HiddenItem);
                DGHideItem(id, HiddenItem);
            }
            while (!windowSeen)
                std::this_thread::yield();
            DGShowModelessDialog(id, 0);
            DGAlert(DG_ERROR, "", "from the worker", "", "OK", "", "");
            DGModelessClose(id);
            workerDone = true;
        });
        while (!workerDone) {
            for (Int16 id : kit::OpenDialogs()) {
                kit::DialogState state;
                if (kit::GetDialogState(id, &state) && id != modalId) {
                    EXPECT_EQ(state.width, 655);
                    windowSeen = true;
                }
            }
            DGSetItemText(modalId, NoteItem, GS::UniString("waiting"));
            kit::Click(modalId, NoteItem);
            kit::WaitForUiWork(0.001);
        }
        worker.join();
        EXPECT_TRUE(kit::Click(modalId, OkItem));
    };

    EXPECT_EQ(RunModal(modal), OkItem);
    const short id = windowId;
    ASSERT_NE(id, 0);
    EXPECT_FALSE(IsOpen(id));
    const std::vector<Message> messages = modeless.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages.front().message, DG_MSG_INIT);
    EXPECT_EQ(messages.back().message, DG_MSG_CLOSE);
    const std::vector<DialogEvent> events = driver.EventsOf(id);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front(), DialogEvent::Opened);
    EXPECT_EQ(events.back(), DialogEvent::Closed);
}

TEST_F(DialogTest, ConcurrentClosesSendOneCloseMessage)
{
    for (int round = 0; round < 20; ++round) {
        Recorder recorder;
        const short dialId = OpenModeless(recorder);
        std::atomic<bool> go{false};
        std::vector<std::thread> closers;
        for (int i = 0; i < 3; ++i)
            closers.emplace_back([&, i] {
                while (!go)
                    std::this_thread::yield();
                if (i == 0)
                    DGModelessClose(dialId);
                else if (i == 1)
                    kit::CloseDialog(dialId);
                else
                    kit::Click(dialId, OkItem);
            });
        go = true;
        OnWorker([&] {
            for (std::thread& t : closers)
                t.join();
        });
        EXPECT_FALSE(IsOpen(dialId));
        int closes = 0;
        for (const Message& m : recorder.Messages())
            closes += m.message == DG_MSG_CLOSE;
        EXPECT_EQ(closes, 1) << "round " << round;
    }
}

TEST_F(DialogTest, CallbacksRunOnTheUiThreadOneAtATime)
{
    // A worker closes the dialog while the user keeps clicking it: the close and the
    // clicks reach the callback on the UI thread, never at the same time.
    const std::thread::id uiThread = std::this_thread::get_id();
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::atomic<int> elsewhere{0};
    for (int round = 0; round < 30; ++round) {
        Recorder recorder;
        recorder.react = [&](const Message&) -> short {
            if (inside.fetch_add(1) != 0)
                ++overlaps;
            if (std::this_thread::get_id() != uiThread)
                ++elsewhere;
            std::this_thread::yield();
            inside.fetch_sub(1);
            return 0;
        };
        const short dialId = OpenModeless(recorder);
        std::atomic<bool> go{false};
        std::atomic<bool> closed{false};
        std::thread worker([&] {
            while (!go)
                std::this_thread::yield();
            DGModelessClose(dialId);
            closed = true;
        });
        go = true;
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!closed && std::chrono::steady_clock::now() < limit) {
            kit::Click(dialId, NoteItem);
            kit::RunUiWork();
        }
        if (!closed)
            kit::SetHostShuttingDown(true);
        worker.join();
        kit::SetHostShuttingDown(false);
        ASSERT_TRUE(closed) << "round " << round;
        EXPECT_FALSE(IsOpen(dialId));
        EXPECT_EQ(recorder.Messages().back().message, DG_MSG_CLOSE);
    }
    EXPECT_EQ(overlaps, 0);
    EXPECT_EQ(elsewhere, 0);
}

TEST_F(DialogTest, WorkerCallsAreAnsweredOnTheUiThread)
{
    // Opening, showing and closing a window from a worker, with the messages' threads.
    const std::thread::id uiThread = std::this_thread::get_id();
    std::vector<std::thread::id> threads;
    Recorder recorder;
    recorder.react = [&](const Message&) -> short {
        threads.push_back(std::this_thread::get_id()); // only the UI thread writes
        return 0;
    };
    short dialId = 0;
    OnWorker([&] {
        dialId = OpenModeless(recorder);
        DGShowModelessDialog(dialId, 0);
        DGModelessClose(dialId);
    });
    ASSERT_NE(dialId, 0);
    EXPECT_FALSE(IsOpen(dialId));
    ASSERT_EQ(threads.size(), 2u); // init and close
    for (const std::thread::id& id : threads)
        EXPECT_EQ(id, uiThread);
    EXPECT_EQ(driver.EventsOf(dialId),
              (std::vector<DialogEvent>{DialogEvent::Opened, DialogEvent::Shown, DialogEvent::Closed}));
}

TEST_F(DialogTest, AWorkerAlertIsAnsweredWhileAModalDialogRuns)
{
    // The user waits in a modal dialog; the worker's alert appears there and the
    // worker gets the button the user pressed.
    const std::thread::id uiThread = std::this_thread::get_id();
    std::thread::id alertThread;
    driver.alert = [&](const kit::AlertRequest& request) -> Int16 {
        alertThread = std::this_thread::get_id();
        return Utf8(request.largeText) == "Download failed." ? 2 : 1;
    };
    std::atomic<short> pressed{0};
    driver.runModal = [&](Int16 modalId) {
        OnWorker([&] { pressed = DGAlert(DG_ERROR, "", "Download failed.", "", "Retry", "Cancel", ""); });
        kit::Click(modalId, OkItem);
    };
    Recorder modal;
    EXPECT_EQ(RunModal(modal), OkItem);
    EXPECT_EQ(pressed, 2);
    EXPECT_EQ(alertThread, uiThread);
}

TEST_F(DialogTest, AtShutdownWaitingWorkersAreLetGo)
{
    // The host unloads the add-on and waits for its worker, which waits in DG calls:
    // they return without running the callback or asking the user.
    std::atomic<int> alerts{0};
    driver.alert = [&](const kit::AlertRequest&) -> Int16 {
        ++alerts;
        return 2;
    };
    Recorder recorder;
    const short dialId = OpenModeless(recorder);
    std::atomic<short> pressed{0};
    std::atomic<short> opened{-1};
    std::thread worker([&] {
        pressed = DGAlert(DG_ERROR, "", "Download failed.", "", "Retry", "Cancel", "");
        DGModelessClose(dialId);
        Recorder another;
        opened = OpenModeless(another);
    });
    // The UI thread does not serve the worker, whose alert waits for it.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (kit::WaitingUiWork() == 0 && std::chrono::steady_clock::now() < limit)
        std::this_thread::yield();
    EXPECT_EQ(kit::SetHostShuttingDown(true), 1);
    worker.join();
    EXPECT_EQ(pressed, 1);
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(alerts, 0);
    EXPECT_TRUE(IsOpen(dialId));
    EXPECT_EQ(recorder.Messages().size(), 1u); // the initialisation only
    // The UI thread itself still closes its dialogs while shutting down.
    DGModelessClose(dialId);
    EXPECT_FALSE(IsOpen(dialId));
    kit::SetHostShuttingDown(false);
}
