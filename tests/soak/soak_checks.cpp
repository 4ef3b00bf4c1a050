// SPDX-License-Identifier: MIT
// soak_checks.cpp -- the invariants of a soak run and the padding canary.
#include "soak_checks.h"

#include <string>

#include "core/game/piece.h"
#include "core/game/shapes.h"
#include "core/program/program.h"

namespace soak {

namespace {

constexpr std::int32_t kTopLevel = 15;
constexpr std::uint8_t kLastTile = 7;
constexpr ft::Score kLandingScore = 5;
constexpr ft::Score kRowScore = 100;
constexpr ft::Score kFourRowScore = 1000;
constexpr int kMostRubbleRows = 3 * 7 + 1;  // the rubble of starting level 7

// Screen x just past the well's last column, and y just below its last row.
constexpr std::int32_t kWellRight = ft::kWellLeft + ft::kWellColumns * ft::kTileSize;
constexpr std::int32_t kWellBottom = ft::kWellTop + ft::kWellRows * ft::kTileSize;

std::string CheckSurfacePadding(const ft::Surface& surface, const char* name, std::uint8_t value) {
    for (int y = 0; y < ft::kScreenHeight; ++y) {
        for (int x = ft::kScreenWidth; x < ft::kSurfacePitch; ++x) {
            const std::uint8_t byte =
                surface.pixels[static_cast<std::size_t>(y) * ft::kSurfacePitch + x];
            if (byte != value) {
                return std::string("the ") + name + " surface's padding at column " +
                       std::to_string(x) + ", row " + std::to_string(y) + " holds " +
                       std::to_string(byte) + " instead of " + std::to_string(value) +
                       ": something drew outside the picture";
            }
        }
    }
    return {};
}

std::string CheckPiece(const ft::FallingPiece& piece) {
    const std::string where = "the falling piece (kind " + std::to_string(piece.kind) +
                              ", rotation " + std::to_string(piece.rotation) + ", at " +
                              std::to_string(piece.x) + ", " + std::to_string(piece.y) + ")";
    if (piece.kind < 1 || piece.kind > 7) return where + " has no valid kind";
    if (piece.rotation < 0 || piece.rotation > 3) return where + " has no valid rotation";
    if (piece.nextKind < 1 || piece.nextKind > 7)
        return "the next piece's kind is " + std::to_string(piece.nextKind);
    if ((piece.x - ft::kWellLeft) % ft::kTileSize != 0 ||
        (piece.y - ft::kWellTop) % ft::kTileSize != 0)
        return where + " is off the cell grid";
    const int side = ft::GridSide(piece.kind);
    for (int c = 0; c < side; ++c) {
        for (int r = 0; r < side; ++r) {
            if (ft::ShapeCell(piece.kind, piece.rotation, c, r) == 0) continue;
            const std::int32_t left = piece.x + ft::kTileSize * c;
            const std::int32_t top = piece.y + ft::kTileSize * r;
            if (left < ft::kWellLeft || left + ft::kTileSize > kWellRight)
                return where + " has a cell at x " + std::to_string(left) +
                       ", outside the well's columns";
            if (top + ft::kTileSize > kWellBottom)
                return where + " has a cell at y " + std::to_string(top) +
                       ", below the well's bottom";
        }
    }
    return {};
}

// The rows one landing cleared, from what it added to the score besides its 5; -1 if none fits.
int RowsOfLanding(std::int64_t added) {
    if (added == kFourRowScore) return 4;
    if (added >= 0 && added <= 3 * kRowScore && added % kRowScore == 0)
        return static_cast<int>(added / kRowScore);
    return -1;
}

// The rubble rows cleared before a game, from the score they gave; -1 if none fits.
int RowsOfRubble(std::int64_t added) {
    if (added == kFourRowScore) return 4;  // ten rows at once would read the same; never seen
    if (added < 0 || added % kRowScore != 0 || added == 4 * kRowScore) return -1;
    return added / kRowScore <= kMostRubbleRows ? static_cast<int>(added / kRowScore) : -1;
}

}  // namespace

void FillPadding(ft::Display& display, std::uint8_t value) {
    for (ft::Surface* surface : {&display.primary, &display.backBuffer, &display.background}) {
        for (int y = 0; y < ft::kScreenHeight; ++y) {
            for (int x = ft::kScreenWidth; x < ft::kSurfacePitch; ++x)
                surface->pixels[static_cast<std::size_t>(y) * ft::kSurfacePitch + x] = value;
        }
    }
}

std::string CheckPadding(const ft::Display& display, std::uint8_t value) {
    std::string error = CheckSurfacePadding(display.primary, "primary", value);
    if (error.empty()) error = CheckSurfacePadding(display.backBuffer, "back buffer", value);
    if (error.empty()) error = CheckSurfacePadding(display.background, "background", value);
    return error;
}

std::string CheckProgram(const ft::Program& program, bool inGame) {
    const ft::GameSettings& settings = program.settings;
    if (settings.level < 1 || settings.level > kTopLevel)
        return "the level is " + std::to_string(settings.level);
    if (program.score < 0) return "the score is " + std::to_string(program.score);
    for (int c = 0; c < ft::kWellColumns; ++c) {
        for (int r = 0; r < ft::kWellRows; ++r) {
            const std::uint8_t tile = program.playfield.At(c, r);
            if (tile > kLastTile)
                return "playfield cell (" + std::to_string(c) + ", " + std::to_string(r) +
                       ") holds " + std::to_string(tile);
        }
    }
    if (settings.variant != ft::GameVariant::A && settings.variant != ft::GameVariant::B)
        return "a setting holds a value it cannot take";
    if (program.display.locked != ft::LockedSurface::None)
        return "a surface is still locked while a picture is shown";
    return inGame ? CheckPiece(program.piece) : std::string();
}

std::string ScoreWatch::Look(ft::Score score, ScoreMoment moment, bool gameOver) {
    const std::int64_t added = std::int64_t{score} - last;
    std::string error;
    if (moment == ScoreMoment::GameStart) {
        // Every game starts from 0; only what its rubble rows cleared counts.
        const int rows = RowsOfRubble(score);
        if (rows < 0)
            error = "a game started with a score of " + std::to_string(score) +
                    " (0, or what its rubble rows cleared)";
        else
            rubbleRows += rows;
    } else if (added < 0) {
        if (score != 0 || !gameOverPending || landingPending)
            error = "the score fell from " + std::to_string(last) + " to " + std::to_string(score);
    } else if (landingPending && gameOver) {
        if (added != 0)
            error = "the landing that ended the game moved the score by " + std::to_string(added);
    } else if (landingPending) {
        const int rows = RowsOfLanding(added - kLandingScore);
        if (rows < 0) {
            error = "one landing moved the score by " + std::to_string(added) +
                    " (5, 105, 205, 305 or 1005)";
        } else {
            landingRows += rows;
            fourRowClears += rows == 4 ? 1 : 0;
        }
    } else if (added != 0) {
        error = "the score moved by " + std::to_string(added) + " without a landing";
    }
    last = score;
    landingPending = moment == ScoreMoment::Landing;
    if (moment == ScoreMoment::GameOver) gameOverPending = true;
    if (moment == ScoreMoment::Picture) gameOverPending = false;
    return error;
}

}  // namespace soak
