// SPDX-License-Identifier: MIT
// random_player.h -- the soak's player: random presses and releases of the
// seven keys, with probabilities that walk the menus, start both games, switch
// the options, choose starting levels, open the information screen, and play
// games to their end or leave them with Escape. It looks at the program's state
// only to choose what to press; the program sees nothing but key events.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "core/frontend/menu.h"
#include "platform/journal/input_timeline.h"

namespace ft {
struct Program;
}

namespace players {

// The player's only source of chance. mt19937_64 is fixed by the standard, so
// a seed gives the same run on every machine.
class Dice {
public:
    explicit Dice(std::uint64_t seed) : engine_(seed) {}
    std::uint64_t Bits() { return engine_(); }
    bool Chance(double p);                 // true with probability p
    int Below(int n);                      // [0, n)
    double Between(double lo, double hi);  // [lo, hi)

private:
    std::mt19937_64 engine_;
};

class RandomPlayer {
public:
    explicit RandomPlayer(std::uint64_t seed) : dice_(seed) {}

    // The menu has (re)started: the main page, a new goal.
    void OnMenu();
    // A game has started: choose how this one is played.
    void OnGameStart();
    // A piece has landed; the next one needs a new place.
    void OnLanding() { needTarget_ = true; }

    // Key events for a delivery point after a present (or the run's first
    // poll), appended to events; the caller gives them their time.
    void PlanFrame(const ft::Program& program, bool inGame,
                   std::vector<platform::InputEvent>& events);
    // One key event for a wait loop that found nothing; delay is how many
    // frames of virtual time the player takes for it.
    platform::InputEvent PlanWait(const ft::Program& program, std::uint64_t& delay);
    // The calendar time a reseed reads: any 32-bit value.
    std::uint32_t Seconds() { return static_cast<std::uint32_t>(dice_.Bits()); }

private:
    enum class Style : std::uint8_t {
        Steered,  // aims each piece at a place that looks good, with mistakes: rows cleared
        Hasty,    // random moves, the down key often held: short games
        Patient,  // random moves, pieces left to fall: long games, high levels
    };

    void PlanMenuFrame(const ft::Program& program, std::vector<platform::InputEvent>& events);
    void PlanGameFrame(const ft::Program& program, std::vector<platform::InputEvent>& events);
    void ChooseGoal(ft::MenuPage page);
    void ChooseTarget(const ft::Program& program);
    void TurnHasty();

    Dice dice_;
    // The menu: the item of goalPage_ the player heads for; -1 for none yet.
    ft::MenuPage goalPage_ = ft::MenuPage::Main;
    int goal_ = -1;
    // The running game, set at its start.
    Style style_ = Style::Steered;
    double moveChance_ = 0.0;       // per frame: a sideways or turning press
    double downChance_ = 0.0;       // per frame: the down key goes down
    double releaseChance_ = 0.0;    // per frame: a held down key comes up (random styles)
    double mistakeChance_ = 0.0;    // per piece: a random place instead of a good one
    double noise_ = 0.0;            // added to the rating of each place
    int reservedColumn_ = -1;       // kept free for four rows at once; -1 for none
    std::int64_t leaveAfter_ = -1;  // frames into the game when Escape is pressed; -1 never
    std::int64_t hastyFrom_ = 0;    // frames into the game when the style turns hasty
    std::int64_t gameFrames_ = 0;
    // The steered piece's target.
    bool needTarget_ = true;
    std::int32_t targetRotation_ = 0;
    std::int32_t targetX_ = 0;
};

}  // namespace players
