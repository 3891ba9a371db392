// What the story and challenge screens share: the run-state values they keep between
// visits, the controller reads, the two-choice message boxes of the system texts, the
// small cursors, the ranking view switches and the slot list on the back buffer.
#pragma once

#include <cstdint>
#include <string>

#include "app/startup.h"
#include "data/save_data.h"
#include "data/save_slots.h"
#include "media/draw/dd_surface.h"

class Font;

// ---- The run state's values of the screens ---------------------------------------------
// The record stores them by place only; the screens name them here, once. Stage play
// reads the same places (the cleared flags, the returned-to-map flag, the stage's point).
namespace run_fields {

// The world-map cell the hero stood on before its last step (beside the hero's cell).
inline uint32_t& PrevMapX(cSaveData& s) {
    return s.m_nRunValue2;
}
inline uint32_t& PrevMapY(cSaveData& s) {
    return s.m_nRunValue3;
}
// The hero's facing on the world map: 0 down, 1 up, 2 left, 3 right.
inline uint32_t& MapFacing(cSaveData& s) {
    return s.m_nRunValue8;
}
// The index of the world-map point whose stage is played.
inline uint32_t& MapPoint(cSaveData& s) {
    return s.m_nRunValue9;
}
// The challenges reached (1 in a new run); the run end moves it past a cleared challenge.
inline uint32_t& ChallengesReached(cSaveData& s) {
    return s.m_nItemSelect;
}
// The story slot saved to last; -1 while the run has never been saved.
inline int32_t& LastSlot(cSaveData& s) {
    return s.m_nRunValue11;
}
// Auto-save after every stage played from the world map (files from 169 on have it).
inline uint32_t& AutoSave(cSaveData& s) {
    return s.m_nRunValue12;
}
// The ranking table is shown on the world map and the challenge screen.
inline uint32_t& RankingView(cSaveData& s) {
    return s.m_nRunValue14;
}
// The total the save menu and the challenge screen show: the cleared stages' values.
inline uint32_t& ShownTotal(cSaveData& s) {
    return s.m_nClearedTotal;
}
// The cleared flag of a world-map point's flag index; an index outside the list is never
// cleared.
bool IsFlagSet(const cSaveData& s, int32_t index);

}  // namespace run_fields

namespace screen_parts {

// Buttons of controller 0: decide and cancel pass once per press (the scene's one-shot
// filter); the third and fourth are read as they are held.
constexpr uint16_t kDecide = 1;
constexpr uint16_t kCancel = 2;
constexpr uint16_t kThird = 4;
constexpr uint16_t kFourth = 8;
uint16_t Keys();
uint16_t Buttons();

// The third and fourth buttons switch views: one switch a press, however long it is
// held (held, they would flip the view every frame).
class ButtonEdges {
  public:
    // The buttons of mask pressed this frame and not the one before.
    uint16_t Pressed(uint16_t buttons, uint16_t mask);

  private:
    uint16_t m_wHeld = 0;
};

// Built-in pictures the screens share.
constexpr int kWindowSkin = 45;
constexpr int kCursorPicture = 49;
inline DDSURFACEDATA* Picture(int index) {
    return &g_SurfaceTable[index];
}

// The 16x16 cursor cell at cellX of the cursor picture (64 the cursor, 80 the marker).
void DrawSmallCursor(int x, int y, int cellX = 64);

// Texts first .. first + count - 1 of the system texts as a message box centred on
// centreX at y on the back buffer; with cursorSpace a blank leads each line for the
// cursor. Gives the box's left edge.
int DrawTextBox(int first, int count, int centreX, int y, int cursorSpace);

// A message box with two choices (texts first and first + 1) and the 16x16 cursor on the
// current cursor entry, which moves over the two lines. Gives the cursor row before the
// move was made, so a caller can sound the move.
void RunChoiceBox(int first, int centreX, int y);

// The ranking view of a screen. The third button: with the mode's rankings on, sound 6
// and the view flag flips; without, the flag goes off silently. The fourth: with the
// rankings on and two kinds or more ranked in the mode, sound 6 and the next kind.
// True when what is shown changed.
bool SwitchRankingView(uint16_t pressed, int gameMode);

// Loads the ranking of a stage when the mode's rankings are on (the scene manager's
// ranking switch), made sure to show a table the mode ranks.
void LoadStageRanking(int gameMode, const std::string& stageFile, uint32_t courseFlag,
                      uint32_t courseNumber, uint32_t stageNumber);
// Draws the loaded ranking at (x, y) when the mode's rankings are on and the view is.
void DrawStageRanking(DDSURFACEDATA* dest, int x, int y, int gameMode);

// True when the surface must be painted again: lost and restored, or made anew.
bool NeedsRepaint(DDSURFACEDATA* sd);

// The story slot list drawn with a font onto the back buffer.
void DrawSlotListOnBackBuffer(Font* font, int x, int y, int first, int rows);

// Centred left edge of a text drawn 16 dots a character.
int CentredX(int centreX, const std::string& text);

}  // namespace screen_parts
