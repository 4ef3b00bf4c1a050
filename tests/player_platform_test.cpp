// SPDX-License-Identifier: MIT
// The players' platform's decisions on a backend that hands over news a test
// writes: where a key goes (the game, the comforts, Alt+Enter, the end of a
// playback), the pause and the time it keeps out of the run, the pads, and a
// close request. What reaches the game is read from the recording of the
// delivered input, which a replay takes as it stands.
#include "platform/window/player_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/program/program.h"

namespace {

using platform::EndReason;
using platform::KeyNews;
using platform::NewsSink;
using platform::PlayerPlatform;
using platform::RunEnded;
using platform::WindowNews;

// One tick a frame at 70 frames a second.
constexpr std::int64_t kTicksPerSecond = 70;

// The window: what the platform asked of it.
struct FakeScreen final : platform::PlayerScreen {
    int toggles = 0;
    std::vector<std::string> notes;
    std::string mark;
    int shown = 0;                   // pictures shown
    std::vector<bool> pauses;        // SetPaused's calls in order
    std::vector<std::string> hints;  // and what they said under PAUSED
    std::vector<std::uint8_t> picture =
        std::vector<std::uint8_t>(platform::kScreenWidth * platform::kScreenHeight, 0);
    platform::Palette palette{};
    std::string readout;
    // A screen that presents later, and what it says got there.
    bool later = false;
    std::vector<Presented> presented;

    void Show(const platform::Picture&, const platform::Palette&) override { ++shown; }
    void SetReadout(std::string_view line) override { readout = line; }
    int RefreshRate() const override { return later ? 60 : 0; }
    bool PresentsLater() const override { return later; }
    std::vector<Presented> TakePresented() override { return std::exchange(presented, {}); }
    void ToggleFullscreen() override { ++toggles; }
    bool IsFullscreen() const override { return toggles % 2 == 1; }
    std::pair<int, int> WindowedSize() const override { return {640, 480}; }
    void ShowNote(std::string note, int /*milliseconds*/) override {
        notes.push_back(std::move(note));
    }
    void SetMark(std::string_view now) override { mark = now; }
    void SetPaused(bool paused, std::string_view hint) override {
        pauses.push_back(paused);
        hints.emplace_back(hint);
    }
    platform::Picture Shown() const override { return {picture.data(), platform::kScreenWidth}; }
    const platform::Palette& ShownPalette() const override { return palette; }
};

struct FakeVoice final : platform::PlayerVoice {
    int volume = -1;
    std::vector<bool> pauses;

    void Play(platform::Cue, bool) override {}
    void Stop() override {}
    void SetVolume(int percent) override { volume = percent; }
    void SetPaused(bool paused) override { pauses.push_back(paused); }
};

// A window system whose news the test writes: each Pump hands the next batch
// (the events waiting at that moment), and each Sleep lets sleepTicks pass.
class FakeBackend final : public platform::PlayerBackend {
public:
    using Batch = std::function<void(NewsSink&)>;

    std::deque<Batch> batches;
    std::int64_t ticksPerSecond = kTicksPerSecond;
    std::int64_t ticks = 0;
    std::int64_t sleepTicks = 1;
    int sleeps = 0;
    FakeScreen screen;
    FakeVoice voice;

    void Pump(NewsSink& news) override {
        if (batches.empty()) return;
        const Batch batch = std::move(batches.front());
        batches.pop_front();
        batch(news);
    }
    void Sleep() override {
        // A wait that nothing is left to end would never end.
        if (batches.empty() || ++sleeps > 10000) throw std::runtime_error("waits forever");
        ticks += sleepTicks;
    }
    std::int64_t TicksPerSecond() const override { return ticksPerSecond; }
    std::int64_t Ticks() const override { return ticks; }
    void SleepUntil(std::int64_t tick) override { ticks = std::max(ticks, tick); }
    platform::PlayerScreen& Screen() override { return screen; }
    const platform::PlayerScreen& Screen() const override { return screen; }
    platform::PlayerVoice& Voice() override { return voice; }
};

KeyNews Down(std::string_view name, std::int32_t control = 1) {
    return KeyNews{name, control, true, false, false, false};
}
KeyNews Repeat(std::string_view name, std::int32_t control = 1) {
    return KeyNews{name, control, true, true, false, false};
}
KeyNews Up(std::string_view name, std::int32_t control = 1) {
    return KeyNews{name, control, false, false, false, false};
}
KeyNews AltDown(std::string_view name, std::int32_t control = 1) {
    return KeyNews{name, control, true, false, true, false};
}

// A player platform over a fake backend, recording what it delivers.
struct Rig {
    explicit Rig(platform::WindowOptions options = {},
                 std::int64_t ticksPerSecond = kTicksPerSecond) {
        options.record = &recording;
        auto made = std::make_unique<FakeBackend>();
        made->ticksPerSecond = ticksPerSecond;
        backend = made.get();
        host = std::make_unique<PlayerPlatform>(options, std::move(made));
    }

