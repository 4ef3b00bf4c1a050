// SPDX-License-Identifier: MIT
// game.cpp -- one game from the start sequence through the frame loop to the
// game-over screen.
#include "core/game/game.h"

#include <cstdio>

#include "core/game/stamp.h"
#include "core/render/font.h"
#include "core/render/furniture.h"

namespace ft {

namespace {

constexpr std::int32_t kLevelRiseFrames = 1800;
constexpr std::int32_t kTopLevel = 15;
constexpr std::int32_t kTopLevelInterval = 5;
constexpr std::uint8_t kBoxColour = 42;
constexpr std::uint8_t kHudTextColour = 43;
constexpr std::uint8_t kFinalScoreColour = 25;

// Formats into the game's one text buffer, as the score and level boxes and
// the game-over screen share it.
void FormatHud(GameState& game, const char* format, std::int32_t value) {
    game.hudLength = std::snprintf(game.hudText.data(), game.hudText.size(), format, value);
}

// Refills a box interior and writes its text, as every frame does for the
// level and the score.
void DrawHudBox(FrameBuffer& fb, GameState& game, std::int32_t boxTop, const char* format,
                std::int32_t value) {
    FillBox(fb, 167, boxTop, 258, boxTop + 16, kBoxColour);
    FormatHud(game, format, value);
    if (game.hudLength > 0) {
        DrawSmallText(fb, game.hudText.data(), game.hudLength, 172, boxTop + 6, kHudTextColour);
    }
}

void StartGame(const GameContext& context) {
    Keyboard& keyboard = context.keyboard;
    Display& display = context.display;
    GameState& game = context.game;

    // The menu's "G E T  R E A D Y" stays up until the key that started the game is let go.
    WaitKeyReleased(keyboard, Key::Enter);
    WaitKeyReleased(keyboard, Key::Escape);
    WaitKeyReleased(keyboard, Key::Space);

    FrameBuffer fb = LockBackBuffer(display);
    DrawGameScreen(fb, display.palette);
    UnlockBackBuffer(display);

    ReseedFromClock(context.random, context.platform);
    context.piece.nextKind = context.random.Next() % 7 + 1;
    if (context.settings.showNext) {
        fb = LockBackBuffer(display);
        DrawPreview(fb, context.piece.nextKind);  // the box is freshly drawn, no refill
        UnlockBackBuffer(display);
    }

    ClearPlayfield(context.playfield);
    // Every game starts from nothing, also after one left with Escape; the
    // rubble's own clears, if any, still count.
    context.score = 0;
    if (context.settings.variant == GameVariant::B) {
        FillRubbleRows(context.playfield, context.score, context.random, context.platform,
                       context.settings.level);
    }

    game.scrollTop = 10.0f;
    game.dropCounter = 0;
    game.levelFrames = 0;
    context.piece.y = kSpawnY;
    context.piece.x = kSpawnX;
    context.platform.PlayCue(platform::Cue::GameStart);
}

// Drawn straight into the visible picture in the frame that ended the game;
// waits for a fresh press of Enter, Escape or Space.
void ShowGameOver(const GameContext& context) {
    Keyboard& keyboard = context.keyboard;
    Display& display = context.display;
    GameState& game = context.game;

    context.platform.PlayCue(platform::Cue::GameOver);
    WaitKeyReleased(keyboard, Key::Enter);
    WaitKeyReleased(keyboard, Key::Escape);
    WaitKeyReleased(keyboard, Key::Space);

    ClearPlayfield(context.playfield);
    context.piece.y = kSpawnY;
    context.piece.x = kSpawnX;
    ReseedFromClock(context.random, context.platform);
    context.score = 0;

    FrameBuffer fb = LockPrimary(display);
    FillBox(fb, 0, 0, 319, 199, 0);
    // Thirteen lines, each 4 rows lower in the next colour of 0, 4, ... 48,
    // drawn over one another.
    static constexpr char kGameOver[] = "G A M E    O V E R";
    for (std::int32_t k = 0; k <= 48; k += 4) {
        DrawSmallText(fb, kGameOver, sizeof kGameOver - 1, 106, 10 + k,
                      static_cast<std::uint8_t>(k));
    }
    // The final score is this frame's score text, centred: a landing earlier
    // in the same frame does not show in it.
    DrawSmallText(fb, game.hudText.data(), game.hudLength, 160 - 3 * game.hudLength, 170,
                  kFinalScoreColour);
    UnlockPrimary(display, context.platform);

    context.settings.level = 1;
    WaitAnyKeyActive(keyboard, {Key::Enter, Key::Escape, Key::Space});
}

}  // namespace

void UpdateLevel(GameState& game, GameSettings& settings) {
    // A rise takes effect on the interval in the next frame, except the rise
    // to 15, whose interval applies at once through the cap.
    game.dropInterval = 100 - (settings.level - 1) * 7;
    if (++game.levelFrames == kLevelRiseFrames) {
        ++settings.level;
        game.levelFrames = 0;
    }
    if (settings.level >= kTopLevel) {
        settings.level = kTopLevel;
        game.dropInterval = kTopLevelInterval;
    }
}

// One pass of the frame loop. The order of composing matters: collision tests
// read the pixels of this frame, which must show the well, the settled cells
// and any piece landed earlier in the frame, but never the falling piece.
void RunGameFrame(const GameContext& context) {
    Keyboard& keyboard = context.keyboard;
    Display& display = context.display;
    GameState& game = context.game;
    GameSettings& settings = context.settings;
    const FallingPiece& piece = context.piece;
    PieceContext pieceContext{context.piece,  context.playfield, context.score,
                              context.random, context.settings,  context.platform};

    UpdateLevel(game, settings);
    BlitBackground(display, WellSourceRect(game.scrollTop), kWellLeft, kWellTop);
    game.scrollTop = AdvanceScroll(game.scrollTop, settings.scrolling);

    FrameBuffer fb = LockBackBuffer(display);
    DrawHudBox(fb, game, 132, "LEVEL: %i", settings.level);
    DrawHudBox(fb, game, 102, "SCORE: %i", context.score);
    DrawPlayfield(fb, context.playfield);

    if (WasKeyPressed(keyboard, Key::Right)) MovePiece(fb, PieceAction::MoveRight, pieceContext);
    if (WasKeyPressed(keyboard, Key::Left)) MovePiece(fb, PieceAction::MoveLeft, pieceContext);
    if (IsKeyActive(keyboard, Key::Down)) {
        if (MovePiece(fb, PieceAction::Drop, pieceContext)) game.gameOver = true;
    }
    if (WasKeyPressed(keyboard, Key::Up)) MovePiece(fb, PieceAction::Rotate, pieceContext);

    if (game.dropCounter >= game.dropInterval) {
        if (MovePiece(fb, PieceAction::Drop, pieceContext)) game.gameOver = true;
        game.dropCounter = 0;
    }
    ++game.dropCounter;

    StampPiece(fb, StampMode::DrawClipped, piece.x, piece.y, piece.kind, piece.rotation);
    UnlockBackBuffer(display);

    if (game.gameOver) ShowGameOver(context);
    PresentFrame(display, context.platform);
}

void PlayGame(const GameContext& context) {
    StartGame(context);
    while (!IsKeyActive(context.keyboard, Key::Escape) && !context.settings.quit &&
           !context.game.gameOver) {
        RunGameFrame(context);
    }
}

}  // namespace ft
