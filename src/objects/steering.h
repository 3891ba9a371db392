// Steering shared by movement commands and moving shots: steps toward a point with the
// scroll rules, circle paths, the nearest-character and filtered searches, and the
// one-axis spans of distance conditions and the range display.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "objects/play_context.h"

class cGameObj;

// Direction words of a step: 0 none, 1 left, 2 right.
constexpr uint32_t kDirNone = 0;
constexpr uint32_t kDirLeft = 1;
constexpr uint32_t kDirRight = 2;

// One frame from (fromX, fromY) toward (toX, toY) at `speed`. In free mode 0 a negative
// speed flees at 45 degrees and never arrives. The scroll is added (old projects), taken
// away, or, for an object riding the scroll, solved for so that the move relative to the
// scroll still heads for the point; a geometry without a solution gives no move. 1 on
// arrival within this frame (only asked with arrivalTest).
int32_t SolveStepToPoint(double& vx, double& vy, uint32_t& dir, const cGameObj* chara, double fromX,
                         double fromY, double toX, double toY, double speed, int32_t against,
                         int32_t freeMode, bool arrivalTest);
// One axis: v toward `to`, the other axis 0. Old projects add the horizontal scroll for an
// object riding it.
int32_t AxisStepToward(double& v, double& other, uint32_t& dir, const cGameObj* chara, double from,
                       double to, double speed, int32_t against, bool arrivalTest);
// The same on y with the vertical scroll; dir is always 0.
int32_t AxisStepTowardY(double& v, double& other, uint32_t& dir, const cGameObj* chara, double from,
                        double to, double speed, int32_t against, bool arrivalTest);

// The first and second differences of a circle of `radius` turning at `degrees` per base
// frame, from the phase before it advances by `step` (wrapped once at 360 x F).
double CircleMoveDelta(int32_t radius, int32_t degrees, double& phase, double step, double start);
double CircleMoveAccel(int32_t radius, int32_t degrees, double& phase, double step, double start);

// What a search lets through (every switch off: any character not removed).
struct CharaFilter {
    bool charaIdOn = false;
    int32_t charaId = 0;
    bool varOn = false;
    int32_t varIndex = 0;
    int32_t value = 0;
    int32_t op = 0;  // 0 ==, 1 !=, 2 >=, 3 <=, 4 >, 5 <, 6 divisible, 7 not divisible
    bool excludeIdOn = false;
    uint32_t excludedId = 0;
    bool excludeImmune1 = false;
    bool excludeImmune2 = false;
    bool excludeBlockCharas = false;
};
bool PassesFilter(const cChara& chara, const CharaFilter& filter);

// Nearest by |dy| + |dx| between graphic centres; the first of equals wins. Mode 0: active
// characters in view, else those out of view; 1: every active character; 2: active ones in
// view only.
cChara* FindNearestChara(double px, double py, const CharaList& list, int32_t mode,
                         const CharaFilter& filter);
// Mode 2 when the stage hits only in view, else 0; characters of immunity 2 are never aimed
// at.
cChara* FindNearestCharaSimple(double px, double py, const CharaList& list);
// The first character of the list that passes.
cChara* FindCharaInList(const CharaList& list, const CharaFilter& filter);
// From the back: the last entry with the key whose character passes.
using KeyedCharaList = std::vector<std::pair<cChara*, uint32_t>>;
cChara* FindCharaInKeyedList(const KeyedCharaList& pairs, uint32_t key, const CharaFilter& filter);

// The span round an object at pos of `size` on one axis: from the centre toward each
// extended side, or over the whole size when nothing extends it and `whole` is set.
void CalcRangeSpan(double& low, double& high, double pos, int32_t size, double before, double after,
                   bool whole);
// Whether that span meets [otherLow, otherHigh] narrowed by margin. With heightRule, for a
// character whose body nearly fills its graphic, the top test ignores the margin (new
// projects only).
bool RangeSpanHits(double pos, int32_t size, double otherLow, double otherHigh, double margin,
                   double before, double after, bool whole, bool heightRule, const cGameObj* chara);
