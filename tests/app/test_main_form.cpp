#include "app/About.h"
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
#include <ostream>
#include <set>
#include <tuple>
#include <vector>

// A failed comparison of taskbar states reads as values, not as bytes.
void PrintTo(const TaskbarProgress& progress, std::ostream* out) {
    static const char* const states[] = {"None", "Normal", "Error"};
    *out << states[static_cast<int>(progress.state)] << ' ' << progress.percent;
}

namespace {

using Keys::Key;
using Layout::frmAbout;
using Layout::frmMain;

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
    std::map<frmMain, std::u16string> texts{{frmMain::txtSegSize, u"1.38"}};
    std::map<frmMain, bool> disabled;
    std::map<frmMain, bool> pressed;
    std::optional<frmMain> focused, selected;
    std::set<frmMain> hiddenOnes;
    std::vector<std::vector<frmMain>> stacks;
    std::vector<Messages::Outcome> boxes;
    std::vector<std::int16_t> drawn;
    std::vector<TaskbarProgress> taskbar;
    int cueRepaints = 0;
    bool frames = false, hidden = false, closed = false;
    std::function<void()> duringAbout, duringBox;

    std::u16string text(frmMain box) const override { return texts.count(box) ? texts.at(box) : u""; }
    void setText(frmMain box, const std::u16string& text) override { texts[box] = text; }
    void setEnabled(frmMain control, bool enabled) override {
        disabled[control] = !enabled;
        if (!enabled && focused == control)
            focused.reset();
    }
    void stack(const std::vector<frmMain>& lowestFirst) override { stacks.push_back(lowestFirst); }
    void setPressed(frmMain control, bool down) override { pressed[control] = down; }
    void drawProgress(std::int16_t percent) override { drawn.push_back(percent); }
    void showTaskbarProgress(const TaskbarProgress& shown) override { taskbar.push_back(shown); }
    void focus(frmMain control) override { focused = control; }
    bool isShown(frmMain control) const override { return hiddenOnes.count(control) == 0; }
    void selectAll(frmMain box) override { selected = box; }
    void showCues() override { ++cueRepaints; }
    void runFrames(bool on) override { frames = on; }
    void showBox(Messages::Outcome outcome, std::int16_t) override {
        focused.reset();
        boxes.push_back(outcome);
        if (duringBox)
            duringBox();
    }
    void showAbout() override {
        focused.reset();
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
        : form(
              face, {gate.engine(), std::move(dialogs), [](const std::string&) {}}, [this] { ++wakes; }, cuesAlways) {
        form.load();
    }
    // Lets the engine return and waits for it, without the posted wake being heard: only frames see the end.
    void engineReturns() {
        gate.open();
        while (wakes == 0)
            std::this_thread::yield();
    }
    void click(frmMain control) {
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
    for (const frmMain control : Layout::controls<frmMain>()) {
        Window w;
        w.click(control);
        // The start button takes the focus, then loses it while the run it started goes on.
        const bool takes = Layout::takesFocusOnClick(Layout::of(control));
        const auto expected =
            control == frmMain::Picture4 ? std::nullopt : std::optional(takes ? control : frmMain::picCHolder_0);
        EXPECT_EQ(w.face.focused, expected) << Layout::of(control).name;
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
    };
    for (const auto& row : rows) {
        Window w;
        EXPECT_EQ(w.form.keyPressed(frmMain::imgTab_1, row.key), row.acts);
        EXPECT_EQ(w.form.iMode(), row.acts ? Mode::Join : Mode::Split);
    }
}

TEST(MainForm, BrowseLabelsShowAnyPressButOpenOnLeftClickOnly) {
    for (const MouseButton button : {MouseButton::Left, MouseButton::Right, MouseButton::Middle}) {
        auto dialog = std::make_shared<RecordingFileDialogBackend>();
        dialog->chooseFile(u"/x/movie.avi", u"movie.avi");
        Window w(false, [dialog] { return dialog; });
        w.form.mousePressed(frmMain::lblBrowse, button);
        EXPECT_TRUE(w.face.pressed[frmMain::lblBrowse]);
        w.form.mouseReleased(frmMain::lblBrowse, button, true);
        EXPECT_FALSE(w.face.pressed[frmMain::lblBrowse]);
        EXPECT_EQ(dialog->calls.size(), button == MouseButton::Left ? 1u : 0u);
        EXPECT_EQ(w.face.texts[frmMain::txtSFName], button == MouseButton::Left ? u"/x/movie.avi" : u"");
    }
}

TEST(MainForm, KeyboardCuesAppearOnlyOnceTheKeyboardMoves) {
    Window hidden;
    hidden.click(frmMain::txtSFName);
    hidden.form.keyPressed(frmMain::txtSFName, press(Key::Other));
    EXPECT_FALSE(hidden.form.focus().cuesShown());
    hidden.form.keyPressed(frmMain::txtSFName, press(Key::Tab));
    EXPECT_TRUE(hidden.form.focus().cuesShown());
    EXPECT_EQ(hidden.face.cueRepaints, 1);
    EXPECT_TRUE(Window(true).form.focus().cuesShown());
}

TEST(MainForm, TabsStackLabelsAndImagesUnderTheBoxes) {
    Window w;
    w.click(frmMain::imgTab_1);
    ASSERT_EQ(w.face.stacks.size(), 2u);
    const auto windowed = [](frmMain control) { return Layout::isWindowed(Layout::of(control).kind); };
    for (const auto& order : w.face.stacks) {
        const auto firstWindowed = std::find_if(order.begin(), order.end(), windowed);
        EXPECT_TRUE(std::all_of(firstWindowed, order.end(), windowed));
    }
    const auto& boxes = w.face.stacks[0];
    const auto& images = w.face.stacks[1];
    EXPECT_EQ(boxes.back(), frmMain::picCHolder_1);
    EXPECT_LT(std::find(images.begin(), images.end(), frmMain::imgTab_0),
              std::find(images.begin(), images.end(), frmMain::imgTab_1));
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
        // Start stays disabled until its box is answered, or a second click would start a run under the box.
        w.face.duringBox = [&] { EXPECT_TRUE(w.face.disabled[frmMain::Picture4]); };
        w.click(frmMain::Picture4);
        EXPECT_TRUE(w.face.disabled[frmMain::Picture4]);
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
            w.click(frmMain::imgInfo);
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
            EXPECT_FALSE(w.face.disabled[frmMain::Picture4]);
            EXPECT_EQ(w.face.focused, frmMain::Picture4);
            // A success clears the bar; a failure leaves its last picture.
            EXPECT_EQ(w.face.drawn.back(), row.during == During::Failure ? 50 : 0);
            // A second run in the same window, on a worker of its own, ends with its own box.
            w.click(frmMain::Picture4);
            while (w.face.boxes.size() < 2) {
                w.form.frame();
                std::this_thread::yield();
            }
            EXPECT_FALSE(w.face.disabled[frmMain::Picture4]);
        }
    }
}

