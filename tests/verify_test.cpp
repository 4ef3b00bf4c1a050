// SPDX-License-Identifier: MIT
// verify_test.cpp -- --verify's game watch: its records from the cues and
// frames it is told of, the lines it prints, the end of a run left on the
// menu, and its lines for scripted runs and the kept sessions checked against
// the pictures the same runs show: the score and level read off the score
// box, the level box and the game-over screen, in the frame the line names.
#include "platform/headless/verify.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/program/program.h"
#include "core/render/font.h"
#include "platform/common/script.h"
#include "platform/headless/headless_platform.h"
#include "platform/journal/run_log.h"
#include "test_platform.h"

namespace {

using platform::EndReason;
using platform::GameEnd;
using platform::GameRecord;
using platform::GameWatch;

ft::GameState WithText(const char* text) {
    ft::GameState game;
    std::strncpy(game.hudText.data(), text, game.hudText.size() - 1);
    game.hudLength = static_cast<std::int32_t>(std::strlen(text));
    return game;
}

ft::GameSettings AtLevel(std::int32_t level, ft::GameVariant variant = ft::GameVariant::A) {
    ft::GameSettings settings;
    settings.level = level;
    settings.variant = variant;
    return settings;
}

TEST(VerifyWatch, GameOverCountsTheEndingFrameAndTakesItsScoreText) {
    GameWatch watch;
    watch.Started(AtLevel(7, ft::GameVariant::B));
    watch.Presented(WithText("SCORE: 100"), AtLevel(7, ft::GameVariant::B));
    watch.Presented(WithText("SCORE: 105"), AtLevel(8, ft::GameVariant::B));
    const std::optional<GameRecord> over =
        watch.GameOver(WithText("SCORE: 110"), AtLevel(8, ft::GameVariant::B));
    ASSERT_TRUE(over.has_value());
    EXPECT_EQ(over->variant, ft::GameVariant::B);
    EXPECT_EQ(over->startLevel, 7);
    EXPECT_EQ(over->score, "110");
    EXPECT_EQ(over->level, 8);
    EXPECT_EQ(over->frames, 3u);
    EXPECT_EQ(over->end, GameEnd::GameOver);
    // The frame presented after the game-over screen, the menu's wait and
    // the run's end belong to no game.
    watch.Presented(WithText("SCORE: 0"), AtLevel(1));
    EXPECT_FALSE(watch.Left().has_value());
    EXPECT_FALSE(watch.RunEnded(EndReason::Script).has_value());
    EXPECT_EQ(watch.games, 1u);
}

TEST(VerifyWatch, AGameEndsByEscapeOrWithTheRun) {
    GameWatch watch;
    watch.Started(AtLevel(1));
    watch.Presented(WithText("SCORE: 5"), AtLevel(1));
    const std::optional<GameRecord> left = watch.Left();
    ASSERT_TRUE(left.has_value());
    EXPECT_EQ(left->end, GameEnd::Escape);
    EXPECT_EQ(left->score, "5");
    EXPECT_EQ(left->frames, 1u);
    EXPECT_FALSE(watch.Left().has_value()) << "a game ends once";

    watch.Started(AtLevel(3));
    for (int i = 0; i < 4; ++i) watch.Presented(WithText("SCORE: 20"), AtLevel(3));
    const std::optional<GameRecord> cut = watch.RunEnded(EndReason::Close);
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->end, GameEnd::Run);
    EXPECT_EQ(cut->runEnd, EndReason::Close);
    EXPECT_EQ(cut->startLevel, 3);
    EXPECT_EQ(cut->frames, 4u);
    EXPECT_EQ(watch.games, 2u);
}

TEST(VerifyWatch, ScoreIsTheNumberOfTheTextShown) {
    EXPECT_EQ(platform::ShownScore(WithText("SCORE: 19410")), "19410");
    EXPECT_EQ(platform::ShownScore(WithText("SCORE: -2147483648")), "-2147483648");
    // Only the score format loses its words.
    EXPECT_EQ(platform::ShownScore(WithText("LEVEL: 3")), "LEVEL: 3");
    ft::GameState cut = WithText("SCORE: 1230");
    cut.hudLength = 9;
    EXPECT_EQ(platform::ShownScore(cut), "12");
}

