// SPDX-License-Identifier: MIT
// random_player.cpp -- the soak's player: menu goals, game styles, the rating
// of places for a steered piece, and the presses of wait loops.
#include "random_player.h"

#include <array>
#include <cstdlib>

#include "core/game/shapes.h"
#include "core/program/program.h"

namespace players {

namespace {

using platform::InputEvent;
using platform::Key;

constexpr std::array<Key, 7> kAllKeys = {Key::Enter, Key::Escape, Key::Space, Key::Left,
                                         Key::Up,    Key::Right,  Key::Down};
constexpr int kGridOverhang = 4;  // a grid's empty columns may stand this far left of the well

void Press(std::vector<InputEvent>& events, Key key) {
    events.push_back({0, InputEvent::Kind::KeyDown, key});
}
void Release(std::vector<InputEvent>& events, Key key) {
    events.push_back({0, InputEvent::Kind::KeyUp, key});
}
bool IsHeld(const ft::Program& program, Key key) {
    return program.keyboard.state.held[static_cast<std::size_t>(key)];
}

int LastItem(ft::MenuPage page) {
    return page == ft::MenuPage::Main ? 4 : page == ft::MenuPage::Options ? 3 : 6;
}

// Index of a weight drawn in proportion to the weights.
template <std::size_t N>
int Weighted(Dice& dice, const std::array<int, N>& weights) {
    int total = 0;
    for (int w : weights) total += w;
    int roll = dice.Below(total);
    for (std::size_t i = 0; i < N; ++i) {
        if (roll < weights[i]) return static_cast<int>(i);
        roll -= weights[i];
    }
    return static_cast<int>(N) - 1;
}

// The well as the player sees it: the playfield's cells, a piece placed into
// it and full rows taken out.
struct Well {
    std::array<std::array<bool, ft::kWellColumns>, ft::kWellRows> filled{};

    explicit Well(const ft::Playfield& playfield) {
        for (int r = 0; r < ft::kWellRows; ++r)
            for (int c = 0; c < ft::kWellColumns; ++c) filled[r][c] = playfield.At(c, r) != 0;
    }

    // Does the piece's grid fit with cell (0, 0) on well cell (column, row)?
    // Rows above the well are free, as they are for the game's collision test.
    bool Fits(int kind, int rotation, int column, int row) const {
        const int side = ft::GridSide(kind);
        for (int c = 0; c < side; ++c) {
            for (int r = 0; r < side; ++r) {
                if (ft::ShapeCell(kind, rotation, c, r) == 0) continue;
                const int wc = column + c;
                const int wr = row + r;
                if (wc < 0 || wc >= ft::kWellColumns || wr >= ft::kWellRows) return false;
                if (wr >= 0 && filled[wr][wc]) return false;
            }
        }
        return true;
    }

    // Does the piece's grid at column put a cell into well column wellColumn?
    static bool Covers(int kind, int rotation, int column, int wellColumn) {
        const int c = wellColumn - column;
        if (c < 0 || c >= ft::GridSide(kind)) return false;
        for (int r = 0; r < ft::GridSide(kind); ++r)
            if (ft::ShapeCell(kind, rotation, c, r) != 0) return true;
        return false;
    }

    // Places the piece; false if a cell stays above the well (the game would end).
    bool Place(int kind, int rotation, int column, int row) {
        bool inside = true;
        const int side = ft::GridSide(kind);
        for (int c = 0; c < side; ++c) {
            for (int r = 0; r < side; ++r) {
                if (ft::ShapeCell(kind, rotation, c, r) == 0) continue;
                if (row + r < 0)
                    inside = false;
                else
                    filled[row + r][column + c] = true;
            }
        }
        return inside;
    }

    int ClearFullRows() {
        int rows = 0;
        for (int r = 0; r < ft::kWellRows; ++r) {
            bool full = true;
            for (bool cell : filled[r]) full = full && cell;
            if (!full) continue;
            ++rows;
            for (int n = r; n >= 1; --n) filled[n] = filled[n - 1];
            filled[0] = {};
        }
        return rows;
    }

