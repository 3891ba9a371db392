// Text images: the short-lived pictures stage play shows over the stage. A message's
// text laid out once into a picture of its own (after its # references to game variables
// were replaced by their values), the small graphic that rises over the hero when an item
// is taken, and the extra-life icon; each frame positioned by its anchor, kept inside the
// play area when asked, zoomed open, drawn and counted down.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "data/surface_tables.h"
#include "flow/show_commands.h"
#include "media/draw/dd_surface.h"

class Font;

// Kinds of image.
constexpr int32_t kTextImageText = 1;
constexpr int32_t kTextImageMini = 2;
constexpr int32_t kTextImageLife = 3;

// What the images read of the running stage besides the view (the play context's scroll
// position): the variable tables of # references, the scene's frame counter (re-layout), the
// message font and the surfaces of the pictures. Null tables leave references alone; a null font
// measures and draws nothing.
struct TextImageWorld {
    const std::vector<uint32_t>* runVars = nullptr;   // "#C": the run's variables
    const std::vector<int32_t>* stageVars = nullptr;  // "#S": the stage's variables
    int32_t originX = 0;                              // the stage's block offset in the map
    int32_t originY = 0;
    uint32_t frameCounter = 0;
    Font* font = nullptr;
    DDSURFACEDATA* lifeIcon = nullptr;  // the system picture (extra-life icon at (0, 48))
};
TextImageWorld& TextImages();

// How a message command asks for an image (the arguments of MakeTextImage in order).
struct TextImageArgs : MessageLayout {
    int32_t kind = kTextImageText;
    const char* text = nullptr;
    int32_t graphicKind = 0, graphicNumber = 0, graphicExtra = 0;
    int32_t reuseSurface = 0;
};

class cTextImage {
  public:
    cTextImage() = default;
    explicit cTextImage(const TextImageArgs& args) { MakeTextImage(args); }
    cTextImage(const cTextImage&) = delete;
    cTextImage& operator=(const cTextImage&) = delete;
    ~cTextImage() { ReleaseSurface(); }

    // Sets the image up. With reuseSurface the picture of the image as it stands is kept
    // (the caller checked that the size is the same).
    void MakeTextImage(const TextImageArgs& args);
    // Per frame: counted down, laid out again, placed, drawn. 1 when the image has ended
    // (its picture released); dest null draws nothing but counts all the same.
    int DrawTextImage(DDSURFACEDATA* dest, int paused);
    // The position the last DrawTextImage computed (before the rise of kinds 2 and 3).
    int32_t X() const { return x_; }
    int32_t Y() const { return y_; }

    DDSURFACEDATA* m_lpSurface = nullptr;
    int32_t m_nKind = 0;
    std::string m_strText;
    std::string m_strSource;
    int32_t m_nGraphicKind = 0, m_nGraphicNumber = 0, m_nGraphicExtra = 0;
    int32_t m_bSubstitute = 0;
    int32_t m_bRefresh = 0;
    int32_t m_nRefreshInterval = 0;
    int32_t m_bBox = 0;
    int32_t m_nAnchor = 0;
    int32_t m_nBlockX = 0, m_nBlockY = 0;
    int32_t m_nOffsetX = 0, m_nOffsetY = 0;
    int32_t m_nWidth = 0, m_nHeight = 0;
    int32_t m_bClamp = 0;
    int32_t m_nDurationMode = 0;
    int32_t m_bFixed = 0;
    int32_t m_bLatched = 0;
    int32_t m_nLatchedX = 0, m_nLatchedY = 0;
    int32_t m_bHasId = 0;
    int32_t m_nMessageId = 0;
    uint32_t m_nTargetId = 0;
    int32_t m_nFramesLeft = 0;
    int32_t m_bCountWhilePaused = 0;
    int32_t m_bPopIn = 0;
    double m_dPopIn = 0.0;

  private:
    void CreateTextSurface();
    void ReleaseSurface();
    void RenderTextImage(DDSURFACEDATA* surface);
    // The position by anchor; false when the target character is gone.
    bool Place(int32_t& x, int32_t& y);

    int32_t x_ = 0, y_ = 0;
};

// Replaces the # references of a Shift-JIS text in place with the values of the tables.
void LayoutTextImage(std::string& text, const std::vector<uint32_t>* runVars,
                     const std::vector<int32_t>* stageVars);
// Picture size of a text with the font: lines split at LF, widest line by the lines'
// count of line heights, 2 added to each; 2 x 2 without a font.
void MeasureTextImage(Font* font, const std::string& text, int32_t& width, int32_t& height);

// Draws every image of the list and removes those that ended.
void DrawTextImages(std::list<cTextImage>& images, DDSURFACEDATA* dest, int paused);

// The item-get notice: the item's small graphic over the character that took it, rising
// for 30 frames, appended to the scene's images.
void AddItemGetImage(std::list<cTextImage>& images, uint32_t graphicKind, uint32_t number,
                     uint32_t extra, uint32_t characterId);
// The extra-life notice: the life icon over the character (the hero), rising for 30
// frames, drawn paused or not, appended to the scene's images.
void AddExtraLifeImage(std::list<cTextImage>& images, uint32_t characterId);
