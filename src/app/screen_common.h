// What the menu screens share: their built-in pictures, the start and end of a screen,
// the transparent clear and repaint of their own surfaces, the first player's keys and
// the cursor moves they make, the names of the five pieces of screen music; and, for the
// story and challenge screens, the run-state values they keep between visits, the
// two-choice message boxes of the system texts, the small cursors, the ranking view
// switches and the slot list on the back buffer.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "app/startup.h"
#include "data/save_data.h"
#include "data/save_slots.h"
#include "media/draw/dd_surface.h"
#include "media/draw/plain_parts.h"

class Font;
class cSceneBase;

// The music numbers the manager starts with; screens rename number 0.
inline constexpr int kScreenMusicCount = 5;
extern const std::string kScreenOggNames[kScreenMusicCount];
extern const std::string kScreenMidiNames[kScreenMusicCount];
// Starts the music manager with those names.
void InitScreenMusicManager();

// An entry of the built-in picture table.
DDSURFACEDATA* BuiltinSurface(int index);
// The common start of a screen: asks for the scene's music, creates its built-in pictures
// (closing the window when they cannot be made) and resets the cursor stack. True when the
// pictures were made.
bool BeginScreen(int sceneIndex, std::span<const int> pictures);
// Releases the screen's built-in pictures and its own surface, when it has one.
void EndScreen(std::span<const int> pictures, DDSURFACEDATA* own = nullptr);

// What copies with transparency leave out: the colour key in DirectDraw mode, the clear
// value of textures in Direct3D mode.
void ClearToTransparent(DDSURFACEDATA* sd);
// A lost surface is restored; true when it, or a recreated one, must be painted again.
bool RestoreForRepaint(DDSURFACEDATA& sd);

// The first player's directions and buttons of the frame.
uint16_t MenuKeys();
uint16_t MenuButtons();
// The cursor over a column of rows at (x, y), rowHeight apart, moved by the first
// player's keys; a move sounds for the directions of soundMask (as PlayCursorSound).
// Gives the keys read.
uint16_t StepMenuCursor(int x, int y, int rowHeight, int rows, uint32_t soundMask = 3);
// Back from a list or a dialog to the screen's menu state: the cursor entry pushed for
// it dropped, the sub-state counted from the start.
void ReturnToMenu(cSceneBase& scene, int menuState);
// The cursor over a list at (x, y) scrolled by top, visible of total rows shown; a move
// sounds. Gives the keys read.
uint16_t StepListCursor(int* top, int x, int y, int rowHeight, int visible, int total);

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
// The counter of the point's information box when the hero entered its stage from the
// question (beside the point, stored with it from 191).
inline uint32_t& MapPointCounter(cSaveData& s) {
    return s.m_nRunValue10;
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

// The third and fourth buttons switch views: one switch a press, however long it is
// held (held, they would flip the view every frame).
class ButtonEdges {
  public:
    // The buttons of mask pressed this frame and not the one before.
    uint16_t Pressed(uint16_t buttons, uint16_t mask);

  private:
    uint16_t m_wHeld = 0;
};

// The system sound of a cursor move.
constexpr int kCursorSound = 0;

// Built-in pictures the screens share.
constexpr int kWindowSkin = 45;
constexpr int kCursorPicture = 49;

// The colours of the plain stand-ins the screens draw for pictures the game lacks: the
// system font's text colour and the palette entry that reads against it.
PlainColours ScreenColours();

// The 16x16 cursor cell at cellX of the cursor picture (64 the cursor, 80 the marker); a
// plain arrow or square without the picture.
constexpr int kCursorCell = 64;
constexpr int kMarkerCell = 80;
void DrawSmallCursor(int x, int y, int cellX = kCursorCell);
// The 32x32 arrow cursor of the cursor picture, or a plain arrow.
void DrawArrowCursor(int x, int y);

// Texts first .. first + count - 1 of the system texts as a message box centred on
// centreX at y on the back buffer; with cursorSpace a blank leads each line for the
// cursor. Gives the box's left edge.
int DrawTextBox(int first, int count, int centreX, int y, int cursorSpace);

// A message box with two choices (texts first and first + 1) and the 16x16 cursor on the
// current cursor entry, which moves over the two lines; a move sounds for the directions
// of soundMask (as PlayCursorSound; 0 a silent cursor).
void RunChoiceBox(int first, int centreX, int y, uint32_t soundMask = 3);

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

// The story slot list drawn with a font onto the back buffer.
void DrawSlotListOnBackBuffer(Font* font, int x, int y, int first, int rows);

// Centred left edge of a text drawn 16 dots a character.
int CentredX(int centreX, const std::string& text);

}  // namespace screen_parts
