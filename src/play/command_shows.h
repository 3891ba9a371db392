// What the effect, picture and message commands keep over the running stage: the
// pictures with their surfaces, the effect animations the commands start, and the
// message windows, each shown, replaced in place by its id, or erased.
#pragma once

#include <cstdint>
#include <list>
#include <utility>

#include "data/surface_tables.h"
#include "flow/show_commands.h"
#include "media/draw/dd_surface.h"
#include "play/effect_obj.h"

class cChara;
class cTextImage;
class StageRun;
struct StageDrawScene;

// One shown picture: its surface, the file entry the surface was made from (kept for the
// restore of a lost surface) and its state, in one record so that they cannot part.
struct PictureRecord {
    DDSURFACEDATA surface;
    DDSURFACEFILE file{};
    cPictureState state;
    ShownHandle handle = 0;
};

// The pictures in drawing order. Records never move: the drawing device keeps the address
// of a surface it made.
class PictureList {
  public:
    PictureList() = default;
    ~PictureList() { Clear(); }
    PictureList(const PictureList&) = delete;
    PictureList& operator=(const PictureList&) = delete;
    // The records change owner without moving (the surfaces keep their addresses); the
    // pictures a list held before it is assigned to are released.
    PictureList(PictureList&& other) noexcept
        : records_(std::move(other.records_)), lastHandle_(other.lastHandle_) {}
    PictureList& operator=(PictureList&& other) noexcept {
        if (this != &other) {
            Clear();
            records_ = std::move(other.records_);
            lastHandle_ = other.lastHandle_;
        }
        return *this;
    }

    // The picture command's work on the list. Picture 0 without an id empties the list;
    // with an id it erases the picture of that id. Another picture is loaded from the
    // Picture database's file, sized by its zoom, placed for the character at the camera
    // of the running stage and put where the picture of the same id stood (at the end when
    // there is none). videoStretch: "System.ini" DD_VideoStretch. The new picture's handle,
    // or 0 when none was shown. A file that cannot be read shows "%s 読み込み失敗！" and
    // closes the program (its record is not kept).
    ShownHandle Show(const PictureRequest& req, const cChara& chara, bool videoStretch);
    // Takes the picture of the handle off the list, if it is still there.
    void Remove(ShownHandle handle);
    // Every surface released, the list emptied.
    void Clear();
    // Draws the pictures of the layer in list order; a picture whose time is over goes with
    // its surface. A null destination (headless play), or a picture without an image,
    // counts its time all the same.
    void DrawLayer(DDSURFACEDATA* dest, int32_t layer, int paused, double scrollX, double scrollY);

    std::list<PictureRecord>& Records() { return records_; }
    const std::list<PictureRecord>& Records() const { return records_; }

  private:
    std::list<PictureRecord>::iterator Erase(std::list<PictureRecord>::iterator it);

    std::list<PictureRecord> records_;
    ShownHandle lastHandle_ = 0;
};

// An effect command's animation at a screen position, appended to the stage's effects.
void AddCommandEffect(StageRun& run, int16_t effect, double x, double y, int32_t width,
                      int32_t height, int32_t hold);
// Ends the animations of the effect commands; the hit effects play on.
void ClearCommandEffects(StageRun& run);

// The message command's work on the scene's text images: the window of the request's id
// erased, or replaced in place (drawn again into its own picture when the new text
// measures the same), or a new window appended. The window shown, 0 when none.
ShownHandle ShowMessage(StageRun& run, StageDrawScene& scene, const MessageRequest& req);
// Takes the window off the list with its picture, if it is still there.
void RemoveMessage(StageDrawScene& scene, ShownHandle handle);
