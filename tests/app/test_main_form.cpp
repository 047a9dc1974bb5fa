#include "app/AboutForm.h"
#include "app/Layout.h"
#include "app/MainForm.h"
#include "app/ProgressPicture.h"
#include "app/support/RecordingFileDialogBackend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

namespace {

using Keys::Key;

// Holds the engine inside its routine until the test lets it return, or until the run is asked to stop.
class Gate {
public:
    WorkerRun::Engine engine() {
        WorkerRun::Engine engine;
        engine.split = [this](const auto&, std::int32_t, std::int16_t& count, const modFHand::Hooks& hooks) {
            hooks.progress(50);
            std::unique_lock<std::mutex> lock(m_mutex);
            while (!m_open && !hooks.stopRequested())
                m_changed.wait_for(lock, std::chrono::milliseconds(5));
            count = 3;
            if (hooks.stopRequested() || fails)
                return modFHand::kFailure;
            hooks.progress(0); // as the engine clears the bar on success
            return modFHand::kSuccess;
        };
        return engine;
    }
    void open() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    std::atomic<bool> fails{false};

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

// The face as the rules see it: what it was asked to show, with the modal windows as hooks a row can fill.
struct FakeFace : MainFace {
    std::map<std::string, std::u16string> texts{{"txtSegSize", u"1.38"}};
    std::map<std::string, bool> disabled;
    std::map<std::string, bool> pressed;
    std::string focused;
    std::vector<std::vector<std::string>> stacks;
    std::vector<Messages::Outcome> boxes;
    std::vector<std::int16_t> drawn;
    std::vector<TaskbarProgress> taskbar;
    int cueRepaints = 0;
    bool frames = false, hidden = false, closed = false;
    std::function<void()> duringAbout, duringBox;

    std::u16string text(const std::string& box) const override { return texts.count(box) ? texts.at(box) : u""; }
    void setText(const std::string& box, const std::u16string& text) override { texts[box] = text; }
    void setEnabled(const std::string& control, bool enabled) override {
        disabled[control] = !enabled;
        if (!enabled && focused == control)
            focused.clear();
    }
    void stack(const std::vector<std::string>& lowestFirst) override { stacks.push_back(lowestFirst); }
    void setPressed(const std::string& control, bool down) override { pressed[control] = down; }
    void drawProgress(std::int16_t percent) override { drawn.push_back(percent); }
    void showTaskbarProgress(const TaskbarProgress& shown) override { taskbar.push_back(shown); }
    void focus(const std::string& control) override { focused = control; }
    void showCues() override { ++cueRepaints; }
    void runFrames(bool on) override { frames = on; }
    void showBox(Messages::Outcome outcome, std::int16_t) override {
        focused.clear();
        boxes.push_back(outcome);
        if (duringBox)
            duringBox();
    }
    void showAbout() override {
        focused.clear();
        if (duringAbout)
            duringAbout();
    }
    std::uintptr_t dialogOwner() const override { return 42; }
    void hide() override { hidden = true; }
    void close() override { closed = true; }
};

struct Window {
    FakeFace face;
    Gate gate;
    std::atomic<int> wakes{0};
    MainForm form;