TEST(MainForm, ReactivationGivesTheFocusBackToAnEnabledControlOnly) {
    const struct {
        frmMain clicked;
        std::optional<frmMain> focused;
    } rows[] = {
        {frmMain::txtSegSize, frmMain::txtSegSize},
        {frmMain::Picture4, std::nullopt}, // the run it started keeps it disabled
    };
    for (const auto& row : rows) {
        Window w;
        w.click(row.clicked);
        w.face.focused.reset();
        w.form.activated();
        EXPECT_EQ(w.face.focused, row.focused) << Layout::of(row.clicked).name;
    }
}

struct AboutFake : AboutFace {
    std::optional<frmAbout> focused;
    std::string opened;
    bool closed = false;
    void focus(frmAbout control) override { focused = control; }
    void showCues() override {}
    void close() override { closed = true; }
    void openAddress(const std::string& address) override { opened = address; }
};

TEST(AboutForm, Keys) {
    Keys::Press altO = press(Key::Letter, false, false, true);
    altO.letter = 'O';
    const struct {
        frmAbout focused;
        Keys::Press key;
        bool closes;
    } rows[] = {
        {frmAbout::cmdOK, press(Key::Enter), true},
        {frmAbout::cmdOK, press(Key::Escape), false},
        {frmAbout::Picture1, altO, true},
        {frmAbout::Picture1, press(Key::Enter), false},
        {frmAbout::cmdOK, press(Key::Enter, true), false},
    };
    for (const auto& row : rows) {
        AboutFake face;
        AboutForm about(face, false);
        about.opened();
        EXPECT_EQ(face.focused, frmAbout::cmdOK);
        about.keyPressed(row.focused, row.key);
        EXPECT_EQ(face.closed, row.closes) << Layout::of(row.focused).name;
    }
    // Activated again, About gives the focus back where it was, not to OK.
    AboutFake face;
    AboutForm about(face, false);
    about.opened();
    about.focusMoved(frmAbout::Picture1);
    about.activated();
    EXPECT_EQ(face.focused, frmAbout::Picture1);
}