TEST(VerifyWatch, LinesTakeTheirExactForm) {
    GameRecord record;
    record.variant = ft::GameVariant::A;
    record.startLevel = 1;
    record.score = "1230";
    record.level = 3;
    record.frames = 5000;
    record.end = GameEnd::GameOver;
    EXPECT_EQ(platform::GameLine(1, record),
              "game 1: GAME A from level 1, score 1230, level 3, 5000 frames, game over\n");
    record.variant = ft::GameVariant::B;
    record.end = GameEnd::Escape;
    EXPECT_EQ(platform::GameLine(12, record),
              "game 12: GAME B from level 1, score 1230, level 3, 5000 frames, escape\n");
    record.end = GameEnd::Run;
    for (const EndReason reason : {EndReason::Close, EndReason::Script, EndReason::Frames}) {
        record.runEnd = reason;
        const std::string line = platform::GameLine(2, record);
        EXPECT_TRUE(line.ends_with(std::string(", ") + platform::EndReasonName(reason) + "\n"))
            << line;
    }
    EXPECT_EQ(platform::RunLine(0, 3, EndReason::Script), "run: 0 games, 3 frames, end script\n");
    EXPECT_EQ(platform::RunLine(1, 1569, EndReason::Quit), "run: 1 game, 1569 frames, end quit\n");
    EXPECT_EQ(platform::RunLine(2, 6012, EndReason::Frames),
              "run: 2 games, 6012 frames, end frames\n");
}

TEST(VerifyWatch, TheMenuStaysOnlyWhenNothingIsLeftToChangeIt) {
    ft::MenuState menu;
    platform::KeyState keys;
    EXPECT_TRUE(platform::MenuStaysForever(menu, keys));
    keys.held[static_cast<std::size_t>(platform::Key::Down)] = true;
    EXPECT_TRUE(platform::MenuStaysForever(menu, keys)) << "a held arrow moves nothing";
    keys.pressed[static_cast<std::size_t>(platform::Key::Enter)] = true;
    EXPECT_FALSE(platform::MenuStaysForever(menu, keys)) << "a press not yet polled";
    keys = {};
    menu.leaving = true;
    EXPECT_FALSE(platform::MenuStaysForever(menu, keys)) << "a game starts after this frame";
    menu.leaving = false;
    menu.showInfo = true;
    EXPECT_TRUE(platform::MenuStaysForever(menu, keys));
    keys.held[static_cast<std::size_t>(platform::Key::Escape)] = true;
    EXPECT_FALSE(platform::MenuStaysForever(menu, keys)) << "Escape closes the information";
}

// ---- Whole runs -----------------------------------------------------------

const std::string kSessionsDir = FT_SOURCE_DIR "/bench/sessions/";

