// What the message, effect and picture commands and the game wait hand to the running
// stage: the modal-wait record the stage's sub-loop runs by, what a message or a picture
// command asks to be shown, and the placing and sizing rules the commands share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class cChara;
struct PlayState;

// Kinds of modal wait: what holds the game.
enum ModalKind : uint32_t {
    kModalGameWait = 0,
    kModalMessage = 1,
    kModalEffect = 2,
    kModalPicture = 3,
};

// How long a message or a picture stays ("進行キーが押されるまで表示", "ステージ終了まで表示",
// "時間で指定").
enum ShowDuration : int32_t {
    kShowUntilKey = 0,
    kShowUntilStageEnd = 1,
    kShowForTime = 2,
};

// The record the stage's modal sub-loop runs by: with waitKey it ends on a new press of
// the decide button, else once the frame count falls below 0; first the delay counter
// runs out.
struct cModalWait {
    uint32_t kind = kModalGameWait;
    int32_t delay = 0;
    uint32_t waitKey = 0;
    int32_t frames = 0;
    uint32_t spare = 0;  // always 0

    // A key-waiting message window opens after a delay of 10 frames, unless it follows a
    // message of the same flow (noDelay).
    void Set(uint32_t newKind, uint32_t newWaitKey, int32_t newFrames, uint32_t noDelay) {
        kind = newKind;
        waitKey = newWaitKey;
        frames = newFrames;
        delay = newWaitKey != 0 && newKind == kModalMessage && noDelay == 0 ? 10 : 0;
    }
    bool operator==(const cModalWait&) const = default;
};

// The wait of a message or picture that stops the game: until a key, or for frames. A
// window shown until the stage ends has nothing to wait for: no wait, so the sub-loop is
// never run on a stale record.
std::optional<cModalWait> ShowWait(uint32_t kind, int32_t durationMode, int32_t frames,
                                   uint32_t noDelay);

// The stage position (dots) of the top-left corner of an object of width x height by the
// picture-position modes: 0 the screen centre, 1 centred on the character, 2 centred on the
// hero, 3 block (bx, by) of the screen, 4 block (bx, by) of the stage; the offsets are
// added in every mode. A mode the editor never stores places the object as mode 0, and so
// does mode 2 while there is no hero.
void CalcPicturePos(double& x, double& y, int32_t width, int32_t height, const cChara& chara,
                    int32_t mode, int32_t bx, int32_t by, int32_t ox, int32_t oy);

// An effect's cell edge at a scale in percent: edge x scale x 0.01 in doubles, to the
// nearest whole dot, halves away from zero. (A picture's zoom is the whole-number Percent32
// of the status operations.)
int32_t EffectScaledSize(uint32_t cell, int32_t scale);

// A message window as the message command asks for it: the command's parameters in the
// order the text image takes them, with the frames and the target already worked out.
// Where and how long a message window stands: the part of a message command that the
// text image it becomes keeps as it is.
struct MessageLayout {
    int32_t anchor = 0;
    int32_t blockX = 0;
    int32_t blockY = 0;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    int32_t clamp = 0;
    int32_t fixed = 0;
    int32_t durationMode = kShowUntilKey;
    int32_t frames = 0;
    int32_t countWhilePaused = 0;
    uint32_t targetId = 0;
    int32_t noPopIn = 0;
    int32_t substitute = 0;
    int32_t refresh = 0;
    int32_t refreshInterval = 0;
    int32_t box = 0;
    int32_t hasId = 0;
    int32_t messageId = 0;
};

struct MessageRequest : MessageLayout {
    std::string text;
    int32_t erase = 0;
};

// A picture as the picture command asks for it. Picture 0 erases: the picture of the id,
// or without an id every picture.
struct PictureRequest {
    int16_t picture = 0;
    int32_t mode = 0;
    int32_t blockX = 0;
    int32_t blockY = 0;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    int32_t layer = 0;
    int32_t zoom = 100;  // percent
    int32_t durationMode = kShowUntilKey;
    int32_t frames = 0;
    int32_t countWhilePaused = 0;
    int32_t fixed = 0;
    int32_t hasId = 0;
    int32_t pictureId = 0;
};

// Tenths of a second as frames (x 6), kept inside the 32-bit range.
int32_t TenthsToFrames(int64_t tenths);

// A shown window or picture as the stage names it to its command; 0 names none.
using ShownHandle = uint64_t;