TEST(AboutForm, LinkOpensOnALeftPressAndAReleaseOverIt) {
    // Pressed on, with, released over the link, opens.
    const std::tuple<frmAbout, MouseButton, bool, bool> rows[] = {
        {frmAbout::Label_3, MouseButton::Left, true, true},
        {frmAbout::Label_3, MouseButton::Left, false, false},
        {frmAbout::Label_3, MouseButton::Right, true, false},
        {frmAbout::Picture1, MouseButton::Left, true, false},
    };
    for (const auto& [pressedOn, button, over, opens] : rows) {
        AboutFake face;
        AboutForm about(face, false);
        about.mousePressed(pressedOn, button);
        about.mouseReleased(frmAbout::Label_3, button, over);
        EXPECT_EQ(face.opened == About::MakerAddress, opens) << Layout::of(pressedOn).name << over;
        EXPECT_FALSE(face.closed);
    }
}

TEST(MainForm, TabGoesRoundTheTableOrderPastWhatCannotTakeTheFocus) {
    const frmMain order[] = {frmMain::txtSFName,    frmMain::txtSegSize,  frmMain::lblBrowse,  frmMain::picProgress,
                             frmMain::picCHolder_1, frmMain::txtSegfname, frmMain::lblSBrowse, frmMain::Picture1,
                             frmMain::Picture2,     frmMain::Picture3,    frmMain::Picture4,   frmMain::imgTab_0,
                             frmMain::imgTab_1,     frmMain::imgInfo,     frmMain::imgExit,    frmMain::picCHolder_0};
    Window window;
    for (const frmMain next : order) {
        window.face.selected.reset();
        EXPECT_TRUE(window.form.keyPressed(window.face.focused, press(Key::Tab)));
        ASSERT_EQ(window.face.focused, next);
        EXPECT_EQ(window.face.selected.has_value(), Layout::of(next).kind == Layout::Kind::TextBox);
    }
    window.form.keyPressed(frmMain::picCHolder_0, press(Key::Tab, false, false, false, true));
    EXPECT_EQ(window.face.focused, frmMain::imgExit);
    EXPECT_FALSE(window.form.keyPressed(frmMain::picCHolder_0, press(Key::Tab, false, true)));
    window.face.hiddenOnes.insert(frmMain::txtSFName);
    window.form.keyPressed(frmMain::picCHolder_0, press(Key::Tab));
    EXPECT_EQ(window.face.focused, frmMain::txtSegSize);
    window.click(frmMain::Picture4); // Start is off while the run goes on
    window.form.keyPressed(frmMain::Picture3, press(Key::Tab));
    EXPECT_EQ(window.face.focused, frmMain::imgTab_0);
}

TEST(MainForm, DropOnAPathBoxPutsTheFirstFileInIt) {
    const struct {
        frmMain box;
        std::vector<std::u16string> paths;
    } rows[] = {{frmMain::txtSFName, {u"/d/one.bin", u"/d/two.bin"}},
                {frmMain::txtSegfname, {u"/d/p.001"}},
                {frmMain::txtSFName, {}},
                {frmMain::txtSegSize, {u"/d/one.bin"}}};
    for (const auto& row : rows) {
        Window window;
        window.face.texts[row.box] = u"typed";
        const bool taken = row.box != frmMain::txtSegSize && !row.paths.empty();
        EXPECT_EQ(window.form.dropped(row.box, row.paths), taken);
        EXPECT_EQ(window.face.texts[row.box], taken ? row.paths.front() : u"typed") << Layout::of(row.box).name;
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
