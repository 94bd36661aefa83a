// The dialog manager where an add-on's fault would show: the modal and modeless life
// cycle as its callbacks see it, and the UI-thread rules for its workers (callbacks
// only on the UI thread, one at a time; waiting workers let go at shutdown).
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
#include "TestSupport.hpp"
#include "kit/DialogDriver.hpp"

using velmora::test::Utf8;

namespace {

// --- What the add-on sees -----------------------------------------------------------

struct Message {
    short message;
    short dialId;
    short item;
    DGMessageData data;
    bool operator==(const Message&) const = default;
};

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
    bool OnFileDialog(const kit::FileDialogRequest&, std::string*, UInt32*) override { return false; }

    std::vector<kit::DialogEvent> EventsOf(Int16 dialId)
    {
        std::lock_guard<std::mutex> guard(lock);
        std::vector<kit::DialogEvent> out;
        for (const auto& [id, event] : events)
            if (id == dialId)
                out.push_back(event);
        return out;
    }

    std::atomic<int> modalRuns{0};

private:
    std::mutex lock;
    std::vector<std::pair<Int16, kit::DialogEvent>> events;
};

using kit::DialogEvent;

// --- Dialogs -----------------------------------------------------------------------

constexpr short OkItem = 1, CancelItem = 2, NoteItem = 4;

// An OK and a Cancel button and a note, as the add-on's dialogs have them.
kit::DialogTemplate TestTemplate(GSResID id = 32734)
{
    using K = kit::ItemKind;
    kit::DialogTemplate t{id, GS::UniString("Template title"), 300, 200, {}};
    t.items = {{OkItem, K::PushButton, 10, 20, 60, 26, GS::UniString("OK")},
               {CancelItem, K::PushButton, 20, 20, 60, 26, GS::UniString("Cancel")},
               {NoteItem, K::StaticText, 40, 20, 60, 26, GS::UniString("Note")}};
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

        EXPECT_TRUE(kit::Click(dialId, NoteItem)); // answered 0: the dialog stays
        EXPECT_TRUE(IsOpen(dialId));
        EXPECT_TRUE(kit::Click(dialId, OkItem));
        EXPECT_FALSE(IsOpen(dialId));
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
}

// --- Threads -----------------------------------------------------------------------------

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
    velmora::test::WaitFor([] { return kit::WaitingUiWork() > 0; });
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