std::string ReadSession(const std::string& name) {
    std::ifstream in(kSessionsDir + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

platform::Script Parse(const std::string& text) {
    const platform::Result<platform::Script> parse = platform::ParseScript(text, "script");
    EXPECT_TRUE(parse.ok()) << parse.reason();
    return parse.ok() ? *parse : platform::Script{};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// What --verify prints for a script.
std::vector<std::string> Verify(const std::string& script,
                                std::optional<std::uint64_t> frames = std::nullopt) {
    platform::MemoryLines out;
    platform::VerifyOptions options;
    options.script = Parse(script);
    options.frames = frames;
    options.out = &out;
    platform::VerifyPlatform host(std::move(options));
    platform::RunVerify(host);
    return Lines(out.Text());
}

// The headless platform, keeping the pictures asked for by their place in
// the log (0 is the first picture).
class PickingHost : public platform::HeadlessPlatform {
public:
    PickingHost(platform::HeadlessOptions options, std::set<std::size_t> wanted)
        : HeadlessPlatform(std::move(options)), wanted_(std::move(wanted)) {}
    std::vector<std::pair<std::size_t, ShownPicture>> kept;

protected:
    void Show(const platform::Picture& picture, const platform::Palette& palette,
              platform::PictureKind kind) override {
        if (wanted_.contains(shown_)) {
            ShownPicture copy{kind, std::vector<std::uint8_t>(320 * 200), palette};
            for (int y = 0; y < 200; ++y)
                for (int x = 0; x < 320; ++x)
                    copy.pixels[static_cast<std::size_t>(y) * 320 + x] =
                        picture.pixels[y * picture.pitch + x];
            kept.emplace_back(shown_, std::move(copy));
        }
        ++shown_;
        HeadlessPlatform::Show(picture, palette, kind);
    }

private:
    std::set<std::size_t> wanted_;
    std::size_t shown_ = 0;
};

struct Replay {
    std::vector<std::string> log;
    std::vector<std::pair<std::size_t, ShownPicture>> pictures;
};

// The same script as a headless run plays it, with its log and the pictures
// wanted.
Replay Play(const std::string& script, std::optional<std::uint64_t> frames,
            std::set<std::size_t> wanted = {}) {
    platform::MemoryLines log;
    platform::HeadlessOptions options;
    options.script = Parse(script);
    options.frames = frames;
    options.log = &log;
    Replay replay;
    {
        PickingHost host(std::move(options), std::move(wanted));
        host.Journal().Finish(ft::RunProgram(host));
        replay.pictures = std::move(host.kept);
    }
    replay.log = Lines(log.Text());
    return replay;
}

bool IsPicture(const std::string& line) {
    return line.find(" present ") != std::string::npos ||
           line.find(" primary ") != std::string::npos;
}

// Characters of the small font in the order of its glyphs.
constexpr char kGlyphCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-+/.()$:";

// The text in colour at (x, y), read glyph by glyph off the picture through
// the font's table; a cell without ink is a space, one matching no glyph '?'.
// Trailing spaces are cut.
std::string ReadText(const ShownPicture& shown, int x, int y, std::uint8_t colour, int count) {
    std::string text;
    for (int k = 0; k < count; ++k) {
        std::uint8_t cell[ft::kGlyphBytes];
        bool ink = false;
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 5; ++col) {
                const int px = x + 6 * k + col;
                cell[row * 5 + col] = px < 320 && shown.At(px, y + row) == colour ? 1 : 0;
                ink = ink || cell[row * 5 + col] != 0;
            }
        char c = ink ? '?' : ' ';
        for (int g = 0; ink && g < ft::kGlyphCount; ++g) {
            if (std::memcmp(cell, ft::kGlyphTable.data() + g * ft::kGlyphBytes, sizeof cell) == 0)
                c = kGlyphCharacters[g];
        }
        text += c;
    }
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

// The final score line of the game-over screen: from the first column with
// its colour in its rows.
std::string ReadFinalScore(const ShownPicture& shown) {
    for (int x = 0; x < 320; ++x)
        for (int row = 0; row < 5; ++row)
            if (shown.At(x, 170 + row) == 25) return ReadText(shown, x, 170, 25, 25);
    return {};
}

// A game line taken apart.
struct Told {
    std::string variant;
    int startLevel = 0;
    std::string score;
    int level = 0;
    std::size_t frames = 0;
    std::string end;
};

Told ParseGameLine(const std::string& line) {
    Told told;
    char variant = 0;
    char score[32] = {};
    char end[32] = {};
    int number = 0;
    const int n =
        std::sscanf(line.c_str(),
                    "game %d: GAME %c from level %d, score %31[^,], level %d, %zu "
                    "frames, %31[^\n]",
                    &number, &variant, &told.startLevel, score, &told.level, &told.frames, end);
    EXPECT_EQ(n, 7) << line;
    told.variant = std::string(1, variant);
    told.score = score;
    told.end = end;
    return told;
}

// Checks every game line of a run against the pictures of the same run: the
// game's frames are the presents that follow its start cue, the last of
// them shows its score box and level box as the line tells them, the next
// picture after it is no game frame, and a game that ended at game over
// shows the same score on its game-over screen.
void ExpectLinesMatchPictures(const std::string& script, std::optional<std::uint64_t> frames) {
    const std::vector<std::string> told = Verify(script, frames);
    ASSERT_FALSE(told.empty());
    const Replay first = Play(script, frames);

    // Where each game's start cue, last frame and game-over screen are.
    std::vector<std::size_t> starts;
    std::size_t picture = 0;
    std::vector<std::size_t> pictureAt(first.log.size());
    for (std::size_t i = 0; i < first.log.size(); ++i) {
        pictureAt[i] = picture;
        if (IsPicture(first.log[i])) ++picture;
        if (first.log[i].ends_with(" sound play 107")) starts.push_back(i);
    }
    ASSERT_EQ(told.size(), starts.size() + 1) << "a line per game and one for the run";

    struct Game {
        Told told;
        std::optional<std::size_t> lastFrame;  // its picture number, if presented
        std::optional<std::size_t> gameOver;
        std::size_t lineAfter;  // the log line after its last frame
    };
    std::vector<Game> games;
    std::set<std::size_t> wanted;
    for (std::size_t g = 0; g < starts.size(); ++g) {
        Game game{ParseGameLine(told[g]), std::nullopt, std::nullopt, 0};
        std::size_t presents = 0;
        std::size_t presentsBeforeOver = 0;
        bool overCue = false;
        std::size_t i = starts[g] + 1;
        for (; i < first.log.size() && presents < game.told.frames; ++i) {
            if (first.log[i].find(" present ") != std::string::npos) {
                ++presents;
                game.lastFrame = pictureAt[i];
            }
            if (first.log[i].ends_with(" sound play 111")) overCue = true;
            if (first.log[i].find(" primary ") != std::string::npos && overCue && !game.gameOver) {
                game.gameOver = pictureAt[i];
                presentsBeforeOver = presents;
            }
        }
        game.lineAfter = i;
        if (game.gameOver) {
            // The frame that ended the game presents after the game-over
            // screen's wait, unless the run ended in that wait.
            EXPECT_EQ(presentsBeforeOver + 1, game.told.frames) << told[g];
            wanted.insert(*game.gameOver);
        }
        if (presents == game.told.frames) {
            wanted.insert(*game.lastFrame);
        } else {
            EXPECT_TRUE(game.gameOver && presents + 1 == game.told.frames && i == first.log.size())
                << told[g] << ": " << presents << " frames presented";
            game.lastFrame.reset();
        }
        games.push_back(game);
    }

    const Replay second = Play(script, frames, wanted);
    auto pictureNumbered = [&](std::size_t n) -> const ShownPicture& {
        for (const auto& [at, shown] : second.pictures)
            if (at == n) return shown;
        ADD_FAILURE() << "picture " << n << " not kept";
        return second.pictures.front().second;
    };
    for (const Game& game : games) {
        SCOPED_TRACE(game.told.variant + " game, score " + game.told.score);
        if (game.lastFrame) {
            const ShownPicture& last = pictureNumbered(*game.lastFrame);
            EXPECT_EQ(ReadText(last, 172, 108, 43, 14), "SCORE: " + game.told.score);
            EXPECT_EQ(ReadText(last, 172, 138, 43, 14),
                      "LEVEL: " + std::to_string(game.told.level));
        }
        EXPECT_EQ(game.gameOver.has_value(), game.told.end == "game over");
        if (game.gameOver) {
            EXPECT_EQ(ReadFinalScore(pictureNumbered(*game.gameOver)), "SCORE: " + game.told.score);
        } else if (game.told.end == "escape") {
            // The game's last frame is followed by the menu (or the run's
            // end in its wait), never by another frame of the game.
            std::size_t i = game.lineAfter;
            while (i < first.log.size() && !IsPicture(first.log[i]) &&
                   !first.log[i].ends_with(" sound loop 117"))
                ++i;
            EXPECT_TRUE(i == first.log.size() || first.log[i].ends_with(" sound loop 117"))
                << first.log[i];
        }
    }
    // The run's line gives the end line of the headless log, where that run
    // ends at all.
    const std::string& end = first.log.back();
    const std::string time = end.substr(0, end.find(' '));
    const std::string reason = end.substr(end.rfind(' ') + 1);
    EXPECT_TRUE(told.back().ends_with(", " + time + " frames, end " + reason)) << told.back();
}

// Leaves the intro and starts GAME A from the menu's main page.
constexpr const char* kToGameA =
    "1 enter down\n2 enter up\n"
    "32 enter down\n33 enter up\n";
// The same to GAME B from level 7: OPTIONS, LEVEL, level 7, BACK, BACK to the
// main page, down to GAME B.
constexpr const char* kToGameB7 =
    "1 enter down\n2 enter up\n"
    "10 down down\n11 down up\n12 down down\n13 down up\n14 enter down\n15 enter up\n"
    "20 down down\n21 down up\n22 down down\n23 down up\n24 enter down\n25 enter up\n"
    "30 down down\n31 down up\n32 down down\n33 down up\n34 down down\n35 down up\n"
    "36 down down\n37 down up\n38 down down\n39 down up\n40 down down\n41 down up\n"
    "42 enter down\n43 enter up\n"
    "50 enter down\n51 enter up\n"
    "60 down down\n61 down up\n72 enter down\n73 enter up\n";

TEST(VerifyRun, KeptSessionsTellWhatTheirPicturesShow) {
    for (const char* name : {"short.txt", "gameb7.txt", "long.txt", "../../tests/corpus/soak.txt",
                             "../../tests/corpus/level2-close.txt"}) {
        SCOPED_TRACE(name);
        const std::string text = ReadSession(name);
        ASSERT_FALSE(text.empty()) << kSessionsDir << name;
        ExpectLinesMatchPictures(text, 40000);
    }
}

TEST(VerifyRun, GamesToGameOverTellTheGameOverScreensScore) {
    // The down arrow held from the start piles the pieces up to the top;
    // Space leaves each game-over screen.
    const std::string twoGames = std::string(kToGameA) +
                                 "40 down down\n"
                                 "5000 down up\n5000 space down\n5001 space up\n"
                                 "5010 enter down\n5011 enter up\n"
                                 "5020 down down\n"
                                 "9000 down up\n9000 space down\n9001 space up\n";
    ExpectLinesMatchPictures(twoGames, 10000);
    const std::vector<std::string> lines = Verify(twoGames);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].ends_with(" frames, game over")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("game 2: GAME A from level 1, ")) << lines[1];
    EXPECT_TRUE(lines[1].ends_with(" frames, game over")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("run: 2 games, ")) << lines[2];

    const std::string gameB = std::string(kToGameB7) + "80 down down\n" +
                              "5000 down up\n5000 space down\n5001 space up\n";
    ExpectLinesMatchPictures(gameB, 10000);
    const std::vector<std::string> b = Verify(gameB);
    ASSERT_FALSE(b.empty());
    EXPECT_TRUE(b[0].starts_with("game 1: GAME B from level 7, ")) << b[0];
}

TEST(VerifyRun, TheRunsEndEndsTheGameItCameIn) {
    // A close in the middle of the game.
    const std::string closed = std::string(kToGameA) + "500 close\n";
    ExpectLinesMatchPictures(closed, std::nullopt);
    std::vector<std::string> lines = Verify(closed);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].ends_with(", 467 frames, close")) << lines[0];
    EXPECT_EQ(lines[1], "run: 1 game, 500 frames, end close");

    // The frame limit counts presents; the run's time is two ahead, for the
    // intro's two waits.
    lines = Verify(kToGameA, 100);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "game 1: GAME A from level 1, score 0, level 1, 69 frames, frames");
    EXPECT_EQ(lines[1], "run: 1 game, 102 frames, end frames");
    ExpectLinesMatchPictures(kToGameA, 100);

    // Cut in a frame with a landing: its score box still shows the score
    // from before the landing, and so does the line.
    const std::string falling = std::string(kToGameA) + "40 down down\n";
    const Replay played = Play(falling, 400);
    std::uint64_t presents = 0;
    std::uint64_t cut = 0;
    int landings = 0;
    for (const std::string& line : played.log) {
        if (line.find(" present ") != std::string::npos) {
            ++presents;
            if (landings == 3 && cut == 0) cut = presents;
        }
        if (line.ends_with(" sound play 116")) ++landings;
    }
    ASSERT_NE(cut, 0u) << "no third landing in 400 frames";
    ExpectLinesMatchPictures(falling, cut);
    lines = Verify(falling, cut);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].ends_with(" frames, frames")) << lines[0];

    // The script spent on the game-over screen: the game is over all the
    // same, and the run ends at its wait as a headless run does.
    const std::string spent = std::string(kToGameA) + "40 down down\n";
    ExpectLinesMatchPictures(spent, std::nullopt);
    lines = Verify(spent);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].ends_with(" frames, game over")) << lines[0];
    EXPECT_TRUE(lines[1].ends_with(" end script")) << lines[1];
}

