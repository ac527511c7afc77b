// The player over the real engine playing a real file, with its controls on
// real layered hosts: commands, keys, clicks on the picture, the monitor's
// tick, full screen and the bar's fade. The program's windows and online
// side are a recording stand-in (the shell).
#include "Player.h"
#include "PlayerGeometry.h"
#include "TestSupport.h"
#include "TextLabel.h"
#include "UiFixture.h"
#include "UiEngine.h"
#include "WindowHost.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <set>

using namespace corvina;
using namespace testing_support;

namespace {

constexpr int kPaused = 2, kPlaying = 5;

class RecordingShell : public PlayerShell {
  public:
    void hideWebView() override { log.push_back("hide web view"); }
    int listIndex() override { return index; }
    int rowCount() override { return rows; }
    void playRow(int row) override { log.push_back("play row " + std::to_string(row)); }
    bool rowIsSubtitle(int row) override { return subtitleRows.count(row) > 0; }
    void showFileList() override { log.push_back("file list"); }
    void openPictureAdjustment() override { log.push_back("picture adjustment"); }
    void placeForFullScreen(bool on) override { log.push_back(on ? "full screen" : "windowed"); }
    void startHoldTimer() override { log.push_back("hold timer on"); }
    void stopHoldTimer() override { log.push_back("hold timer off"); }
    void beginMainWindowMove() override { log.push_back("move"); }
    int historyTick(int, int) override { return resumeAt; }
    void setBarOpacity(int alpha) override {
        opacities.push_back(alpha);
        if (barHost)
            barHost->setOpacity(alpha);
    }
    void showBar(bool visible) override {
        log.push_back(visible ? "show bar" : "hide bar");
        barVisible = visible;
    }
    int barTop() override { return 700; }
    int pointerY() override { return pointer; }
    void waitPumping(int milliseconds) override {
        ++waits;
        if (duringWait) {
            std::function<void()> step = std::move(duringWait); // once
            step();
        }
        pumpMessages(milliseconds);
    }

    std::vector<std::string> log;
    std::vector<int> opacities;
    int index = 0, rows = 0, resumeAt = -1, pointer = 0, waits = 0;
    std::set<int> subtitleRows;
    bool barVisible = true;
    WindowHost* barHost = nullptr;
    std::function<void()> duringWait; // runs inside the next wait of a fade
};

class PlayerTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ui_testing::startUi(); }

    void SetUp() override {
        HostOptions o;
        o.backgroundColour = RGB(0, 0, 0);
        o.transparency = 0; // opaque, so the controls' pixels read plainly
        o.borderStyle = 0;
        o.drawNow = true;
        Endpoint* bar = barHost.attach(barWindow.hwnd(), o);
        Endpoint* main = mainHost.attach(mainWindow.hwnd(), o);
        ASSERT_NE(bar, nullptr);
        ASSERT_NE(main, nullptr);
        ASSERT_GT(engine.create(videoWindow.hwnd(), 0, 0, 640, 360, {}), 0);
        shell.barHost = &barHost;
        player.createControls(bar, main, 760, 51);
    }
    // Opens a movie and waits until it plays.
    void play(const wchar_t* file) {
        engine.open(gbkPath(mediaPath(file)));
        ASSERT_TRUE(waitFor([&] { return engine.state() == kPlaying; }, 30000));
    }
    uint32_t barPixel(int x, int y) const { return barHost.compositeLayer().pixel(x, y); }

    // Hidden: nothing here needs the screen, and hiding a shown window costs
    // seconds under Wine.
    TestWindow videoWindow{0, 0, 640, 360, false};
    TestWindow barWindow{0, 400, 760, 51, false};
    TestWindow mainWindow{0, 500, 770, 40, false};
    WindowHost barHost;
    WindowHost mainHost;
    PlayerEngine engine;
    RecordingShell shell;
    Player player{engine, engine.settings(), shell};
};

