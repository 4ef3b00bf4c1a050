// SPDX-License-Identifier: MIT
// play_sessions.cpp -- plays the real game in-process with a bot at the keys
// and writes down what it pressed as a headless key script: the recorded
// sessions of bench/sessions that the timedemo replays.
//
// Usage: play-sessions --kind short|long|gameb7 --out FILE [--log FILE]
//                      [--seed SECONDS] [--frames N] [--blind]
//
// The bot sees the whole program state at every delivery point and answers
// with key events for the current virtual time; they go through the same
// input timeline a replay uses and into the script. The reseeds read fixed
// values, written as the script's reseed lines, so the replay needs no clock.
// Before anything is written the script is replayed in-process on the
// headless platform and its log compared with the bot run's, line by line.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/game/game.h"
#include "core/game/piece.h"
#include "core/game/playfield.h"
#include "core/game/shapes.h"
#include "core/game/stamp.h"
#include "platform/headless/headless_platform.h"
#include "platform/journal/run_journal.h"
#include "platform/common/line_sink.h"
#include "core/seam/platform.h"
#include "platform/common/script.h"
#include "platform/common/text.h"
#include "core/program/program.h"

namespace {

using platform::InputEvent;
using platform::Key;

constexpr int kColumns = ft::kWellColumns;
constexpr int kRows = ft::kWellRows;
constexpr std::uint32_t kFullRow = (1u << kColumns) - 1;

// ---------------------------------------------------------------------------
// The sessions

struct SessionKind {
    std::string_view name;
    ft::GameVariant variant;
    std::int32_t startLevel;   // chosen on the level page when above 1
    std::uint64_t playFrames;  // game frames before Escape
    std::uint32_t seed;        // the first reseed's value; each later one is one more
    std::string_view about;    // the script's first comment line
    bool mustReachTopLevel;
    bool blind = false;  // never steers: every piece falls where it spawns
};

constexpr SessionKind kKinds[] = {
    {"short", ft::GameVariant::A, 1, 1500, 20261207,
     "a short game: the intro, GAME A for 1500 frames, Escape, QUIT", false},
    {"long", ft::GameVariant::A, 1, 27000, 20261208,
     "a long game: the intro, GAME A for 27000 frames (level 15 from frame 25200), Escape, QUIT",
     true},
    {"gameb7", ft::GameVariant::B, 7, 5000, 20261209,
     "GAME B from level 7: the intro, OPTIONS > LEVEL > LEVEL 7 > BACK, GAME B for 5000 frames "
     "or to game over, QUIT",
     false},
};

// The game's figures as the bot saw them.
struct Summary {
    std::uint64_t playFrames = 0;  // game frames presented
    std::uint64_t pieces = 0;      // landings
    std::uint64_t lines = 0;
    std::uint64_t fours = 0;  // landings that cleared four rows at once
    std::int32_t maxLevel = 0;
    int maxStack = 0;  // the highest the settled cells ever stood, in rows
    ft::Score finalScore = 0;
    bool gameOver = false;
    std::uint64_t replans = 0;      // the piece was not where the plan said
    std::uint64_t modelMisses = 0;  // a landing left another well than foreseen
    std::uint64_t endTime = 0;
    std::size_t reseeds = 0;
    std::size_t events = 0;
};

// ---------------------------------------------------------------------------
// The well as the bot models it: cells instead of pixels. Inside the well the
// pixel test of the game blocks exactly on settled cells, so this model
// decides every move as the game does.

struct Board {
    std::array<std::uint32_t, kRows> rows{};  // bit c set: column c filled

    bool Filled(int column, int row) const { return (rows[row] >> column) & 1u; }
};

Board BoardOf(const ft::Playfield& playfield) {
    Board board;
    for (int c = 0; c < kColumns; ++c)
        for (int r = 0; r < kRows; ++r)
            if (playfield.At(c, r) != 0) board.rows[r] |= 1u << c;
    return board;
}

struct Cell {
    int column;
    int row;
};

// The filled cells of each kind and rotation, in the game's visiting order
// (column by column, each top to bottom).
struct ShapeCells {
    std::array<std::array<std::array<Cell, 4>, 4>, 8> cells{};