TEST(VerifyRun, EscapeEndsTheGameEvenWhenTheMenusWaitEndsTheRun) {
    // Up held as Escape leaves the game: the menu waits for its release,
    // and the spent script ends the run there.
    const std::string script = std::string(kToGameA) + "200 up down\n300 escape down\n";
    ExpectLinesMatchPictures(script, std::nullopt);
    const std::vector<std::string> lines = Verify(script);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "game 1: GAME A from level 1, score 0, level 1, 267 frames, escape");
    EXPECT_TRUE(lines[1].ends_with(" end script")) << lines[1];
}

TEST(VerifyRun, AScriptSpentOnTheMenuEndsAtItsFirstFrameThatCannotChange) {
    // Nothing at all: the intro waits, and the run ends there.
    EXPECT_EQ(Verify(""), std::vector<std::string>{"run: 0 games, 0 frames, end script"});

    // The menu's first frame after the intro: a headless run would show it
    // for ever; with a frame limit, it ends at the limit as that run does
    // (500 presents, at T 502 after the intro's two waits).
    const std::string toMenu = "1 enter down\n2 enter up\n";
    EXPECT_EQ(Verify(toMenu), std::vector<std::string>{"run: 0 games, 3 frames, end script"});
    EXPECT_EQ(Verify(toMenu, 500),
              std::vector<std::string>{"run: 0 games, 502 frames, end frames"});
    ExpectLinesMatchPictures(toMenu, 500);

    // A press delivered with the last events is still to act: the menu
    // moves to OPTIONS and the run ends on the frame after.
    EXPECT_EQ(Verify(toMenu + "10 down down\n"),
              std::vector<std::string>{"run: 0 games, 11 frames, end script"});
    // A press made on the information screen waits there unpolled, and
    // moves the marker once Escape has closed the screen. (INFORMATION is
    // the fourth of the main page's five items.)
    const std::string info = toMenu +
                             "5 up down\n6 up up\n7 up down\n8 up up\n"
                             "9 enter down\n10 enter up\n15 down down\n20 escape down\n";
    EXPECT_EQ(Verify(info), std::vector<std::string>{"run: 0 games, 22 frames, end script"});

    // A game left with Escape, back on the menu with nothing more to come.
    const std::vector<std::string> left =
        Verify(std::string(kToGameA) + "100 escape down\n101 escape up\n");
    ASSERT_EQ(left.size(), 2u);
    EXPECT_TRUE(left[0].ends_with(" frames, escape")) << left[0];
    EXPECT_TRUE(left[1].ends_with(" end script")) << left[1];
}

}  // namespace