    // One frame: the picture presented, then the frame's first poll.
    void Frame() {
        host->ShowPicture(Shown(), backend->screen.palette, platform::PictureKind::Present);
        host->DeliverDueInput(keys);
    }
    platform::Picture Shown() const { return backend->screen.Shown(); }
    // What the game was handed, as the recording says (its comments aside).
    std::string Delivered() const {
        std::string lines;
        std::size_t start = 0;
        const std::string& text = recording.Text();
        while (start < text.size()) {
            const std::size_t end = text.find('\n', start) + 1;
            if (text[start] != '#') lines += text.substr(start, end - start);
            start = end;
        }
        return lines;
    }

    platform::MemoryLines recording;
    FakeBackend* backend = nullptr;
    std::unique_ptr<PlayerPlatform> host;
    platform::KeyState keys;
};

bool Held(const platform::KeyState& keys, platform::Key key) {
    return keys.held[static_cast<std::size_t>(key)];
}

TEST(PlayerPlatform, TheEnterOfAnAltEnterNeverReachesTheGame) {
    Rig rig;
    // Alt+Enter, Alt let go first while Enter goes on repeating, then Enter
    // let go; the same with the keypad's Enter, whose repeats keep Alt.
    rig.backend->batches.push_back([](NewsSink& news) {
        EXPECT_TRUE(news.OnKey(AltDown("Enter")));
        EXPECT_TRUE(news.OnKey(Repeat("Enter")));
        EXPECT_TRUE(news.OnKey(Repeat("Enter")));
        EXPECT_TRUE(news.OnKey(Up("Enter")));
        news.OnKey(AltDown("KeypadEnter", 2));
        news.OnKey(KeyNews{"KeypadEnter", 2, true, true, true, false});
        news.OnKey(Up("KeypadEnter", 2));
    });
    rig.host->DeliverDueInput(rig.keys);
    EXPECT_EQ(rig.backend->screen.toggles, 2);  // once a press, never a repeat
    EXPECT_EQ(rig.Delivered(), "");
    EXPECT_FALSE(rig.keys.anyDownDelivered);

    // An Enter pressed while Alt is not held is the game's.
    rig.backend->batches.push_back([](NewsSink& news) { news.OnKey(Down("Enter")); });
    rig.Frame();
    EXPECT_EQ(rig.Delivered(), "1 enter down\n");
    EXPECT_EQ(rig.backend->screen.toggles, 2);
}

TEST(PlayerPlatform, ComfortKeysNeverReachTheGame) {
    platform::WindowOptions options;
    options.volume = 50;
    const std::filesystem::path folder =
        std::filesystem::path(testing::TempDir()) / "player-platform-shots";
    std::filesystem::remove_all(folder);
    options.screenshotFolder = folder.string();
    Rig rig(options);
    EXPECT_EQ(rig.backend->voice.volume, 50);
    rig.backend->batches.push_back([](NewsSink& news) {
        for (std::string_view name :
             {"M", "M", "KeypadPlus", "RightBracket", "KeypadMinus", "F12"}) {
            EXPECT_TRUE(news.OnKey(Down(name)));
            EXPECT_TRUE(news.OnKey(Up(name)));
        }
        // A volume key held steps again at each repeat.
        news.OnKey(Down("LeftBracket"));
        news.OnKey(Repeat("LeftBracket"));
        news.OnKey(Up("LeftBracket"));
    });
    rig.host->DeliverDueInput(rig.keys);
    EXPECT_EQ(rig.Delivered(), "");
    EXPECT_EQ(rig.backend->voice.volume, 40);
    EXPECT_EQ(rig.backend->screen.notes,
              (std::vector<std::string>{"SOUND OFF", "VOLUME 50", "VOLUME 60", "VOLUME 70",
                                        "VOLUME 60", "VOLUME 50", "VOLUME 40"}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1);
    const platform::SettingsChanges changes = rig.host->Changes();
    EXPECT_EQ(changes.volume, 40);
    std::filesystem::remove_all(folder);
}

TEST(PlayerPlatform, KeysHoldTheGameKeysTheyAreBoundTo) {
    Rig rig;
    rig.backend->batches.push_back([](NewsSink& news) {
        // Unnamed and unbound keys are the window system's.
        EXPECT_FALSE(news.OnKey(Down("")));
        EXPECT_FALSE(news.OnKey(Down("Q")));
        // The keypad's 4 holds Left while Num Lock is off, nothing while on.
        EXPECT_FALSE(news.OnKey(KeyNews{"Keypad4", 40, true, false, false, true}));
        EXPECT_TRUE(news.OnKey(Down("Keypad4", 41)));
        // The arrow holds Left too: one down for the game, released by the last.
        EXPECT_TRUE(news.OnKey(Down("Left", 42)));
        EXPECT_TRUE(news.OnKey(Repeat("Left", 42)));  // a repeat presses again
    });
    rig.host->DeliverDueInput(rig.keys);
    rig.backend->batches.push_back([](NewsSink& news) {
        news.OnKey(Up("Keypad4", 41));
        news.OnKey(Up("Keypad4", 40));  // let go after Num Lock changed: nothing held
    });
    rig.Frame();
    EXPECT_TRUE(Held(rig.keys, platform::Key::Left));
    rig.backend->batches.push_back([](NewsSink& news) { news.OnKey(Up("Left", 42)); });
    rig.Frame();
    EXPECT_FALSE(Held(rig.keys, platform::Key::Left));
    EXPECT_EQ(rig.Delivered(), "0 left down\n0 left down\n2 left up\n");
}

TEST(PlayerPlatform, APauseLetsGoOfHeldKeysAtTheDeliveryPointAndAddsNoGameTime) {
    Rig rig;
    rig.backend->batches.push_back([](NewsSink& news) { news.OnKey(Down("Left")); });
    rig.Frame();  // T 1: Left goes down
    rig.backend->batches.push_back([](NewsSink& news) {
        news.OnKey(Down("P"));
        news.OnKey(Down("Space", 7));  // after the pause: the game's
    });
    // In the pause: nothing for the game, ten seconds, a second P resumes.
    rig.backend->batches.push_back([](NewsSink& news) {
        EXPECT_TRUE(news.OnKey(Down("Right", 9)));  // the game's, but not now
        EXPECT_TRUE(news.OnKey(Repeat("P")));
        news.OnPadButton(0, platform::kPadA, true);
        news.OnWindow(WindowNews::FocusLost);
    });
    rig.backend->batches.push_back([](NewsSink& news) { news.OnKey(Down("P")); });
    rig.backend->sleepTicks = 10 * kTicksPerSecond;
    rig.Frame();  // T 2
    EXPECT_EQ(rig.backend->screen.pauses, (std::vector<bool>{true, false}));
    EXPECT_EQ(rig.backend->voice.pauses, (std::vector<bool>{true, false}));
    EXPECT_FALSE(Held(rig.keys, platform::Key::Left));
    EXPECT_TRUE(Held(rig.keys, platform::Key::Space));
    EXPECT_EQ(rig.Delivered(), "1 left down\n2 left up\n2 space down\n");
    // Left let go after the pause was let go of already.
    rig.backend->batches.push_back([](NewsSink& news) {
        news.OnKey(Up("Left"));
        news.OnKey(Up("Space", 7));
    });
    rig.Frame();
    EXPECT_EQ(rig.Delivered(), "1 left down\n2 left up\n2 space down\n3 space up\n");

    // A live wait: three frames pass before Enter, and a pause of a minute
    // in between that the stamp leaves out.
    rig.backend->sleepTicks = 1;
    FakeBackend* backend = rig.backend;
    rig.backend->batches.push_back([](NewsSink&) {});
    rig.backend->batches.push_back([](NewsSink& news) { news.OnKey(Down("Pause")); });
    rig.backend->batches.push_back([backend](NewsSink& news) {
        backend->ticks += 60 * kTicksPerSecond;
        news.OnKey(Down("Pause"));
    });
    rig.backend->batches.push_back([](NewsSink&) {});
    rig.backend->batches.push_back([](NewsSink& news) { news.OnKey(Down("Enter")); });
    const std::uint64_t before = rig.host->Now();
    const std::int64_t ticks = rig.backend->ticks;
    rig.host->WaitForInput(rig.keys);
    EXPECT_GT(rig.backend->ticks - ticks, 60 * kTicksPerSecond);  // the pause, on the clock
    EXPECT_EQ(rig.backend->screen.pauses, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(rig.host->Now(), before + 1 + 2);
    EXPECT_TRUE(rig.keys.pressed[static_cast<std::size_t>(platform::Key::Enter)]);
}

// After the window was left, any of the game's keys or any pad button goes
// on; after P, Pause or Guide only those and the pad's Start. What resumes
// never reaches the game, nor do its repeats and its release.
TEST(PlayerPlatform, APauseEndsAtTheKeysItNamesAndTheyReachNothing) {
    Rig rig;
    rig.backend->batches.push_back([](NewsSink& news) { news.OnWindow(WindowNews::FocusLost); });
    rig.backend->batches.push_back([](NewsSink& news) {
        EXPECT_TRUE(news.OnKey(Down("M")));  // a comfort: still paused
        EXPECT_FALSE(news.OnKey(KeyNews{"Keypad4", 40, true, false, false, true}));
        EXPECT_FALSE(news.OnKey(Down("Q")));
        news.OnKey(Repeat("Left"));
        news.OnPadStick(0, true, -30000);
    });
    rig.backend->batches.push_back([](NewsSink& news) {
        EXPECT_TRUE(news.OnKey(Down("Left")));  // goes on
        news.OnKey(Repeat("Left"));
        news.OnKey(Up("Left"));
    });
    rig.host->DeliverDueInput(rig.keys);
    EXPECT_EQ(rig.backend->screen.hints, (std::vector<std::string>{"PRESS ANY KEY", ""}));
    EXPECT_EQ(rig.Delivered(), "");

    // Any pad button, told as a button or read whole.
    rig.backend->batches.push_back([](NewsSink& news) { news.OnWindow(WindowNews::Minimised); });
    rig.backend->batches.push_back(
        [](NewsSink& news) { news.OnPadButton(2, platform::kPadX, true); });
    rig.backend->batches.push_back([](NewsSink& news) {
        news.OnPadButton(2, platform::kPadX, false);
        news.OnWindow(WindowNews::FocusLost);
    });
    platform::PadReading back;
    back.buttons = platform::kPadBack;
    rig.backend->batches.push_back([back](NewsSink& news) { news.OnPadRead(1, {}, back); });
    rig.backend->batches.push_back([back](NewsSink& news) { news.OnPadRead(1, back, {}); });
    for (int frame = 0; frame < 3; ++frame) rig.Frame();
    EXPECT_EQ(rig.backend->screen.pauses,
              (std::vector<bool>{true, false, true, false, true, false}));
    EXPECT_EQ(rig.Delivered(), "");

    // A pause by P: the game's keys and the pad's other buttons wait; Start
    // goes on, told as a button or read whole.
    platform::PadReading start;
    start.buttons = platform::kPadStart;
    for (const bool whole : {false, true}) {
        rig.backend->batches.push_back([](NewsSink& news) { news.OnKey(Down("P")); });
        rig.backend->batches.push_back([](NewsSink& news) {
            EXPECT_TRUE(news.OnKey(Down("Enter")));
            news.OnPadButton(0, platform::kPadA, true);
        });
        rig.backend->batches.push_back([whole, start](NewsSink& news) {
            if (whole) {
                news.OnPadRead(1, {}, start);
            } else {
                news.OnPadButton(0, platform::kPadStart, true);
            }
        });
        rig.backend->batches.push_back([whole, start](NewsSink& news) {
            news.OnKey(Up("Enter"));
            if (whole) {
                news.OnPadRead(1, start, {});
            } else {
                news.OnPadButton(0, platform::kPadStart, false);
            }
        });
        rig.Frame();
        rig.Frame();
        EXPECT_EQ(rig.backend->screen.hints.end()[-2], "PRESS P");
        EXPECT_FALSE(rig.host->IsPaused());
    }
    EXPECT_EQ(rig.Delivered(), "");
    // The pad's Start, out of a pause, is Enter.
    rig.backend->batches.push_back(
        [](NewsSink& news) { news.OnPadButton(0, platform::kPadStart, true); });
    rig.Frame();
    EXPECT_EQ(rig.Delivered(), "8 enter down\n");
}

TEST(PlayerPlatform, ACloseRequestEndsAPauseAndIsTheGames) {
    Rig rig;
    rig.backend->batches.push_back([](NewsSink& news) { news.OnWindow(WindowNews::Minimised); });
    rig.backend->batches.push_back([](NewsSink& news) { news.OnWindow(WindowNews::Close); });
    rig.host->DeliverDueInput(rig.keys);
    EXPECT_EQ(rig.backend->screen.pauses, (std::vector<bool>{true, false}));
    EXPECT_TRUE(rig.keys.closePending);
    EXPECT_EQ(rig.Delivered(), "0 close\n");

    // Without autopause, switching away only lets go of the keys.
    platform::WindowOptions options;
    options.autopause = false;
    Rig still(options);
    still.backend->batches.push_back([](NewsSink& news) {
        news.OnKey(Down("Up"));
        news.OnWindow(WindowNews::FocusLost);
    });
    still.host->DeliverDueInput(still.keys);
    EXPECT_TRUE(still.backend->screen.pauses.empty());
    EXPECT_EQ(still.Delivered(), "0 up down\n0 up up\n");
}

TEST(PlayerPlatform, EscapeOrACloseRequestEndsAPlayback) {
    for (const EndReason expected : {EndReason::Quit, EndReason::Close}) {
        platform::WindowOptions options;
        options.playback =
            platform::Script{{{5, platform::InputEvent::Kind::KeyDown, platform::Key::Space}}, {}};
        Rig rig(options);
        // The keys are not the game's: the script is. A pause shows the same.
        rig.backend->batches.push_back([](NewsSink& news) {
            EXPECT_TRUE(news.OnKey(Down("Up")));
            news.OnPadButton(0, platform::kPadX, true);
        });
        rig.host->DeliverDueInput(rig.keys);
        EXPECT_FALSE(rig.keys.anyDownDelivered);
        rig.backend->batches.push_back([](NewsSink& news) { news.OnKey(Down("P")); });
        rig.backend->batches.push_back([expected](NewsSink& news) {
            if (expected == EndReason::Quit) {
                EXPECT_TRUE(news.OnKey(Down("Escape")));
            } else {
                news.OnWindow(WindowNews::Close);
            }
        });
        try {
            rig.host->WaitForInput(rig.keys);  // the wait for T 5, in real time
            ADD_FAILURE() << "the playback went on";
        } catch (const RunEnded& ended) {
            EXPECT_EQ(ended.reason, expected);
        }
        EXPECT_EQ(rig.backend->screen.pauses, (std::vector<bool>{true, false}));
        EXPECT_EQ(rig.Delivered(), "");
    }
}

// A playback takes its own keys, whatever the bindings: Right faster and
// Left slower (the mark says how fast, the frames come that much sooner or
// later, and above the normal speed pictures go unshown until the show
// stands still), Space pauses and goes on, Down in a pause one more frame;
// a pad's d-pad and A the same. The recording alone plays the game.
TEST(PlayerPlatform, APlaybackGoesFasterSlowerAndFrameByFrame) {
    platform::WindowOptions options;
    options.keys = platform::KeyBindings{};  // no key bound: the playback's keys stay
    options.playback =
        platform::Script{{{60, platform::InputEvent::Kind::KeyDown, platform::Key::Space}}, {}};
    Rig rig(options, 7000);  // a frame period of 100 ticks
    FakeBackend& backend = *rig.backend;
    EXPECT_EQ(backend.screen.mark, "REPLAY");
    // The ticks a frame takes, at each speed.
    const auto frameTicks = [&rig, &backend] {
        const std::int64_t before = backend.ticks;
        rig.Frame();
        return backend.ticks - before;
    };
    for (int i = 0; i < 3; ++i) frameTicks();  // on the schedule
    EXPECT_EQ(frameTicks(), 100);
    backend.batches.push_back([](NewsSink& news) {
        EXPECT_TRUE(news.OnKey(Down("Right")));
        EXPECT_TRUE(news.OnKey(Repeat("Right")));  // a repeat steps nothing
        news.OnPadButton(0, platform::kPadRight, true);
    });
    rig.Frame();
    EXPECT_EQ(backend.screen.mark, "REPLAY X4");
    EXPECT_EQ(frameTicks(), 25);
    EXPECT_EQ(frameTicks(), 25);
    // At x4 one picture in four is shown; a pause by Space shows the last.
    const int shown = backend.screen.shown;
    for (int i = 0; i < 8; ++i) rig.Frame();
    EXPECT_EQ(backend.screen.shown - shown, 2);
    backend.batches.push_back([](NewsSink& news) { news.OnKey(Down("Space")); });
    backend.batches.push_back([](NewsSink& news) { news.OnKey(Down("Down")); });
    const std::uint64_t before = rig.host->Now();
    rig.Frame();  // paused at its poll; Down: one more frame, then paused again
    EXPECT_EQ(backend.screen.pauses, (std::vector<bool>{true, false}));
    backend.batches.push_back([](NewsSink& news) { news.OnPadButton(0, platform::kPadA, true); });
    rig.Frame();
    EXPECT_EQ(rig.host->Now(), before + 2);
    EXPECT_EQ(backend.screen.pauses, (std::vector<bool>{true, false, true, false}));
    // Slower: down to a quarter, no further; the recording's Space is the
    // only key the game saw.
    backend.batches.push_back([](NewsSink& news) {
        for (int i = 0; i < 6; ++i) news.OnKey(Down("Left"));
        news.OnPadButton(0, platform::kPadLeft, true);
    });
    rig.Frame();
    EXPECT_EQ(backend.screen.mark, "REPLAY X1/4");
    EXPECT_EQ(frameTicks(), 400);
    EXPECT_EQ(frameTicks(), 400);
    EXPECT_FALSE(rig.keys.anyDownDelivered);
    rig.host->WaitForInput(rig.keys);  // the recorded Space at 60
    EXPECT_EQ(rig.host->Now(), 60u);
    EXPECT_TRUE(rig.keys.pressed[static_cast<std::size_t>(platform::Key::Space)]);
}

// A recording dropped onto the window ends the menu (or the intro, or a
// playback) as a close does, to be played next; during a game it is not
// taken, and the game goes on.
TEST(PlayerPlatform, ARecordingDroppedEndsTheMenuButNotAGame) {
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "drops";
    std::filesystem::create_directories(folder);
    const std::string good = (folder / "good.txt").string();
    const std::string bad = (folder / "bad.txt").string();
    std::ofstream(good) << "# fompy-talden recording 1\n7 up down\n";
    std::ofstream(bad) << "7 up sideways\n";
    Rig rig;
    rig.host->PlayCue(platform::Cue::GameStart);
    rig.backend->batches.push_back([good](NewsSink& news) { news.OnDrop(good); });
    rig.host->DeliverDueInput(rig.keys);
    EXPECT_FALSE(rig.host->HasDropped());
    EXPECT_FALSE(rig.keys.closePending);
    rig.host->LoopCue(platform::Cue::MenuTune);  // back on the menu
    rig.backend->batches.push_back([good, bad, folder](NewsSink& news) {
        news.OnDrop(bad);                                // not a recording: the menu goes on
        news.OnDrop((folder / "missing.txt").string());  // nor is a file that is not there
        news.OnDrop(good);
        news.OnDrop(bad);  // the first one counts
    });
    rig.Frame();
    EXPECT_TRUE(rig.keys.closePending);
    EXPECT_EQ(rig.Delivered(), "1 close\n");
    const std::optional<platform::Script> dropped = rig.host->TakeDropped();
    ASSERT_TRUE(dropped);
    EXPECT_EQ(dropped->events, (std::vector<platform::InputEvent>{
                                   {7, platform::InputEvent::Kind::KeyDown, platform::Key::Up}}));

    platform::WindowOptions options;
    options.playback = *dropped;
    Rig show(options);
    show.host->PlayCue(platform::Cue::GameStart);  // a game of the recording
    show.backend->batches.push_back([good](NewsSink& news) { news.OnDrop(good); });
    try {
        show.host->DeliverDueInput(show.keys);
        ADD_FAILURE() << "the playback went on";
    } catch (const RunEnded& ended) {
        EXPECT_EQ(ended.reason, EndReason::Close);
    }
    EXPECT_TRUE(show.host->HasDropped());
    std::filesystem::remove_all(folder);
}

// A watched game: the recording before it plays unseen and unpaced; the
// show ends after a moment's hold at the game's last frame, or at its
// game-over screen's wait.
TEST(PlayerPlatform, AWatchedGameIsReachedUnseenAndEndsWithIt) {
    for (const bool toGameOver : {false, true}) {
        platform::WindowOptions options;
        options.playback =
            platform::Script{{{40, platform::InputEvent::Kind::KeyDown, platform::Key::Enter},
                              {90, platform::InputEvent::Kind::KeyDown, platform::Key::Space}},
                             {}};
        options.watch = platform::WindowOptions::WatchSpan{50, 60, toGameOver};
        Rig rig(options, 7000);
        FakeBackend& backend = *rig.backend;
        rig.host->WaitForInput(rig.keys);  // the wait for T 40: not waited
        EXPECT_EQ(rig.host->Now(), 40u);
        for (int i = 0; i < 9; ++i) rig.Frame();  // to T 49, unseen
        EXPECT_EQ(backend.ticks, 0) << "the frames before the game were paced";
        EXPECT_EQ(backend.screen.shown, 0) << "the frames before the game were shown";
        for (int i = 0; i < 10; ++i) rig.Frame();  // T 50 to 59, at the game's pace
        EXPECT_EQ(backend.screen.shown, 10);
        EXPECT_EQ(backend.ticks, 1000);
        try {
            rig.Frame();  // T 60, the game's last frame
            if (toGameOver) {
                rig.Frame();
                rig.host->WaitForInput(rig.keys);  // the game-over screen's
            }
            ADD_FAILURE() << "the show went on after the watched game";
        } catch (const RunEnded& ended) {
            EXPECT_EQ(ended.reason, EndReason::Script);
        }
        EXPECT_GE(backend.ticks, 1100 + 2 * 7000) << "no hold at the end";
        EXPECT_LT(rig.host->Now(), 90u);
    }
}

TEST(PlayerPlatform, PadsHoldKeysThroughOneMap) {
    Rig rig;
    rig.backend->batches.push_back([](NewsSink& news) {
        news.OnPadButton(3, platform::kPadStart, true);  // Enter
        news.OnPadStick(3, true, -20000);                // Left
        platform::PadReading pushed;
        pushed.buttons = platform::kPadX;  // Space, read whole
        news.OnPadRead(0, platform::PadReading{}, pushed);
    });
    rig.host->DeliverDueInput(rig.keys);
    EXPECT_TRUE(Held(rig.keys, platform::Key::Enter));
    EXPECT_TRUE(Held(rig.keys, platform::Key::Left));
    EXPECT_TRUE(Held(rig.keys, platform::Key::Space));
    // A pad unplugged lets go of all it held; the pad's own pause key pauses
    // and resumes.
    rig.backend->batches.push_back([](NewsSink& news) {
        news.OnPadGone(3);
        news.OnWindow(WindowNews::PadPause);
    });
    rig.backend->batches.push_back([](NewsSink& news) { news.OnWindow(WindowNews::PadPause); });
    rig.Frame();
    EXPECT_EQ(rig.backend->screen.pauses, (std::vector<bool>{true, false}));
    EXPECT_EQ(rig.Delivered(),
              "0 enter down\n0 left down\n0 space down\n1 enter up\n1 left up\n1 space up\n");
}

// A game over that enters the table of the best says its rank: the run's own
// games take their places as they end (a game left with Escape too, without
// a word), a game ties below the equal scores before it, and a game below
// the tenth says nothing. A playback plays no new game.
TEST(PlayerPlatform, AGameOverThatEntersTheTableSaysItsRank) {
    Rig rig;
    ft::Program program(*rig.host);
    rig.host->WatchGames(program);
    rig.host->SetBestScores({300, 500, 9, 9, 9, 9, 9, 9, 9});
    const auto play = [&](const char* score, platform::Cue end) {
        rig.host->PlayCue(platform::Cue::GameStart);
        std::strncpy(program.game.hudText.data(), score, program.game.hudText.size() - 1);
        program.game.hudLength = static_cast<std::int32_t>(std::strlen(score));
        rig.Frame();
        if (end == platform::Cue::MenuTune) {
            rig.host->LoopCue(end);
        } else {
            rig.host->PlayCue(end);
        }
    };
    std::vector<std::string>& notes = rig.backend->screen.notes;
    play("SCORE: 400", platform::Cue::GameOver);
    play("SCORE: 400", platform::Cue::GameOver);
    play("SCORE: 9000", platform::Cue::MenuTune);  // left with Escape: first, unsaid
    play("SCORE: 600", platform::Cue::GameOver);
    play("SCORE: 9", platform::Cue::GameOver);  // below ten equal or better
    play("SCORE: 10", platform::Cue::GameOver);
    EXPECT_EQ(notes, (std::vector<std::string>{"2ND BEST", "3RD BEST", "2ND BEST", "7TH BEST"}));
    play("SCORE: 99999", platform::Cue::GameOver);
    EXPECT_EQ(notes.back(), "NEW BEST");

    platform::WindowOptions watching;
    watching.playback = platform::Script{};
    Rig replay(watching);
    ft::Program replayed(*replay.host);
    replay.host->WatchGames(replayed);
    replay.host->SetBestScores({});
    replay.host->PlayCue(platform::Cue::GameStart);
    replay.host->PlayCue(platform::Cue::GameOver);
    EXPECT_TRUE(replay.backend->screen.notes.empty()) << "a playback ranked its game";
}

TEST(BestScores, RankNotesCountAsPlayersSay) {
    EXPECT_EQ(platform::RankNote(1), "NEW BEST");
    EXPECT_EQ(platform::RankNote(2), "2ND BEST");
    EXPECT_EQ(platform::RankNote(3), "3RD BEST");
    EXPECT_EQ(platform::RankNote(4), "4TH BEST");
    EXPECT_EQ(platform::RankNote(10), "10TH BEST");
    // A score text that is no number (a score beyond the game's counting)
    // is no game of the table; an empty one is a game of no score yet.
    platform::BestScores best({});
    EXPECT_FALSE(best.Enter(std::string_view("-5")).has_value());
    EXPECT_EQ(best.Enter(std::string_view("")), 1u);
    EXPECT_EQ(best.Scores(), (std::vector<std::uint64_t>{0}));
}

}  // namespace

// F10 shows the readout and takes it away; it never reaches the game. The
// frame log has a line per picture shown, when the game finished it and when
// it reached the display: at once, or as a screen that presents later tells,
// the pictures it never showed left out.
TEST(PlayerPlatform, TheReadoutAndTheFrameLogStayOutOfTheGame) {
    platform::MemoryLines frameLog;
    platform::WindowOptions options;
    options.frameLog = &frameLog;
    Rig rig(options);
    for (int k = 0; k < 70; ++k) rig.Frame();
    rig.backend->batches.push_back([](NewsSink& news) {
        EXPECT_TRUE(news.OnKey(Down("F10")));
        EXPECT_TRUE(news.OnKey(Up("F10")));
    });
    rig.Frame();
    // Read as the key came, a frame period after the last frame: 69 in the
    // second up to then, and 70 once the next frame is in.
    EXPECT_EQ(rig.backend->screen.readout, "69 FPS -- HZ 14.3 MS");
    rig.Frame();
    EXPECT_EQ(rig.backend->screen.readout, "70 FPS -- HZ 14.3 MS");
    rig.backend->batches.push_back([](NewsSink& news) { news.OnKey(Down("F10")); });
    rig.Frame();
    EXPECT_EQ(rig.backend->screen.readout, "");
    EXPECT_EQ(rig.Delivered(), "");
    const std::string& text = frameLog.Text();
    EXPECT_EQ(text.substr(0, text.find('\n') + 1), platform::kFrameLogHeader);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 74);
    // The first frame: shown at tick 0, the second at tick 1 (a frame is
    // 14285 us), each at once.
    EXPECT_NE(text.find("\n1 0 0\n2 14285 14285\n"), std::string::npos) << text;

    platform::MemoryLines laterLog;
    options.frameLog = &laterLog;
    Rig later(options);
    FakeScreen& screen = later.backend->screen;
    screen.later = true;
    later.Frame();
    later.Frame();
    later.Frame();
    // The second picture overtook by the third; the first and the third got
    // there 2 and 1 ticks after they were shown.
    screen.presented = {{1, 2}, {3, 3}};
    later.Frame();
    EXPECT_EQ(laterLog.Text(),
              std::string(platform::kFrameLogHeader) + "1 0 28571\n3 28571 42857\n");
}