    ShapeCells() {
        for (int kind = 1; kind <= 7; ++kind) {
            const int side = ft::GridSide(kind);
            for (int rot = 0; rot < 4; ++rot) {
                int n = 0;
                for (int c = 0; c < side; ++c)
                    for (int r = 0; r < side; ++r)
                        if (ft::ShapeCell(kind, rot, c, r) != 0) cells[kind][rot][n++] = {c, r};
            }
        }
    }
    const std::array<Cell, 4>& Of(int kind, int rot) const { return cells[kind][rot]; }
};

const ShapeCells& Shapes() {
    static const ShapeCells shapes;
    return shapes;
}

// Where a piece stands: its grid cell (0, 0) on well column and row (the row
// is negative above the well top).
struct Pose {
    int column = 0;
    int row = 0;
    int rotation = 0;
    friend bool operator==(const Pose&, const Pose&) = default;
};

Pose PoseOf(const ft::FallingPiece& piece) {
    return {(piece.x - ft::kWellLeft) / ft::kTileSize, (piece.y - ft::kWellTop) / ft::kTileSize,
            piece.rotation};
}

// The collision code the game's test gives the piece at pose: walls first
// per cell, cells above the well top never blocked, the first code wins.
ft::CollisionCode Test(const Board& board, int kind, const Pose& pose) {
    for (const Cell& cell : Shapes().Of(kind, pose.rotation)) {
        const int c = pose.column + cell.column;
        const int r = pose.row + cell.row;
        if (c < 0) return ft::CollisionCode::LeftWall;
        if (c >= kColumns) return ft::CollisionCode::RightWall;
        if (r < 0) continue;
        if (r >= kRows || board.Filled(c, r)) return ft::CollisionCode::Blocked;
    }
    return ft::CollisionCode::None;
}

struct Settled {
    Board board;
    int lines = 0;
    int erodedCells = 0;  // cells of the piece in the cleared rows
};

// The landed piece settles and full rows go (the caller has ruled out a
// landing above the well top).
Settled Settle(const Board& board, int kind, const Pose& pose) {
    Settled out;
    Board placed = board;
    for (const Cell& cell : Shapes().Of(kind, pose.rotation))
        placed.rows[pose.row + cell.row] |= 1u << (pose.column + cell.column);
    int write = kRows - 1;
    for (int r = kRows - 1; r >= 0; --r) {
        if (placed.rows[r] == kFullRow) {
            ++out.lines;
            for (const Cell& cell : Shapes().Of(kind, pose.rotation))
                if (pose.row + cell.row == r) ++out.erodedCells;
            continue;
        }
        out.board.rows[write--] = placed.rows[r];
    }
    return out;
}

// ---------------------------------------------------------------------------
// Steering: one rule that turns a target into the keys of a frame, used both
// to foresee a placement and to play it, so both take the same path.

struct Target {
    int column = 0;
    int rotation = 0;
    bool turnFirst = false;  // no sideways step until the rotation is reached
};

struct FrameKeys {
    bool right = false;
    bool left = false;
    bool down = false;  // held
    bool up = false;
};

FrameKeys Steer(const Pose& pose, const Target& target) {
    FrameKeys keys;
    const bool turning = pose.rotation != target.rotation;
    keys.up = turning;
    if (turning && target.turnFirst) return keys;
    if (pose.column < target.column) {
        keys.right = true;
    } else if (pose.column > target.column) {
        keys.left = true;
    } else if (!turning) {
        keys.down = true;
    }
    return keys;
}

// What steering towards a target comes to: the landing place and the frames
// it takes, with the pose at the start of each frame.
struct Foresight {
    Pose landing;
    int frames = 0;
    bool landed = false;
    std::vector<Pose> path;
};

// Tries the piece one step on; undoes it where the game would.
void TryStep(const Board& board, int kind, Pose& pose, int dColumn, int dRotation) {
    const Pose old = pose;
    pose.column += dColumn;
    pose.rotation = (pose.rotation + dRotation) % 4;
    if (Test(board, kind, pose) != ft::CollisionCode::None) pose = old;
}

// One cell down; true when it lands (the pose is then the landing place).
bool Drop(const Board& board, int kind, Pose& pose) {
    ++pose.row;
    if (Test(board, kind, pose) != ft::CollisionCode::Blocked) return false;
    --pose.row;
    return true;
}

// Runs the game's frame order on the model: level step, Right, Left, Down,
// Up, gravity. Ends at the landing.
Foresight Foresee(const Board& board, int kind, Pose pose, ft::GameState game,
                  ft::GameSettings settings, const Target& target, bool keepPath) {
    constexpr int kMaxFrames = 6000;  // longer than any fall at level 1
    Foresight out;
    for (int frame = 0; frame < kMaxFrames; ++frame) {
        if (keepPath) out.path.push_back(pose);
        ft::UpdateLevel(game, settings);
        const FrameKeys keys = Steer(pose, target);
        bool landed = false;
        if (keys.right) TryStep(board, kind, pose, +1, 0);
        if (keys.left) TryStep(board, kind, pose, -1, 0);
        if (keys.down) landed = Drop(board, kind, pose);
        if (!landed && keys.up) TryStep(board, kind, pose, 0, 1);
        if (!landed && game.dropCounter >= game.dropInterval) {
            landed = Drop(board, kind, pose);
            game.dropCounter = 0;
        }
        ++game.dropCounter;
        if (landed) {
            out.landing = pose;
            out.frames = frame + 1;
            out.landed = true;
            return out;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// Judging a placement: Dellacherie's features on the well after the landing.

struct Features {
    double landingHeight = 0;
    int erodedCells = 0;
    int rowTransitions = 0;
    int columnTransitions = 0;
    int holes = 0;
    int wells = 0;  // each well of depth d counts 1 + 2 + ... + d
};

Features Measure(const Settled& settled, int kind, const Pose& landing) {
    Features f;
    const Board& b = settled.board;
    int top = kRows, bottom = 0;
    for (const Cell& cell : Shapes().Of(kind, landing.rotation)) {
        top = std::min(top, landing.row + cell.row);
        bottom = std::max(bottom, landing.row + cell.row);
    }
    f.landingHeight = kRows - (top + bottom) / 2.0;
    f.erodedCells = settled.lines * settled.erodedCells;

    for (int r = 0; r < kRows; ++r) {
        bool previous = true;  // the wall
        for (int c = 0; c < kColumns; ++c) {
            const bool filled = b.Filled(c, r);
            if (filled != previous) ++f.rowTransitions;
            previous = filled;
        }
        if (!previous) ++f.rowTransitions;
    }
    for (int c = 0; c < kColumns; ++c) {
        bool previous = false;  // open sky above the well
        bool covered = false;
        int depth = 0;
        for (int r = 0; r < kRows; ++r) {
            const bool filled = b.Filled(c, r);
            if (filled != previous) ++f.columnTransitions;
            previous = filled;
            if (filled) covered = true;
            if (!filled && covered) ++f.holes;
            const bool leftWall = c == 0 || b.Filled(c - 1, r);
            const bool rightWall = c == kColumns - 1 || b.Filled(c + 1, r);
            if (!filled && !covered && leftWall && rightWall) {
                f.wells += ++depth;
            } else {
                depth = 0;
            }
        }
        if (!previous) ++f.columnTransitions;  // the floor
    }
    return f;
}

double Judge(const Features& f) {
    return -1.0 * f.landingHeight + 1.0 * f.erodedCells - 1.0 * f.rowTransitions -
           1.0 * f.columnTransitions - 4.0 * f.holes - 1.0 * f.wells;
}

constexpr double kGameOverValue = -1e9;

// The chosen placement for the falling piece.
struct Plan {
    Target target;
    Foresight foresight;
    Board after;  // the well once it has landed and rows have gone
};

// Tries every rotation and column, both ways of steering, from the piece's
// live place and the game's live clock; the best judged landing wins, and
// among equals the one that lands soonest.
Plan MakePlan(const ft::Program& program) {
    const Board board = BoardOf(program.playfield);
    const int kind = program.piece.kind;
    const Pose start = PoseOf(program.piece);
    const int side = ft::GridSide(kind);

    Plan best;
    double bestValue = 0;
    bool have = false;
    for (int turnFirst = 1; turnFirst >= 0; --turnFirst) {
        for (int rot = 0; rot < 4; ++rot) {
            for (int column = -side + 1; column < kColumns; ++column) {
                const Target target{column, rot, turnFirst == 1};
                Foresight sight =
                    Foresee(board, kind, start, program.game, program.settings, target, false);
                if (!sight.landed) continue;
                double value = kGameOverValue;
                Settled settled;
                if (sight.landing.row >= 0) {
                    settled = Settle(board, kind, sight.landing);
                    value = Judge(Measure(settled, kind, sight.landing));
                }
                value -= 1e-4 * sight.frames;  // among equals, the quickest
                if (!have || value > bestValue) {
                    have = true;
                    bestValue = value;
                    best.target = target;
                    best.foresight = sight;
                    best.after = settled.board;
                }
            }
        }
    }
    // The path of the winner, to check the live game against it frame by frame.
    best.foresight = Foresee(board, kind, start, program.game, program.settings, best.target, true);
    return best;
}

// ---------------------------------------------------------------------------
// The bot: what to press at each delivery point, from the program's state.

enum class Phase { Start, Intro, Menu, MenuEnded, Game, GameOver };

// Keys to hold from now on (every other held key is let go) and keys to tap
// (down now, up at the next delivery point unless tapped or held again).
struct Decision {
    std::array<bool, platform::kKeyCount> hold{};
    std::vector<Key> taps;
};

class Bot {
public:
    explicit Bot(const SessionKind& kind) : kind_(kind) {}

    Decision AtFrame(const ft::Program& program);
    // A wait loop found nothing: let go of what is held, else press what the
    // screen waits for. Empty when the bot has nothing to offer.
    std::optional<Decision> AtWait(bool holdingAny) const;

    void OnPlay(platform::Cue cue, const ft::Program& program);
    void OnMenuTune() {
        phase_ = Phase::Menu;
        menuFrames_ = 0;
    }
    void OnStop() { phase_ = Phase::MenuEnded; }
    void OnPresent() {
        if (phase_ == Phase::Game) ++summary_.playFrames;
    }

    Summary& summary() { return summary_; }

private:
    Decision MenuFrame(const ft::Program& program);
    Decision GameFrame(const ft::Program& program);
    void Tally(const ft::Program& program);

    const SessionKind& kind_;
    Phase phase_ = Phase::Start;
    int gamesStarted_ = 0;
    std::uint64_t menuFrames_ = 0;
    std::uint64_t landings_ = 0;   // landing cues heard
    std::uint64_t plannedAt_ = 0;  // landings_ when plan_ was made
    std::optional<Plan> plan_;
    std::size_t planStep_ = 0;  // frames of plan_ played
    ft::Score lastScore_ = 0;
    std::uint64_t lastLandings_ = 0;
    Summary summary_;
};

void Bot::OnPlay(platform::Cue cue, const ft::Program& program) {
    switch (cue) {
        case platform::Cue::Intro:
            phase_ = Phase::Intro;
            break;
        case platform::Cue::GameStart:
            phase_ = Phase::Game;
            ++gamesStarted_;
            plan_.reset();
            lastScore_ = program.score;
            lastLandings_ = landings_;
            break;
        case platform::Cue::Landing:
            ++landings_;
            break;
        case platform::Cue::GameOver:
            phase_ = Phase::GameOver;
            Tally(program);
            summary_.gameOver = true;
            summary_.finalScore = program.score;
            break;
        default:
            break;
    }
}

Decision Bot::AtFrame(const ft::Program& program) {
    switch (phase_) {
        case Phase::Menu:
            return MenuFrame(program);
        case Phase::Game:
            return GameFrame(program);
        default:
            return {};  // let go of everything
    }
}

std::optional<Decision> Bot::AtWait(bool holdingAny) const {
    if (holdingAny) return Decision{};
    Decision press;
    if (phase_ == Phase::Intro) {
        press.taps.push_back(Key::Enter);
    } else if (phase_ == Phase::GameOver) {
        press.taps.push_back(Key::Space);
    } else {
        return std::nullopt;
    }
    return press;
}

// A human pace: a look at the menu first, then one key every few frames.
Decision Bot::MenuFrame(const ft::Program& program) {
    constexpr std::uint64_t kFirstKey = 30;
    constexpr std::uint64_t kKeyEvery = 5;
    Decision d;
    ++menuFrames_;
    if (menuFrames_ < kFirstKey || (menuFrames_ - kFirstKey) % kKeyEvery != 0) return d;

    const ft::MenuState& menu = program.menu;
    const ft::GameSettings& settings = program.settings;
    if (menu.showInfo) {
        d.taps.push_back(Key::Escape);
        return d;
    }
    const bool levelChosen = settings.level == kind_.startLevel;
    int target = 0;
    int last = 0;
    switch (menu.page) {
        case ft::MenuPage::Main:
            last = 4;
            if (gamesStarted_ > 0)
                target = 4;  // "QUIT"
            else if (!levelChosen)
                target = 2;  // "OPTIONS"
            else
                target = kind_.variant == ft::GameVariant::B ? 1 : 0;  // "GAME B", "GAME A"
            break;
        case ft::MenuPage::Options:
            last = 3;
            target = levelChosen ? 3 : 2;  // "BACK", "LEVEL"
            break;
        case ft::MenuPage::Level:
            last = 6;
            target = kind_.startLevel - 1;
            break;
    }
    const int cursor = menu.cursor;
    if (cursor == target) {
        d.taps.push_back(Key::Enter);
    } else {
        // The marker wraps at both ends; go the short way round.
        const int downSteps = (target - cursor + last + 1) % (last + 1);
        d.taps.push_back(downSteps <= (last + 1) / 2 ? Key::Down : Key::Up);
    }
    return d;
}

void Bot::Tally(const ft::Program& program) {
    const std::uint64_t newLandings = landings_ - lastLandings_;
    const ft::Score gained = program.score - lastScore_ - 5 * static_cast<ft::Score>(newLandings);
    if (gained >= 1000) {
        summary_.lines += 4 + static_cast<std::uint64_t>(gained - 1000) / 100;
        ++summary_.fours;
    } else if (gained > 0) {
        summary_.lines += static_cast<std::uint64_t>(gained) / 100;
    }
    lastScore_ = program.score;
    lastLandings_ = landings_;
    summary_.pieces = landings_;
    summary_.maxLevel = std::max(summary_.maxLevel, program.settings.level);
    summary_.finalScore = program.score;
    const Board board = BoardOf(program.playfield);
    for (int r = 0; r < kRows; ++r) {
        if (board.rows[r] != 0) {
            summary_.maxStack = std::max(summary_.maxStack, kRows - r);
            break;
        }
    }
}

Decision Bot::GameFrame(const ft::Program& program) {
    Tally(program);
    Decision d;
    if (summary_.playFrames >= kind_.playFrames) {
        d.hold[static_cast<std::size_t>(Key::Escape)] = true;  // back to the menu
        return d;
    }

    if (kind_.blind || program.piece.kind < 1 || program.piece.kind > 7) {
        d.hold[static_cast<std::size_t>(Key::Down)] = true;
        return d;
    }

    const Pose live = PoseOf(program.piece);
    if (!plan_ || plannedAt_ != landings_) {
        if (plan_ && plannedAt_ + 1 == landings_ &&
            BoardOf(program.playfield).rows != plan_->after.rows)
            ++summary_.modelMisses;
        plan_ = MakePlan(program);
        plannedAt_ = landings_;
        planStep_ = 0;
    } else if (++planStep_ >= plan_->foresight.path.size() ||
               plan_->foresight.path[planStep_] != live) {
        ++summary_.replans;
        plan_ = MakePlan(program);
        planStep_ = 0;
    }

    const FrameKeys keys = Steer(live, plan_->target);
    if (keys.right) d.taps.push_back(Key::Right);
    if (keys.left) d.taps.push_back(Key::Left);
    if (keys.up) d.taps.push_back(Key::Up);
    d.hold[static_cast<std::size_t>(Key::Down)] = keys.down;
    return d;
}

// ---------------------------------------------------------------------------
// The platform the bot plays on: a journal as the headless platform keeps
// one, with the bot in place of the script.

class BotPlatform final : public platform::Platform {
public:
    BotPlatform(Bot& bot, std::uint32_t firstSeed, std::uint64_t maxTime, platform::LineSink* log)
        : bot_(bot), firstSeed_(firstSeed), maxTime_(maxTime), journal_({log, nullptr, {}}) {}

    // The program is made on this platform, so it comes second.
    void Attach(const ft::Program& program) { program_ = &program; }

    void ShowPicture(const platform::Picture& picture, const platform::Palette& palette,
                     platform::PictureKind kind) override {
        journal_.Picture(picture, palette, kind);
        if (kind == platform::PictureKind::Present) {
            bot_.OnPresent();
            if (journal_.Now() > maxTime_) throw platform::RunEnded{platform::EndReason::Frames};
        }
    }

    void DeliverDueInput(platform::KeyState& keys) override {
        if (journal_.Input().IsDeliveryDue()) Emit(journal_.Now(), bot_.AtFrame(*program_));
        journal_.Input().DeliverAtPoll(keys);
    }

    // Time moves on by one while a wait loop waits: the events of this
    // instant were all due at the delivery point before the wait, where a
    // replay delivers them.
    void WaitForInput(platform::KeyState& keys) override {
        const bool holdingAny = std::find(held_.begin(), held_.end(), true) != held_.end();
        const std::optional<Decision> decision = bot_.AtWait(holdingAny);
        if (!decision) throw platform::RunEnded{platform::EndReason::Script};
        Emit(journal_.Now() + 1, *decision);
        journal_.Input().DeliverAtWait(keys);
    }

    void PlayCue(platform::Cue cue) override {
        journal_.PlayCue(cue);
        bot_.OnPlay(cue, *program_);
    }
    void LoopCue(platform::Cue cue) override {
        journal_.LoopCue(cue);
        if (cue == platform::Cue::MenuTune) bot_.OnMenuTune();
    }
    void StopSound() override {
        journal_.StopSound();
        bot_.OnStop();
    }
    std::uint32_t CalendarSeconds() override {
        return journal_.Reseed(firstSeed_ + static_cast<std::uint32_t>(reseeds_++));
    }

    platform::RunJournal& Journal() { return journal_; }
    std::uint64_t Now() const { return journal_.Now(); }
    std::size_t Reseeds() const { return reseeds_; }
    const std::vector<InputEvent>& Recorded() const { return recorded_; }

private:
    void Emit(std::uint64_t time, const Decision& decision) {
        auto send = [&](Key key, InputEvent::Kind kind) {
            const InputEvent event{time, kind, key};
            journal_.Input().Enqueue(event);
            recorded_.push_back(event);
            held_[static_cast<std::size_t>(key)] = kind == InputEvent::Kind::KeyDown;
        };
        for (int k = 0; k < platform::kKeyCount; ++k) {
            const auto key = static_cast<Key>(k);
            if (held_[k] && !decision.hold[k]) send(key, InputEvent::Kind::KeyUp);
        }
        for (Key key : decision.taps) send(key, InputEvent::Kind::KeyDown);
        for (int k = 0; k < platform::kKeyCount; ++k) {
            if (decision.hold[k] && !held_[k]) send(static_cast<Key>(k), InputEvent::Kind::KeyDown);
        }
    }

    Bot& bot_;
    const ft::Program* program_ = nullptr;
    std::uint32_t firstSeed_;
    std::uint64_t maxTime_;
    platform::RunJournal journal_;
    std::size_t reseeds_ = 0;
    std::array<bool, platform::kKeyCount> held_{};
    std::vector<InputEvent> recorded_;
};

// ---------------------------------------------------------------------------
// Runs, scripts and logs

// The whole program as main runs it, to its end.
template <typename Host>
platform::EndReason RunToEnd(ft::Program& program, Host& host) {
    platform::EndReason reason = platform::EndReason::Quit;
    try {
        ft::StartUp(program);
        ft::RunOuterLoop(program);
    } catch (const platform::RunEnded& ended) {
        reason = ended.reason;
    }
    host.Journal().Finish(reason);
    return reason;
}

std::string ScriptText(const SessionKind& kind, const std::string& path,
                       const std::string& fileName, const std::string& command, const Summary& s,
                       const std::vector<InputEvent>& events, std::uint32_t firstSeed,
                       std::size_t reseeds) {
    std::string text;
    char line[256];
    text += "# " + fileName + " -- " + std::string(kind.about) + ".\n";
    text += "# made by " + command + "\n";
    text += "# replay: fompy-talden --headless --script " + path + "\n";
    std::snprintf(line, sizeof line,
                  "# %" PRIu64 " game frames, %" PRIu64 " pieces, %" PRIu64
                  " lines, level %d at most, score %d%s; the run ends at T %" PRIu64 "\n",
                  s.playFrames, s.pieces, s.lines, s.maxLevel, s.finalScore,
                  s.gameOver ? ", game over" : "", s.endTime);
    text += line;
    for (std::size_t i = 0; i < reseeds; ++i) {
        std::snprintf(line, sizeof line, "reseed %" PRIu32 "\n",
                      firstSeed + static_cast<std::uint32_t>(i));
        text += line;
    }
    for (const InputEvent& e : events) {
        std::snprintf(line, sizeof line, "%" PRIu64 " %s %s\n", e.time, platform::KeyName(e.key),
                      e.kind == InputEvent::Kind::KeyDown ? "down" : "up");
        text += line;
    }
    return text;
}

// Splits a log into its lines.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        lines.push_back(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

// The first line where two logs differ, or empty when they are equal.
std::string FirstDifference(const std::string& bot, const std::string& replay) {
    const auto a = Lines(bot);
    const auto b = Lines(replay);
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const std::string_view lineA = i < a.size() ? a[i] : "(none)";
        const std::string_view lineB = i < b.size() ? b[i] : "(none)";
        if (lineA != lineB)
            return "line " + std::to_string(i + 1) + ": bot '" + std::string(lineA) +
                   "', replay '" + std::string(lineB) + "'";
    }
    return {};
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (f == nullptr) {
        std::fprintf(stderr, "play-sessions: cannot write '%s': %s\n", path.c_str(),
                     std::strerror(errno));
        return false;
    }
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (std::fclose(f) != 0 || !ok) {
        std::fprintf(stderr, "play-sessions: cannot write '%s': %s\n", path.c_str(),
                     std::strerror(errno));
        return false;
    }
    return true;
}

constexpr const char* kUsage =
    "Usage: play-sessions --kind short|long|gameb7 --out FILE [--log FILE]\n"
    "                     [--seed SECONDS] [--frames N] [--blind]\n"
    "Plays a session of the game with a bot at the keys and writes its key script.\n"
    "  --kind K        short: GAME A for 1500 frames; long: GAME A for 27000 frames,\n"
    "                  past level 15; gameb7: GAME B from level 7 for 5000 frames\n"
    "  --out FILE      the script to write\n"
    "  --log FILE      also write the bot run's log (the replay's log is the same)\n"
    "  --seed SECONDS  the first reseed's value (default: the kind's)\n"
    "  --frames N      game frames before Escape (default: the kind's)\n"
    "  --blind         drop every piece where it spawns, so that the game ends soon\n"
    "                  with the game-over screen (a check of that path)\n";

// Numbers of up to twelve digits, as the options need no more.
std::optional<std::uint64_t> ParseNumber(const std::string& text) {
    const platform::Decimal number = platform::ParseDecimal(text, 999'999'999'999);
    if (number.status != platform::Decimal::Status::Ok) return std::nullopt;
    return number.value;
}

}  // namespace

int main(int argc, char** argv) {
    const SessionKind* kindFound = nullptr;
    std::string outPath, logPath;
    std::optional<std::uint64_t> seedOption, framesOption;
    std::string command = "play-sessions";
    bool blind = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--blind") {
            blind = true;
            command += " --blind";
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "play-sessions: '%s' needs a value\n%s", arg.c_str(), kUsage);
            return 2;
        }
        const std::string value = argv[++i];
        if (arg == "--kind") {
            for (const SessionKind& k : kKinds)
                if (k.name == value) kindFound = &k;
            if (kindFound == nullptr) {
                std::fprintf(stderr, "play-sessions: unknown kind '%s'\n%s", value.c_str(), kUsage);
                return 2;
            }
            command += " --kind " + value;
        } else if (arg == "--out") {
            outPath = value;
        } else if (arg == "--log") {
            logPath = value;
        } else if (arg == "--seed" || arg == "--frames") {
            const auto number = ParseNumber(value);
            if (!number || (arg == "--seed" && *number > 0xFFFFFFF0u)) {
                std::fprintf(stderr, "play-sessions: bad number '%s' for %s\n", value.c_str(),
                             arg.c_str());
                return 2;
            }
            (arg == "--seed" ? seedOption : framesOption) = number;
            command += " " + arg + " " + value;
        } else {
            std::fprintf(stderr, "play-sessions: unknown option '%s'\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    if (kindFound == nullptr || outPath.empty()) {
        std::fprintf(stderr, "play-sessions: --kind and --out are needed\n%s", kUsage);
        return 2;
    }
    SessionKind kind = *kindFound;
    if (framesOption) kind.playFrames = *framesOption;
    kind.blind = blind;
    const std::uint32_t seed = seedOption ? static_cast<std::uint32_t>(*seedOption) : kind.seed;

    // The bot's run.
    platform::MemoryLines botLog;
    Bot bot(kind);
    BotPlatform host(bot, seed, kind.playFrames + 20000, &botLog);
    auto program = std::make_unique<ft::Program>(host);
    host.Attach(*program);
    const platform::EndReason reason = RunToEnd(*program, host);
    Summary& summary = bot.summary();
    summary.endTime = host.Now();
    summary.reseeds = host.Reseeds();
    summary.events = host.Recorded().size();

    std::fprintf(
        stderr,
        "play-sessions: %s: %" PRIu64 " game frames, %" PRIu64 " pieces, %" PRIu64
        " lines (%" PRIu64
        " fours), level %d at most, score %d%s, stack %d rows at most; %zu events, %zu "
        "reseeds, end %s at T %" PRIu64 "; %" PRIu64 " replans, %" PRIu64 " model misses\n",
        std::string(kind.name).c_str(), summary.playFrames, summary.pieces, summary.lines,
        summary.fours, summary.maxLevel, summary.finalScore, summary.gameOver ? ", game over" : "",
        summary.maxStack, summary.events, summary.reseeds, platform::EndReasonName(reason),
        summary.endTime, summary.replans, summary.modelMisses);
    if (reason != platform::EndReason::Quit) {
        std::fprintf(stderr, "play-sessions: the run did not end with QUIT\n");
        return 1;
    }
    if (kind.mustReachTopLevel && summary.maxLevel < 15) {
        std::fprintf(stderr, "play-sessions: the game did not reach level 15\n");
        return 1;
    }

    const std::string fileName = outPath.substr(outPath.find_last_of('/') + 1);
    const std::string script = ScriptText(kind, outPath, fileName, command, summary,
                                          host.Recorded(), seed, summary.reseeds);

    // The replay, as fompy-talden --headless --script runs it.
    const platform::Result<platform::Script> parse = platform::ParseScript(script, fileName);
    if (!parse.ok()) {
        std::fprintf(stderr, "play-sessions: the script does not parse: %s\n",
                     parse.reason().c_str());
        return 1;
    }
    platform::MemoryLines replayLog;
    platform::HeadlessOptions options;
    options.script = (*parse);
    options.log = &replayLog;
    platform::HeadlessPlatform replayHost(std::move(options));
    auto replayProgram = std::make_unique<ft::Program>(replayHost);
    RunToEnd(*replayProgram, replayHost);
    const std::string botText = botLog.Text();
    const std::string difference = FirstDifference(botText, replayLog.Text());
    if (!difference.empty()) {
        std::fprintf(stderr, "play-sessions: the replay differs from the bot's run at %s\n",
                     difference.c_str());
        return 1;
    }

    if (!WriteFile(outPath, script)) return 1;
    if (!logPath.empty() && !WriteFile(logPath, botText)) return 1;
    return 0;
}
