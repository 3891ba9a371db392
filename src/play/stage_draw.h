// Stage drawing: the stage composed on the back buffer once per frame in its layer order
// (block sheets, backgrounds, pictures, map, the objects in their display-layer passes,
// effects, text images, the screen effect, the status bar, the time, the state text and
// the screen colour), the pieces it is made of, and the sight mask.
//
// Every piece also runs with a null destination, which headless play passes: what the
// drawing changes (animations, vanishing characters, timers, counters, the hero's miss)
// changes exactly as on screen, and nothing is drawn.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <vector>

#include "data/surface_tables.h"
#include "media/draw/dd_surface.h"
#include "objects/chara.h"
#include "play/command_shows.h"
#include "play/effect_obj.h"
#include "play/screen_effects.h"
#include "play/text_images.h"

class StageRun;

// The scene's state that stage drawing reads and keeps: the stage-play scene fills the
// flags it knows and owns the lists drawn here.
struct StageDrawScene {
    int32_t state = 0;  // the scene's state; 3 is the pause menu
    // System switches: draw only the backgrounds and the screen colour under the pause
    // menu; draw the objects in eight passes by their display layer.
    uint32_t hideStageWhilePaused = 0;
    uint32_t layerPasses = 0;
    uint32_t statusBar = 1;
    // The run is a command-line test play; the player was started by the editor.
    uint32_t testPlay = 0;
    uint32_t fromEditor = 0;
    ScreenEffect screenEffect;
    ScreenColor screenColor;
    // The pictures of the picture command, each with its surface and file entry.
    PictureList pictures;
    std::list<cTextImage> textImages;
    // The two 640 x 480 copies the screen effects draw from (made when first needed).
    DDSURFACEDATA effectCopy;
    DDSURFACEDATA effectCopy2;
    // The hero's vanish animation has ended (a miss): the scene restarts the stage, asks
    // for a retry or ends the run. Called from inside the hero's drawing, before the other
    // objects of its pass; without it the drawing only counts missEnded.
    std::function<void()> heroVanished;
    uint32_t missEnded = 0;
    // The menu colours of Direct3D mode made ready for the menus drawn over the stage.
    std::function<void()> prepareMenuColors;
};
extern StageDrawScene g_StageDraw;

// The drawing switches of the running stage: the system's hide-the-stage-under-the-pause-
// menu switch and the stage's draw-by-priority switch (eight passes by display layer). The
// scene takes them before every drawing, as commands may change the stage's.
void TakeStageDrawSwitches(StageDrawScene& scene);

// The whole stage. playFrame 1 exempts the call from the pause shortcut; paused 1 draws
// the current pictures without advancing them; beep lets the time warning sound;
// stateText draws the test-play hint.
void DrawStage(StageRun& run, StageDrawScene& scene, DDSURFACEDATA* back, int playFrame, int paused,
               int beep, int stateText);

// The two block work sheets (surfaces 63 and 64) from the block sheets 2 and 3: each
// 16-dot tile in the middle of a 32-dot cell.
void PrepareBlockSheets();
// One frame of the backgrounds that scroll by themselves.
void ScrollBackgrounds();
// The backgrounds of one layer; layer 0 fills with colour 16 where none is drawn.
void DrawBackgrounds(StageRun& run, DDSURFACEDATA* back, int32_t layer);
// The map cells of one layer in the view.
void DrawMapLayer(StageRun& run, DDSURFACEDATA* back, uint8_t layer);
// The pictures of one layer; those whose time is over are removed with their surfaces.
void DrawPictureLayer(StageRun& run, StageDrawScene& scene, DDSURFACEDATA* back, int32_t layer,
                      int paused);
// The status bar over the top 20 dots, when switched on and anything is shown.
void DrawStatusBar(StageRun& run, StageDrawScene& scene, DDSURFACEDATA* back);
// The time left at (272, 24) and its warning beep once a second.
void DrawTimeDisplay(StageRun& run, DDSURFACEDATA* back, int beep);
// A number (0 or more) in 32x32 digits at (x, y), moved right by the cells it has fewer
// than minDigits: from the digit row at `row` of the digit picture, or, in a game without
// that picture, from the large font's digit strip.
void DrawLargeNumber(DDSURFACEDATA* back, int x, int y, int row, int32_t value, int minDigits);
// Whether this frame sounds the time warning (sound 13).
bool TimeBeepDue(const StageRun& run, int beep);
// Every effect object, picture and text image gone with its surface, and the screen
// effects' copies released (stage entry and exit; before the scene state is replaced).
void ClearPlayLists(StageRun& run, StageDrawScene& scene);
// The drawing's state of a new attempt: the lists above emptied, no screen effect (the
// virtual back buffer off again), no screen colour, no miss counted.
void ResetStageDrawing(StageRun& run, StageDrawScene& scene);

// The pictures of the project's databases that stage play draws from, loaded when the
// scene starts: four surfaces per own character bitmap (record n from (n - 1) x 4: facing
// left, facing right, the two alternates), four per sword type (4n left, 4n + 1 right,
// 4n + 2 and 4n + 3 the same for a sword of size factor 2 or more) and two per effect
// (2n - 2 at the cell size, 2n - 1 for enlarged drawing). The alternates and the copies
// for enlarged drawing are kept in system memory.
struct PlayPictures {
    std::vector<DDSURFACEDATA> special;
    std::vector<DDSURFACEDATA> swords;
    std::vector<DDSURFACEDATA> effects;
    // The display effects' work surfaces: the normal one, and the large one that Direct3D
    // mode draws through with the scaled-icon setting (made in that mode only).
    DDSURFACEDATA work;
    DDSURFACEDATA workLarge;
};
extern PlayPictures g_PlayPictures;
// Each loads its surfaces anew and names them in the object drawing's sheets (effects: in
// the running stage, with videoStretch, "System.ini" DD_VideoStretch, saying whether
// DirectDraw mode stretches effects and zoomed pictures in video memory). A file that does
// not load is traced and passed over.
void LoadSpecialBitmaps();
void LoadSwords();
void LoadEffectBitmaps(StageRun& run, bool videoStretch);
// The effects' work surfaces made anew for the drawing mode and named in the sheets, with
// the one to draw through chosen. They hold nothing from one drawing to the next, so the
// Direct3D device's restore, which makes its lost surfaces again empty, gives them all
// they need; in DirectDraw mode they live in system memory, which is not lost.
void LoadWorkSurfaces();
// Every loaded picture released (the scene's end).
void ReleasePlayPictures(StageRun& run);

// The running stage as text images see it (map origin, frame counter), and what the
// scene has not named itself: the run's and the stage's variables, the system font and
// the life icon. Stage drawing runs it every frame; the message command before it makes
// an image.
void PrepareTextImageWorld(StageRun& run);

// Makes `mask` the sight mask for the hero's sight radius (dots) and shape: (2r + 1280) x
// (2r + 960) of colour 16 with a hole of 2r x 2r at its centre (a disc for the round
// shapes 1 and 2, made on `shape`), so that the 640 x 480 window the hero's sight overlay
// copies from it keeps the hole on the hero. False when a surface cannot be made (the
// game is then closed).
bool MakeSightMask(DDSURFACEDATA* mask, DDSURFACEDATA* shape, int32_t radius, uint32_t sightShape);
// The sight mask of a stage start for a hero with a sight shape, in the built-in sight
// mask surface; made anew on every entry, so nothing made for an earlier entry stands for
// this one. A hero without one leaves the surface as it is: nothing draws it.
void MakeHeroSightMask(const cChara& hero);