    // A common rating of a well: low, even, without holes, rows cleared.
    double Rating(int rowsCleared) const {
        int height = 0;
        int holes = 0;
        int bumps = 0;
        int previous = -1;
        for (int c = 0; c < ft::kWellColumns; ++c) {
            int top = 0;  // the column's highest filled row, or kWellRows
            while (top < ft::kWellRows && !filled[top][c]) ++top;
            for (int r = top; r < ft::kWellRows; ++r) holes += filled[r][c] ? 0 : 1;
            const int columnHeight = ft::kWellRows - top;
            height += columnHeight;
            if (previous >= 0) bumps += std::abs(columnHeight - previous);
            previous = columnHeight;
        }
        return -0.51 * height + 0.76 * rowsCleared - 0.36 * holes - 0.18 * bumps;
    }
};

}  // namespace

bool Dice::Chance(double p) {
    return Between(0.0, 1.0) < p;
}

int Dice::Below(int n) {
    return static_cast<int>(engine_() % static_cast<std::uint64_t>(n));
}

double Dice::Between(double lo, double hi) {
    const double unit = static_cast<double>(engine_() >> 11) * 0x1.0p-53;
    return lo + (hi - lo) * unit;
}

void RandomPlayer::OnMenu() {
    goal_ = -1;
}

void RandomPlayer::OnGameStart() {
    style_ = static_cast<Style>(Weighted(dice_, std::array<int, 3>{55, 42, 3}));
    switch (style_) {
        case Style::Steered:
            moveChance_ = dice_.Between(0.2, 0.8);
            downChance_ = dice_.Between(0.05, 1.0);
            mistakeChance_ = dice_.Between(0.0, 0.3);
            noise_ = dice_.Between(0.0, 1.0);
            // Half the steered games keep a column free for four rows at once.
            reservedColumn_ = dice_.Chance(0.5) ? dice_.Below(ft::kWellColumns) : -1;
            // A good steered game could go on for ever; it turns hasty in the end.
            hastyFrom_ = 500 + dice_.Below(5000);
            break;
        case Style::Hasty:
            TurnHasty();
            hastyFrom_ = 0;
            break;
        case Style::Patient:
            moveChance_ = dice_.Between(0.005, 0.03);
            downChance_ = dice_.Between(0.0, 0.003);
            releaseChance_ = 0.3;
            // Long enough to climb from level 1 to 15 (25200 frames) now and then.
            hastyFrom_ = 15000 + dice_.Below(15000);
            break;
    }
    leaveAfter_ = dice_.Chance(0.25) ? 30 + dice_.Below(1200) : -1;
    gameFrames_ = 0;
    needTarget_ = true;
}

void RandomPlayer::TurnHasty() {
    style_ = Style::Hasty;
    moveChance_ = dice_.Between(0.05, 0.3);
    downChance_ = dice_.Between(0.02, 0.2);
    releaseChance_ = dice_.Between(0.01, 0.1);
}

void RandomPlayer::PlanFrame(const ft::Program& program, bool inGame,
                             std::vector<InputEvent>& events) {
    if (inGame)
        PlanGameFrame(program, events);
    else
        PlanMenuFrame(program, events);
}

void RandomPlayer::ChooseGoal(ft::MenuPage page) {
    goalPage_ = page;
    switch (page) {
        case ft::MenuPage::Main:
            // "GAME A", "GAME B", "OPTIONS", "INFORMATION", "QUIT": now and then
            // a run ends and the next one starts with the intro.
            goal_ = Weighted(dice_, std::array<int, 5>{26, 26, 28, 16, 4});
            break;
        case ft::MenuPage::Options:
            // "SCROLLING", "SHOW NEXT", "LEVEL", "BACK".
            goal_ = Weighted(dice_, std::array<int, 4>{25, 25, 35, 15});
            break;
        case ft::MenuPage::Level:
            goal_ = dice_.Below(7);
            break;
    }
}

void RandomPlayer::PlanMenuFrame(const ft::Program& program, std::vector<InputEvent>& events) {
    for (Key key : kAllKeys)
        if (IsHeld(program, key) && dice_.Chance(0.4)) Release(events, key);

    const ft::MenuState& menu = program.menu;
    if (menu.leaving) return;  // "G E T  R E A D Y": the game comes next
    if (menu.showInfo) {
        if (dice_.Chance(1.0 / 150.0)) Press(events, Key::Escape);
        return;
    }
    if (goal_ < 0 || menu.page != goalPage_) ChooseGoal(menu.page);

    // A stray key now and then; never Enter, which on "QUIT" would end most
    // runs within their first minute.
    if (dice_.Chance(0.01)) Press(events, kAllKeys[1 + dice_.Below(6)]);

    if (menu.cursor != goal_) {
        if (!dice_.Chance(0.3)) return;
        const int items = LastItem(menu.page) + 1;
        const int stepsDown = ((goal_ - menu.cursor) % items + items) % items;
        const bool down = (stepsDown <= items / 2) != dice_.Chance(0.1);
        Press(events, down ? Key::Down : Key::Up);
    } else if (dice_.Chance(0.2)) {
        Press(events, Key::Enter);
        goal_ = -1;  // whatever Enter did, look again
    }
}

void RandomPlayer::ChooseTarget(const ft::Program& program) {
    const ft::FallingPiece& piece = program.piece;
    const Well well(program.playfield);
    const int startRow = (piece.y - ft::kWellTop) / ft::kTileSize;
    const bool mistake = dice_.Chance(mistakeChance_);
    double best = 0.0;
    bool found = false;
    for (int rotation = 0; rotation < 4; ++rotation) {
        for (int column = -kGridOverhang; column < ft::kWellColumns; ++column) {
            if (!well.Fits(piece.kind, rotation, column, startRow)) continue;
            int row = startRow;
            while (well.Fits(piece.kind, rotation, column, row + 1)) ++row;
            Well after = well;
            const bool inside = after.Place(piece.kind, rotation, column, row);
            const int rows = after.ClearFullRows();
            double rating = after.Rating(rows) - (inside ? 0.0 : 1000.0);
            if (reservedColumn_ >= 0 && rows < 4 &&
                Well::Covers(piece.kind, rotation, column, reservedColumn_))
                rating -= 30.0;
            rating = mistake ? dice_.Between(0.0, 1.0) : rating + dice_.Between(0.0, noise_);
            if (!found || rating > best) {
                best = rating;
                found = true;
                targetRotation_ = rotation;
                targetX_ = ft::kWellLeft + ft::kTileSize * column;
            }
        }
    }
    if (!found) {  // nowhere to go: let it fall where it is
        targetRotation_ = piece.rotation;
        targetX_ = piece.x;
    }
}

void RandomPlayer::PlanGameFrame(const ft::Program& program, std::vector<InputEvent>& events) {
    ++gameFrames_;
    for (Key key : {Key::Left, Key::Right, Key::Up, Key::Enter, Key::Space, Key::Escape})
        if (IsHeld(program, key) && dice_.Chance(0.5)) Release(events, key);
    if (leaveAfter_ >= 0 && gameFrames_ >= leaveAfter_) {
        Press(events, Key::Escape);
        return;
    }
    // Keys that do nothing in a game.
    if (dice_.Chance(0.003)) Press(events, dice_.Chance(0.5) ? Key::Enter : Key::Space);

    if (style_ != Style::Hasty && gameFrames_ >= hastyFrom_) TurnHasty();

    const ft::FallingPiece& piece = program.piece;
    const bool downHeld = IsHeld(program, Key::Down);
    if (style_ != Style::Steered) {
        if (dice_.Chance(moveChance_)) Press(events, dice_.Chance(0.5) ? Key::Left : Key::Right);
        if (dice_.Chance(moveChance_ / 2)) Press(events, Key::Up);
        if (downHeld && dice_.Chance(releaseChance_)) Release(events, Key::Down);
        if (!downHeld && dice_.Chance(downChance_)) Press(events, Key::Down);
        return;
    }

    if (needTarget_) {
        ChooseTarget(program);
        needTarget_ = false;
    }
    const bool aligned = piece.rotation == targetRotation_ && piece.x == targetX_;
    if (!aligned) {
        if (downHeld) Release(events, Key::Down);
        if (!dice_.Chance(moveChance_)) return;
        if (piece.rotation != targetRotation_)
            Press(events, Key::Up);
        else
            Press(events, piece.x < targetX_ ? Key::Right : Key::Left);
    } else if (!downHeld && dice_.Chance(downChance_)) {
        Press(events, Key::Down);
    }
}

InputEvent RandomPlayer::PlanWait(const ft::Program& program, std::uint64_t& delay) {
    delay = static_cast<std::uint64_t>(dice_.Below(30));
    std::vector<Key> held;
    for (Key key : kAllKeys)
        if (IsHeld(program, key)) held.push_back(key);
    if (!held.empty() && dice_.Chance(0.75))
        return {0, InputEvent::Kind::KeyUp, held[dice_.Below(static_cast<int>(held.size()))]};
    // The waits end on Enter, Escape or Space, or on a release.
    const Key key = dice_.Chance(0.8) ? kAllKeys[dice_.Below(3)] : kAllKeys[dice_.Below(7)];
    return {0, InputEvent::Kind::KeyDown, key};
}

}  // namespace players