TEST_F(PlayerTest, WithNothingOpenKeysAndFullScreenDoNothingButPlayIsAsked) {
    ControlBar& bar = player.bar();
    const int seek = bar.seekBar().value(), volume = bar.volumeBar().value();
    for (WPARAM key : {VK_SPACE, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN})
        player.handleKey(key);
    EXPECT_EQ(bar.seekBar().value(), seek);
    EXPECT_EQ(bar.volumeBar().value(), volume);
    player.engineMessage(WM_LBUTTONDBLCLK, 0, 0);
    player.runCommand(kFullScreen);
    EXPECT_FALSE(player.fullScreen());
    player.runCommand(0);
    player.runCommand(kSound);
    player.runCommand(10);
    EXPECT_TRUE(shell.log.empty());

    // A click on the picture asks the engine to play all the same, and the
    // button offers pause.
    EXPECT_FALSE(bar.showsPlaying());
    player.engineMessage(WM_LBUTTONDOWN, 0, 0);
    player.engineMessage(WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(shell.log, (std::vector<std::string>{"hold timer on", "hold timer off", "hide web view"}));
    EXPECT_TRUE(bar.showsPlaying());
    EXPECT_EQ(engine.state(), 0);

    // The tick changes nothing while nothing is open.
    bar.timeDisplay().text("x");
    player.stateTick();
    EXPECT_EQ(bar.timeDisplay().text(), "x");
}

// The time display holds each of its texts whole on one line: every text
// pixel lies inside its box, and there are as many as the same text drawn in
// a label with room to spare (none cut off at the top, the bottom or the
// right, no character wrapped onto a second line).
TEST_F(PlayerTest, TheTimeDisplayHoldsItsTextsWholeOnOneLine) {
    TestWindow spareWindow{0, 600, 400, 60, false};
    WindowHost spareHost;
    HostOptions o;
    o.backgroundColour = RGB(0, 0, 0);
    o.transparency = 0;
    o.borderStyle = 0;
    o.drawNow = true;
    Endpoint* spareParent = spareHost.attach(spareWindow.hwnd(), o);
    ASSERT_NE(spareParent, nullptr);
    TextLabel spare;
    ASSERT_NE(spare.create(spareParent, 10, 10, 380, 40, 0), nullptr);
    auto isText = [](uint32_t p) { return (p >> 16 & 0xFF) > 0x40; };
    auto textPixels = [&](WindowHost& host, const RECT& area) {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                n += isText(host.compositeLayer().pixel(x, y)) ? 1 : 0;
        return n;
    };
    TextLabel& label = player.bar().timeDisplay();
    const RECT box{label.getX(), label.getY(), label.getX() + label.getWidth(), label.getY() + label.getHeight()};
    // Left of the buttons and below the seek bar: only the time display draws there.
    const RECT around{0, 9, 300, 51};
    for (const std::string& text : {std::string("00:00:00/00:00:00"), timeDisplayText("23:59:59", "23:59:59"),
                                    timeDisplayText("0:1:5", "1:32:10"), bufferingText(100)}) {
        label.text(text);
        spare.text(text);
        const int inBox = textPixels(barHost, box), drawn = textPixels(barHost, around);
        EXPECT_GT(inBox, 50) << text;
        EXPECT_EQ(drawn, inBox) << text << ": drawn outside its box";
        EXPECT_EQ(inBox, textPixels(spareHost, RECT{0, 0, 400, 60})) << text << ": cut off or wrapped";
    }
}

TEST_F(PlayerTest, PreviousAndNextStayInsideTheList) {
    struct Case {
        int index, rows, command;
        std::set<int> subtitleRows;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {0, 3, kPrevious, {}, {}}, // the first row has no previous: -1 never reaches the list
        {0, 3, kNext, {}, {"play row 1"}},
        {2, 3, kNext, {}, {}},
        {2, 3, kPrevious, {}, {"play row 1"}},
        {0, 0, kNext, {}, {}},
        {5, 3, kPrevious, {}, {}}, // a stale index past the list
        // Subtitle rows are passed over, both ways, and are never the last word.
        {0, 4, kNext, {1, 2}, {"play row 3"}},
        {3, 4, kPrevious, {1, 2}, {"play row 0"}},
        {0, 3, kNext, {1, 2}, {}},
        {2, 3, kPrevious, {0, 1}, {}},
    };
    for (const Case& c : cases) {
        shell.log.clear();
        shell.index = c.index;
        shell.rows = c.rows;
        shell.subtitleRows = c.subtitleRows;
        player.runCommand(c.command);
        EXPECT_EQ(shell.log, c.log) << c.index << "/" << c.rows << " " << c.command;
    }
    player.runCommand(kFileList);
    player.runCommand(kPictureAdjust);
    EXPECT_EQ(shell.log, (std::vector<std::string>{"file list", "picture adjustment"}));
}

TEST_F(PlayerTest, MuteTwiceMarksTheSpeakerThenClearsIt) {
    ImageButton& mute = player.bar().button(kMute);
    auto redPixels = [&] {
        int n = 0;
        for (int y = mute.getY(); y < mute.getY() + mute.getHeight(); ++y)
            for (int x = mute.getX(); x < mute.getX() + mute.getWidth(); ++x) {
                const uint32_t p = barPixel(x, y);
                if ((p >> 16 & 0xFF) > 0x90 && (p >> 8 & 0xFF) < 0x50)
                    ++n;
            }
        return n;
    };
    pumpMessages(400); // the button's first picture settles
    EXPECT_EQ(redPixels(), 0);
    player.runCommand(kMute);
    EXPECT_EQ(mute.textProperty(), kMutedMark);
    EXPECT_EQ(engine.config(12), "1");
    EXPECT_TRUE(waitFor([&] { return redPixels() > 3; }, 5000)); // a red "×" over the speaker
    player.runCommand(kMute);
    EXPECT_EQ(mute.textProperty(), "");
    EXPECT_EQ(engine.config(12), "0");
    EXPECT_TRUE(waitFor([&] { return redPixels() == 0; }, 5000));
}

TEST_F(PlayerTest, TheTickFollowsTheMovieAndKeysDriveIt) {
    play(L"big-tail.mp4"); // 20 s
    ControlBar& bar = player.bar();
    player.stateTick();
    EXPECT_EQ(bar.seekBar().maximum(), engine.duration());
    EXPECT_NEAR(bar.seekBar().value(), engine.position(), 1500);
    EXPECT_EQ(bar.timeDisplay().text(), engine.positionText() + "\\" + engine.durationText());
    EXPECT_TRUE(bar.showsPlaying()); // started elsewhere: the button follows
    // A local file is all there: the buffered band reaches the end.
    EXPECT_EQ(bar.seekBar().bufferedValue(), engine.duration());

    // Right seeks 3 s on, left 3 s back, clamped at 0.
    const int before = engine.position();
    player.handleKey(VK_RIGHT);
    EXPECT_TRUE(waitFor([&] { return engine.position() >= before + 2500; }, 10000)) << engine.position();
    player.stateTick();
    for (int i = 0; i < 10; ++i)
        player.handleKey(VK_LEFT);
    EXPECT_EQ(bar.seekBar().value(), 0);
    EXPECT_TRUE(waitFor([&] { return engine.position() < 2000; }, 10000)) << engine.position();

    // Up and down move the volume by 5, through the bar.
    const int volume = bar.volumeBar().value();
    player.handleKey(VK_UP);
    EXPECT_EQ(bar.volumeBar().value(), volume + 5);
    EXPECT_EQ(engine.volume(), volume + 5);
    player.handleKey(VK_DOWN);
    player.handleKey(VK_DOWN);
    EXPECT_EQ(engine.volume(), volume - 5);

    // Space pauses and plays; the button shows what a press would do.
    player.handleKey(VK_SPACE);
    EXPECT_TRUE(waitFor([&] { return engine.state() == kPaused; }, 10000));
    EXPECT_FALSE(bar.showsPlaying());
    player.handleKey(VK_SPACE);
    EXPECT_TRUE(waitFor([&] { return engine.state() == kPlaying; }, 10000));
    EXPECT_TRUE(bar.showsPlaying());

    // The buffering text stays until the next tick.
    player.buffering(35);
    EXPECT_EQ(bar.timeDisplay().text(), "\xD5\xFD\xD4\xDA\xBB\xBA\xB3\xE5:35%");
    player.stateTick();
    EXPECT_EQ(bar.timeDisplay().text(), engine.positionText() + "\\" + engine.durationText());

    // While the user holds the seek bar, the tick leaves its value alone.
    TrackBar& seek = bar.seekBar();
    const int x = seek.getX() + seek.getWidth() / 2, y = seek.getY() + 1;
    SendMessageW(barWindow.hwnd(), WM_MOUSEMOVE, 0, packPointer(x, y));
    SendMessageW(barWindow.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, packPointer(x, y));
    ASSERT_TRUE(seek.dragging());
    seek.value(123);
    player.stateTick();
    EXPECT_EQ(seek.value(), 123);
    SendMessageW(barWindow.hwnd(), WM_LBUTTONUP, 0, packPointer(x, y)); // seeks to the middle
    EXPECT_TRUE(waitFor([&] { return std::abs(engine.position() - engine.duration() / 2) < 2500; }, 10000))
        << engine.position();

    // A resume due from the history seeks there.
    shell.resumeAt = 15000;
    player.stateTick();
    EXPECT_TRUE(waitFor([&] { return engine.position() >= 14500; }, 10000)) << engine.position();

    // Stop closes the movie and offers play again.
    player.runCommand(kStop);
    EXPECT_EQ(engine.state(), 0);
    EXPECT_FALSE(bar.showsPlaying());
}

// The button offers pause from the open on, not only once the movie plays;
// with the tick once a second as in the program, a movie that plays to its
// end leaves the button offering play, and the seek bar and the time at the
// end, not at the last tick's moment before it.
TEST_F(PlayerTest, TheButtonAndTheBarFollowTheStartAndTheEndOfAMovie) {
    ControlBar& bar = player.bar();
    engine.open(gbkPath(mediaPath(L"bars.mp4"))); // 4 s
    ASSERT_NE(engine.state(), 0);
    player.stateTick();
    EXPECT_TRUE(bar.showsPlaying()) << "state " << engine.state();
    std::string durationText;
    const double started = nowMs();
    while (engine.state() != 0 && nowMs() - started < 30000) {
        if (engine.state() == kPlaying)
            durationText = engine.durationText();
        player.stateTick();
        waitFor([] { return false; }, 1000); // the program's tick
    }
    ASSERT_EQ(engine.state(), 0);
    player.stateTick();
    EXPECT_FALSE(bar.showsPlaying());
    EXPECT_GT(bar.seekBar().maximum(), 3000);
    EXPECT_EQ(bar.seekBar().value(), bar.seekBar().maximum());
    EXPECT_EQ(bar.timeDisplay().text(), durationText + "\\" + durationText);
}

TEST_F(PlayerTest, ClicksHoldsAndDoubleClicksOnThePicture) {
    play(L"big-tail.mp4");
    // A quick click toggles play and pause; the hold timer lives in between.
    player.engineMessage(WM_LBUTTONDOWN, 0, 0);
    player.engineMessage(WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(shell.log, (std::vector<std::string>{"hold timer on", "hold timer off", "hide web view"}));
    EXPECT_TRUE(waitFor([&] { return engine.state() == kPaused; }, 10000));

    // A hold: the timer dies before the move starts (the move loop is modal).
    shell.log.clear();
    player.engineMessage(WM_LBUTTONDOWN, 0, 0);
    player.holdTick();
    EXPECT_EQ(shell.log, (std::vector<std::string>{"hold timer on", "hold timer off", "move"}));

    // A double-click goes to full screen and back.
    shell.log.clear();
    player.engineMessage(WM_LBUTTONDBLCLK, 0, 0);
    EXPECT_TRUE(player.fullScreen());
    EXPECT_EQ(shell.log, (std::vector<std::string>{"full screen"}));
    // In full screen a hold only stops its timer.
    shell.log.clear();
    player.holdTick();
    EXPECT_EQ(shell.log, (std::vector<std::string>{"hold timer off"}));
    // Leaving always works, even with nothing open any more.
    player.runCommand(kStop);
    shell.log.clear();
    player.engineMessage(WM_LBUTTONDBLCLK, 0, 0);
    EXPECT_FALSE(player.fullScreen());
    EXPECT_EQ(shell.log, (std::vector<std::string>{"show bar", "windowed"}));
    EXPECT_EQ(shell.opacities.back(), 255);
}

TEST_F(PlayerTest, TheBarFadesWithThePointerInFullScreen) {
    play(L"big-tail.mp4");
    // Outside full screen the tick only keeps the bar visible.
    shell.pointer = 0;
    player.fadeTick();
    EXPECT_TRUE(shell.opacities.empty());

    player.runCommand(kFullScreen);
    shell.log.clear();
    shell.opacities.clear();
    shell.pointer = 100; // above the bar's top (700): fade out
    player.fadeTick();
    EXPECT_EQ(shell.opacities, (std::vector<int>{229, 204, 178, 153, 127, 102, 76, 51, 25, 0}));
    EXPECT_EQ(shell.log, (std::vector<std::string>{"hide bar"}));
    EXPECT_TRUE(player.barHidden());
    EXPECT_EQ(barHost.canvas().alpha(), 0);
    player.fadeTick(); // already out: nothing more
    EXPECT_EQ(shell.opacities.size(), 10u);

    shell.log.clear();
    shell.opacities.clear();
    shell.pointer = 750; // down at the bar: fade in
    player.fadeTick();
    EXPECT_EQ(shell.opacities, (std::vector<int>{25, 51, 76, 102, 127, 153, 178, 204, 229, 255}));
    EXPECT_EQ(shell.log, (std::vector<std::string>{"show bar"}));
    EXPECT_FALSE(player.barHidden());

    // A fade-in that starts inside a running fade-out ends opaque and visible,
    // and the fade-out gives up without hiding the bar.
    shell.log.clear();
    shell.opacities.clear();
    shell.pointer = 100;
    shell.duringWait = [&] {
        shell.pointer = 750;
        player.fadeTick();
    };
    player.fadeTick();
    EXPECT_EQ(shell.opacities.back(), 255);
    EXPECT_EQ(shell.opacities.front(), 229);
    EXPECT_EQ(shell.log, (std::vector<std::string>{"show bar"}));
    EXPECT_TRUE(shell.barVisible);
    EXPECT_FALSE(player.barHidden());

    // Leaving full screen inside a fade-out's wait: the bar is whole again.
    shell.log.clear();
    shell.pointer = 100;
    shell.duringWait = [&] { player.runCommand(kFullScreen); };
    player.fadeTick();
    EXPECT_FALSE(player.fullScreen());
    EXPECT_EQ(shell.opacities.back(), 255);
    EXPECT_EQ(shell.log, (std::vector<std::string>{"show bar", "windowed"}));
    EXPECT_FALSE(player.barHidden());
    EXPECT_EQ(barHost.canvas().alpha(), 255);
}

} // namespace