    explicit Window(bool cuesAlways = false, CFileDialog::BackendFactory dialogs = {})
        : form(face, {gate.engine(), std::move(dialogs), [](const std::string&) {}}, [this] { ++wakes; },
               cuesAlways) {
        form.load();
    }
    // Lets the engine return and waits for it, without the posted wake being heard: only frames see the end.
    void engineReturns() {
        gate.open();
        while (wakes == 0)
            std::this_thread::yield();
    }
    void click(const std::string& control) {
        form.mousePressed(control, MouseButton::Left);
        form.mouseReleased(control, MouseButton::Left, true);
    }
};

Keys::Press press(Key key, bool repeat = false, bool ctrl = false, bool alt = false, bool shift = false) {
    Keys::Press p;
    p.key = key;
    p.repeat = repeat;
    p.ctrl = ctrl;
    p.alt = alt;
    p.shift = shift;
    return p;
}

TEST(MainForm, FocusFollowsClicksOnBoxesOnly) {
    for (const Layout::Control& control : Layout::mainWindow()) {
        Window w;
        w.click(control.name);
        // The start button takes the focus, then loses it while the run it started goes on.
        const std::string expected = control.name == std::string("Picture4") ? ""
                                     : Layout::takesFocusOnClick(control) ? control.name
                                                                          : "picCHolder_0";
        EXPECT_EQ(w.face.focused, expected) << control.name;
    }
}

TEST(MainForm, KeysActOncePerPlainPress) {
    const struct {
        Keys::Press key;
        bool acts;
    } rows[] = {
        {press(Key::Space), true},
        {press(Key::Enter), true},
        {press(Key::Space, true), false},
        {press(Key::Enter, false, true), false},
        {press(Key::Space, false, false, true), false},
        {press(Key::Enter, false, false, false, true), false},
        {press(Key::Tab), false},
    };
    for (const auto& row : rows) {
        Window w;
        EXPECT_EQ(w.form.keyPressed("imgTab_1", row.key), row.acts);
        EXPECT_EQ(w.form.iMode(), row.acts ? Mode::Join : Mode::Split);
    }
}

TEST(MainForm, BrowseLabelsShowAnyPressButOpenOnLeftClickOnly) {
    for (const MouseButton button : {MouseButton::Left, MouseButton::Right, MouseButton::Middle}) {
        auto dialog = std::make_shared<RecordingFileDialogBackend>();
        dialog->chooseFile(u"/x/movie.avi", u"movie.avi");
        Window w(false, [dialog] { return dialog; });
        w.form.mousePressed("lblBrowse", button);
        EXPECT_TRUE(w.face.pressed["lblBrowse"]);
        w.form.mouseReleased("lblBrowse", button, true);
        EXPECT_FALSE(w.face.pressed["lblBrowse"]);
        EXPECT_EQ(dialog->calls.size(), button == MouseButton::Left ? 1u : 0u);
        EXPECT_EQ(w.face.texts["txtSFName"], button == MouseButton::Left ? u"/x/movie.avi" : u"");
    }
}

TEST(MainForm, KeyboardCuesAppearOnlyOnceTheKeyboardMoves) {
    Window hidden;
    hidden.click("txtSFName");
    hidden.form.keyPressed("txtSFName", press(Key::Other));
    EXPECT_FALSE(hidden.form.focus().cuesShown());
    hidden.form.keyPressed("txtSFName", press(Key::Tab));
    EXPECT_TRUE(hidden.form.focus().cuesShown());
    EXPECT_EQ(hidden.face.cueRepaints, 1);
    EXPECT_TRUE(Window(true).form.focus().cuesShown());
}

TEST(MainForm, TabsStackLabelsAndImagesUnderTheBoxes) {
    Window w;
    w.click("imgTab_1");
    ASSERT_EQ(w.face.stacks.size(), 2u);
    for (const auto& order : w.face.stacks) {
        const auto firstWindowed = std::find_if(order.begin(), order.end(), [](const std::string& name) {
            return Layout::isWindowed(Layout::find(Layout::mainWindow(), name).kind);
        });
        EXPECT_TRUE(std::none_of(firstWindowed, order.end(), [](const std::string& name) {
            return !Layout::isWindowed(Layout::find(Layout::mainWindow(), name).kind);
        }));
    }
    const auto& windowed = w.face.stacks[0];
    const auto& images = w.face.stacks[1];
    EXPECT_EQ(windowed.back(), "picCHolder_1");
    EXPECT_LT(std::find(images.begin(), images.end(), "imgTab_0"), std::find(images.begin(), images.end(), "imgTab_1"));
}

// A run's end as each situation meets it: the box, the button, the focus and the taskbar afterwards.
TEST(MainForm, RunEnds) {
    enum class During { Nothing, Failure, About, Close, SessionEnd };
    using State = TaskbarProgress::State;
    const TaskbarProgress none{}, started{State::Normal, 0}, half{State::Normal, 50}, failed{State::Error, 50};
    const struct {
        During during;
        std::size_t boxes;
        bool closed;
        std::vector<TaskbarProgress> taskbar;
    } rows[] = {
        {During::Nothing, 1, false, {started, half, none}},
        {During::Failure, 1, false, {started, half, failed, none}},
        {During::About, 1, false, {started, half, none}},
        {During::Close, 0, true, {started, half, none}},
        {During::SessionEnd, 0, false, {started, half, none}},
    };
    for (const auto& row : rows) {
        Window w;
        w.gate.fails = row.during == During::Failure;
        w.click("Picture4");
        EXPECT_TRUE(w.face.disabled["Picture4"]);
        EXPECT_TRUE(w.face.frames);
        // Frames until one has drawn the engine's 50.
        while (w.face.drawn.back() != 50) {
            w.form.frame();
            std::this_thread::yield();
        }
        switch (row.during) {
        case During::About:
            // The run ends while About is open: its box waits until About has closed.
            w.face.duringAbout = [&] {
                w.engineReturns();
                w.form.frame();
                EXPECT_TRUE(w.face.boxes.empty());
            };
            w.click("imgInfo");
            break;
        case During::Close:
            EXPECT_FALSE(w.form.closeRequested());
            EXPECT_TRUE(w.face.hidden);
            break;
        case During::SessionEnd:
            w.form.endSession();
            EXPECT_TRUE(w.face.hidden);
            EXPECT_FALSE(w.form.isRunning());
            break;
        case During::Nothing:
        case During::Failure:
            break;
        }
        w.engineReturns();
        w.form.frame();
        EXPECT_EQ(w.face.boxes.size(), row.boxes);
        EXPECT_EQ(w.face.closed, row.closed);
        EXPECT_EQ(w.face.taskbar, row.taskbar) << static_cast<int>(row.during);
        EXPECT_FALSE(w.form.isRunning());
        if (row.boxes == 1) {
            EXPECT_FALSE(w.face.disabled["Picture4"]);
            EXPECT_EQ(w.face.focused, "Picture4");
            // A success clears the bar; a failure leaves its last picture.
            EXPECT_EQ(w.face.drawn.back(), row.during == During::Failure ? 50 : 0);
        }
    }
}

TEST(MainForm, ReactivationGivesTheFocusBack) {
    Window w;
    w.click("txtSegSize");
    w.face.focused.clear();
    w.form.activated();
    EXPECT_EQ(w.face.focused, "txtSegSize");
}

TEST(AboutForm, Keys) {
    struct Face : AboutFace {
        std::string focused, opened;
        bool closed = false;
        void focus(const std::string& control) override { focused = control; }
        void showCues() override {}
        void close() override { closed = true; }
        void openAddress(const std::string& address) override { opened = address; }
    };
    Keys::Press altO = press(Key::Letter, false, false, true);
    altO.letter = 'O';
    const struct {
        const char* focused;
        Keys::Press key;
        bool closes;
    } rows[] = {
        {"cmdOK", press(Key::Enter), true},  {"cmdOK", press(Key::Escape), false},
        {"Picture1", altO, true},            {"Picture1", press(Key::Enter), false},
        {"cmdOK", press(Key::Enter, true), false},
    };
    for (const auto& row : rows) {
        Face face;
        AboutForm about(face, false);
        about.opened();
        EXPECT_EQ(face.focused, "cmdOK");
        about.keyPressed(row.focused, row.key);
        EXPECT_EQ(face.closed, row.closes) << row.focused;
    }
}

// A face whose ink is `tenths` tenths of a pixel wide per character and pixel of size.
TEST(ProgressPicture, FontPixelsFitTheBarAndTheUnit) {
    const struct {
        int tenths;
        int largest;
        int expected;
    } rows[] = {
        {6, 10, 10}, // narrow: the face's own size
        {6, 12, 11}, // "100%" would reach the frame at 12
        {7, 10, 9},  // wide: a size below the face's own
        {12, 10, 8}, // too wide for any: the smallest all the same
    };
    for (const auto& row : rows) {
        const auto ink = [&](const std::string& text, int pixels) {
            return static_cast<int>(std::lround(static_cast<double>(text.size()) * pixels * row.tenths / 10.0)) - 1;
        };
        EXPECT_EQ(ProgressPicture::fontPixels(ink, row.largest), row.expected) << row.tenths << " " << row.largest;
    }
}

} // namespace
