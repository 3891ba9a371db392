// The six formations, the command bodies that run them, and the creation of one element.
#include "objects/volley.h"

#include <algorithm>
#include <cmath>

#include "core/bounds.h"
#include "core/maths.h"
#include "core/random.h"
#include "data/global_data.h"
#include "data/palette.h"
#include "data/system_data.h"
#include "objects/chara.h"
#include "objects/flow_host.h"
#include "objects/flow_run.h"
#include "objects/steering.h"

namespace {

const double kQ = 1.0 / MathSqrt(2.0);

constexpr int32_t kDirLeftCode = 2;
constexpr int32_t kDirRightCode = 3;
constexpr int32_t kDirUpCode = 6;
constexpr int32_t kDirDownCode = 7;
constexpr int32_t kDirUpLeft = 8;
constexpr int32_t kDirDownLeft = 9;
constexpr int32_t kDirUpRight = 10;
constexpr int32_t kDirDownRight = 11;
constexpr int32_t kDirTableSize = 12;

constexpr int32_t kDirAngles[kDirTableSize] = {0, 0, 0, 180, 0, 0, 90, 270, 45, 315, 135, 225};

double Rad(double degrees) {
    return degrees * kPi / 180.0;
}

// The graphic rectangle of a character in view dots with the camera, in the names the
// formations use.
struct Frame {
    int32_t L, T, R, B, W, H;
    double camX, camY;
    int32_t cx, cy;
};

Frame FrameOf(const cChara& c) {
    const PlayState& st = Play().State();
    return {c.m_rcGraphic.left,
            c.m_rcGraphic.top,
            c.m_rcGraphic.right,
            c.m_rcGraphic.bottom,
            c.m_nGraphicWidth,
            c.m_nGraphicHeight,
            st.scrollX.m_dPos,
            st.scrollY.m_dPos,
            TruncToInt32(st.scrollX.m_dPos),
            TruncToInt32(st.scrollY.m_dPos)};
}

// The element's course: its unit direction and its velocity at the state's speed.
void SetCourse(VolleyState& s, double ux, double uy) {
    s.dirX = ux;
    s.dirY = uy;
    s.vx = ux * s.speed;
    s.vy = uy * s.speed;
}
void SetCourseAngle(VolleyState& s, double degrees) {
    SetCourse(s, -MathCos(Rad(degrees)), -MathSin(Rad(degrees)));
}
// The course of a direction code 2, 3 or 6..11.
void SetCourseOfCode(VolleyState& s, int32_t code) {
    switch (code) {
        case kDirLeftCode:
            return SetCourse(s, -1.0, 0.0);
        case kDirRightCode:
            return SetCourse(s, 1.0, 0.0);
        case kDirUpCode:
            return SetCourse(s, 0.0, -1.0);
        case kDirDownCode:
            return SetCourse(s, 0.0, 1.0);
        case kDirUpLeft:
            return SetCourse(s, -kQ, -kQ);
        case kDirDownLeft:
            return SetCourse(s, -kQ, kQ);
        case kDirUpRight:
            return SetCourse(s, kQ, -kQ);
        case kDirDownRight:
            return SetCourse(s, kQ, kQ);
        default:
            return;
    }
}

// Codes the column, spread and lightning layouts can place.
bool Placeable(int32_t code) {
    return code == kDirLeftCode || code == kDirRightCode ||
           (code >= kDirUpCode && code < kDirTableSize);
}
bool Leftward(int32_t code) {
    return code == kDirUpLeft || code == kDirDownLeft;
}
bool Upward(int32_t code) {
    return code == kDirUpLeft || code == kDirUpRight;
}

int32_t Count(const cEdShot& part) {
    return static_cast<int8_t>(part.m_nCount);
}
int32_t Spacing(const cEdShot& part) {
    return part.m_anPattern[0] * 16;
}

// The centre character of lightning and surround: the aim slot's character, the hero or
// the shooter. Null: no volley.
cChara* CentreChara(const VolleyContext& v) {
    switch (shot_part::CentreKind(*v.part)) {
        case 0:
            return v.chara->TargetIn(v.part->m_nPatternSlot);
        case 1:
            return Play().Hero();
        case 2:
            return v.chara;
        default:
            return nullptr;
    }
}

void AddOffsets(VolleyState& s) {
    s.startX += s.offsetX;
    s.startY += s.offsetY;
}

// The point beside the shooter's diagonal corner where a diagonal line is centred.
void CornerPoint(const Frame& g, const VolleyState& s, int32_t code, int32_t& px, int32_t& py) {
    const int32_t w = s.width, h = s.height;
    if (Leftward(code))
        px = TruncToInt32(g.cx + g.L + (g.W >> 1) - ((g.W >> 1) + (w >> 1) - 1) * kQ - (w >> 1));
    else
        px = TruncToInt32(g.cx + g.L + (g.W >> 1) + ((g.R - g.L - (g.W >> 1)) + (w >> 1) + 1) * kQ -
                          (w >> 1));
    if (Upward(code))
        py = TruncToInt32(g.cy + g.T + (g.H >> 1) - ((g.H >> 1) + (h >> 1)) * kQ - (h >> 1));
    else
        py = TruncToInt32(g.cy + g.T + (g.H >> 1) + ((g.B - g.T - (g.H >> 1)) + (h >> 1) + 1) * kQ -
                          (h >> 1));
}

// Straight A: a line across the direction of travel, centred on the shooter's side.
void ColumnA(const Frame& g, const cEdShot& part, VolleyState& s) {
    const int32_t n = Count(part), sp = Spacing(part), w = s.width, h = s.height;
    const int32_t code = s.dirCode;
    switch (code) {
        case kDirLeftCode:
        case kDirRightCode:
            s.startX = code == kDirLeftCode ? TruncToInt32(g.L + g.camX + 1 - w)
                                            : TruncToInt32(g.R + g.camX + 1);
            s.startY = g.cy + g.T + (g.H >> 1) - (n - 1) * (sp >> 1) - (h >> 1) * n;
            s.stepX = 0;
            s.stepY = h + sp;
            break;
        case kDirUpCode:
        case kDirDownCode:
            s.startX = g.cx + g.L + (g.W >> 1) - (n - 1) * (sp >> 1) - (w >> 1) * n;
            s.startY = code == kDirUpCode ? g.cy + g.T - h : g.cy + g.B + 1;
            s.stepX = w + sp;
            s.stepY = 0;
            break;
        default: {
            int32_t px = 0, py = 0;
            CornerPoint(g, s, code, px, py);
            s.startX = TruncToInt32(px - (n - 1) * ((w >> 1) + (sp >> 1)) * kQ);
            s.stepX = TruncToInt32((w + sp) * kQ);
            const double along = (n - 1) * ((h >> 1) + (sp >> 1)) * kQ;
            if (code == kDirUpLeft || code == kDirDownRight) {
                s.startY = TruncToInt32(py + along);
                s.stepY = TruncToInt32(-(h + sp) * kQ);
            } else {
                s.startY = TruncToInt32(py - along);
                s.stepY = TruncToInt32((h + sp) * kQ);
            }
            break;
        }
    }
    SetCourseOfCode(s, code);
    AddOffsets(s);
}

// The shooter's centre plus the offsets, in stage dots.
double ShooterCentreX(const Frame& g, const VolleyState& s) {
    return g.cx + g.L + (g.W >> 1) + s.offsetX;
}
double ShooterCentreY(const Frame& g, const VolleyState& s) {
    return g.cy + g.T + (g.H >> 1) + s.offsetY;
}

// The angle of the rotated set-ups: aimed from the shooter's centre, or the table's.
int32_t RotatedAngle(const VolleyContext& v, const Frame& g, VolleyState& s) {
    const int32_t base = shot_part::Aim(*v.part)
                             ? AimAngle(ShooterCentreX(g, s), ShooterCentreY(g, s), v, s)
                             : DirectionAngle(s.dirCode);
    return base + s.angle;
}

int32_t AimedFromStart(const VolleyContext& v, VolleyState& s) {
    const int32_t base = shot_part::Aim(*v.part)
                             ? AimAngle(s.startX + (s.width >> 1), s.startY + (s.height >> 1), v, s)
                             : DirectionAngle(s.dirCode);
    return base + s.angle;
}

void AimedA(const VolleyContext& v, const Frame& g, VolleyState& s) {
    const cEdShot& part = *v.part;
    if (!shot_part::RotateFormation(part)) {
        ColumnA(g, part, s);
        SetCourseAngle(s, AimedFromStart(v, s));
        return;
    }
    const int32_t n = Count(part), sp = Spacing(part), w = s.width, h = s.height;
    int32_t a = RotatedAngle(v, g, s);
    CirclePoint(s, *v.chara, a);
    if (shot_part::Aim(part))
        a = AimAngle(s.startX + (w >> 1) + s.offsetX, s.startY + (h >> 1) + s.offsetY, v, s) +
            s.angle;
    // The line runs through the circle point, across the course.
    const double c = MathCos(Rad(a)), si = MathSin(Rad(a));
    const double alongX = (n - 1) * ((w >> 1) + (sp >> 1));
    const double alongY = (n - 1) * ((h >> 1) + (sp >> 1));
    if ((si >= 0.0) == (c >= 0.0)) {
        s.startX = TruncToInt32(s.startX - alongX * si);
        s.stepX = TruncToInt32((w + sp) * si);
        s.startY = TruncToInt32(s.startY + alongY * c);
        s.stepY = TruncToInt32(-(h + sp) * c);
    } else {
        s.startX = TruncToInt32(s.startX + alongX * si);
        s.stepX = TruncToInt32(-(w + sp) * si);
        s.startY = TruncToInt32(s.startY - alongY * c);
        s.stepY = TruncToInt32((h + sp) * c);
    }
    AddOffsets(s);
    SetCourse(s, -c, -si);
}

void EmitLine(const VolleyContext& v, VolleyState& s) {
    s.x = s.startX;
    s.y = s.startY;
    for (int32_t k = 0; k < Count(*v.part); ++k) {
        CreateShot(v, s);
        s.x += s.stepX;
        s.y += s.stepY;
    }
}

// Every element from the start position, the first at `first` degrees and each next
// `step` degrees on.
void EmitFan(const VolleyContext& v, VolleyState& s, double first, double step) {
    double a = first;
    for (int32_t k = 0; k < Count(*v.part); ++k) {
        s.x = s.startX;
        s.y = s.startY;
        SetCourseAngle(s, a);
        CreateShot(v, s);
        a += step;
    }
}

bool UsesAimedSetup(const VolleyContext& v, const VolleyState& s) {
    return s.angle != 0 || shot_part::Aim(*v.part);
}

void StraightA(const VolleyContext& v, VolleyState& s) {
    if (!Placeable(s.dirCode)) return;
    const Frame g = FrameOf(*v.chara);
    if (UsesAimedSetup(v, s))
        AimedA(v, g, s);
    else
        ColumnA(g, *v.part, s);
    EmitLine(v, s);
}

// Straight B: a column from the shooter's foot upward, beside the shooter.
void StraightB(const VolleyContext& v, VolleyState& s) {
    const int32_t code = s.dirCode;
    if (!Placeable(code)) return;
    const Frame g = FrameOf(*v.chara);
    const int32_t sp = Spacing(*v.part), w = s.width, h = s.height;
    s.startY = g.cy + g.B - h + 1;
    s.stepX = 0;
    s.stepY = -(h + sp);
    bool left = code == kDirLeftCode || Leftward(code);
    if (code == kDirUpCode || code == kDirDownCode) left = v.chara->m_nFacing == 0;
    s.startX = left ? TruncToInt32(g.L + g.camX + 1 - w) : TruncToInt32(g.R + g.camX + 1);
    SetCourseOfCode(s, code);
    AddOffsets(s);
    if (UsesAimedSetup(v, s)) SetCourseAngle(s, AimedFromStart(v, s));
    EmitLine(v, s);
}

// Spread: every element from one point, fanned symmetrically about the base direction.
void Spread(const VolleyContext& v, VolleyState& s) {
    const int32_t code = s.dirCode;
    if (!Placeable(code)) return;
    const cEdShot& part = *v.part;
    const Frame g = FrameOf(*v.chara);
    const int32_t w = s.width, h = s.height;
    if (UsesAimedSetup(v, s) && shot_part::RotateFormation(part)) {
        CirclePoint(s, *v.chara, RotatedAngle(v, g, s));
    } else {
        switch (code) {
            case kDirLeftCode:
            case kDirRightCode:
                s.startX = code == kDirLeftCode ? g.cx + g.L - w + 1 : g.cx + g.R + 1;
                s.startY = g.cy + g.T + (g.H >> 1) - (h >> 1);
                break;
            case kDirUpCode:
            case kDirDownCode:
                s.startX = g.cx + g.L + (g.W >> 1) - (w >> 1);
                s.startY = code == kDirUpCode ? g.cy + g.T - h : g.cy + g.B + 1;
                break;
            default:
                CornerPoint(g, s, code, s.startX, s.startY);
                break;
        }
    }
    AddOffsets(s);
    const double base = shot_part::Aim(part)
                            ? AimAngle(s.startX + (w >> 1), s.startY + (h >> 1), v, s)
                            : static_cast<double>(DirectionAngle(code));
    const int32_t n = Count(part);
    double half = n >> 1;
    if (n % 2 == 0) half -= 0.5;
    const double fan = part.m_anPattern[0];
    EmitFan(v, s, base + s.angle - half * fan, fan);
}

// Lightning: columns of rows that enter from the view's edge and sweep toward the centre
// character.
void Lightning(const VolleyContext& v, VolleyState& s) {
    const int32_t code = s.dirCode;
    if (!Placeable(code)) return;
    const cChara* centre = CentreChara(v);
    if (!centre) return;
    const cEdShot& part = *v.part;
    const Frame g = FrameOf(*centre);
    const int32_t w = s.width, h = s.height;
    const int32_t gap = g_SystemData.m_bCompat555 ? 0 : Spacing(part);
    const int32_t rows = part.m_anPattern[1];
    const int32_t rs = part.m_anPattern[2] * 16;
    const int32_t k = ((rows - 1) >> 1) * rs + (rows % 2 == 0 ? rs >> 1 : 0);
    const int32_t kq = TruncToInt32(k * kQ);
    const int32_t X = g.L + (g.W >> 1), Y = g.T + (g.H >> 1);
    const bool multi = rows >= 2;
    s.rowStepX = s.rowStepY = 0;
    switch (code) {
        case kDirLeftCode:
        case kDirRightCode:
            s.startX = code == kDirLeftCode ? TruncToInt32(g.camX + 640 - w) : g.cx;
            s.startY = g.cy + Y - (h >> 1);
            s.stepX = code == kDirLeftCode ? -(w + gap) : w + gap;
            s.stepY = 0;
            if (multi) {
                s.rowStepY = rs;
                s.startY -= k;
            }
            break;
        case kDirUpCode:
        case kDirDownCode:
            s.startX = g.cx + X - (w >> 1);
            s.startY = code == kDirUpCode ? TruncToInt32(g.camY + 480 - h) : g.cy;
            s.stepX = 0;
            s.stepY = code == kDirUpCode ? -(h + gap) : h + gap;
            if (multi) {
                s.rowStepX = rs;
                s.startX -= k;
            }
            break;
        default: {
            // The diagonals enter where the 45-degree line through the centre meets the
            // nearer view edge (the horizontal edge on a tie).
            const int32_t sx = Leftward(code) ? -1 : 1, sy = Upward(code) ? -1 : 1;
            const int32_t dh = sx < 0 ? 640 - X : X;
            const int32_t dv = sy < 0 ? 480 - Y : Y;
            if (dh < dv) {
                s.startX = sx < 0 ? TruncToInt32(g.camX + 640 - w) : g.cx;
                s.startY =
                    sy < 0 ? TruncToInt32(Y + g.camY + dh - h) : TruncToInt32(Y + g.camY - dh);
            } else {
                s.startX =
                    sx < 0 ? TruncToInt32(X + g.camX + dv - w) : TruncToInt32(X + g.camX - dv);
                s.startY = sy < 0 ? TruncToInt32(g.camY + 480 - h) : g.cy;
            }
            s.stepX = TruncToInt32(sx * (w + gap) * kQ);
            s.stepY = TruncToInt32(sy * (h + gap) * kQ);
            if (multi) {
                // Rows run across the course: the row step turns the column step by 90 degrees.
                s.rowStepX = TruncToInt32(rs * kQ);
                s.rowStepY = TruncToInt32(-sx * sy * rs * kQ);
                s.startX -= kq;
                s.startY += sx * sy * kq;
            }
            break;
        }
    }
    SetCourseOfCode(s, code);
    AddOffsets(s);
    if (s.angle != 0) SetCourseAngle(s, DirectionAngle(code) + s.angle);

    s.x = s.startX;
    s.y = s.startY;
    for (int32_t column = 0; column < Count(part); ++column) {
        VolleyState row = s;
        for (int32_t r = 0; r < rows; ++r) {
            CreateShot(v, row);
            row.x += s.rowStepX;
            row.y += s.rowStepY;
        }
        s.x += s.stepX;
        s.y += s.stepY;
    }
}

// Explosion: a full circle from the shooter's centre.
void Explosion(const VolleyContext& v, VolleyState& s) {
    const int32_t n = Count(*v.part);
    if (n <= 0) return;
    const Frame g = FrameOf(*v.chara);
    s.startX = TruncToInt32(g.L + (g.W >> 1) + g.camX - (s.width >> 1)) + s.offsetX;
    s.startY = TruncToInt32(g.T + (g.H >> 1) + g.camY - (s.height >> 1)) + s.offsetY;
    EmitFan(v, s, DirectionAngle(s.dirCode) + static_cast<double>(s.angle), 360.0 / n);
}

// Surround: a full circle about the centre character, every element heading inward.
void Surround(const VolleyContext& v, VolleyState& s) {
    const int32_t n = Count(*v.part);
    if (n <= 0) return;
    const cChara* centre = CentreChara(v);
    if (!centre) return;
    const Frame g = FrameOf(*centre);
    const int32_t r = v.part->m_anPattern[0] * 16;
    s.startX = TruncToInt32(g.L + (g.W >> 1) + g.camX - (s.width >> 1) + s.offsetX);
    s.startY = TruncToInt32(g.T + (g.H >> 1) + g.camY - (s.height >> 1) + s.offsetY);
    double a = DirectionAngle(s.dirCode) + static_cast<double>(s.angle);
    const double step = 360.0 / n;
    for (int32_t k = 0; k < n; ++k) {
        const double c = MathCos(Rad(a)), si = MathSin(Rad(a));
        s.x = s.startX + TruncToInt32(c * r + 0.5);
        s.y = s.startY + TruncToInt32(si * r + 0.5);
        SetCourse(s, -c, -si);
        CreateShot(v, s);
        a += step;
    }
}

using PatternFn = void (*)(const VolleyContext&, VolleyState&);
constexpr PatternFn kPatterns[kVolleyPatterns] = {StraightA, StraightB, Spread,
                                                  Lightning, Explosion, Surround};

// The clone's volley angle: mirrored for a shooter facing right when the part says so, then
// spread at random (no draw without a spread).
int32_t VolleyAngle(const cEdShot& part, uint32_t facing, int32_t angle) {
    if (part.m_bMirrorAngle && facing == 1) angle = 360 - angle;
    if (part.m_nSpread != 0) angle += RandRange(-part.m_nSpread, part.m_nSpread);
    return angle;
}

void SetOffsets(VolleyState& s, const cEdShot& part, int index, uint32_t facing) {
    s.offsetX = TruncToInt32(part.GetOffsetX(index, static_cast<int>(facing)));
    s.offsetY = TruncToInt32(part.GetOffsetY(index, static_cast<int>(facing)));
}

// Brings a computer-side character's graphic rectangle up to date.
void RefreshIfComputer(cChara* c) {
    if (c && c->m_nSide == 1) c->CalcScreenRect();
}

template <class Def>
const Def* PaletteEntry(const std::vector<Def>& common, const std::vector<Def>& stage,
                        const cEdShot& part) {
    const std::vector<Def>& list = part.m_nBank == 0 ? common : stage;
    if (part.m_nDefIndex < 0 || static_cast<size_t>(part.m_nDefIndex) >= list.size())
        return nullptr;
    return &list[static_cast<size_t>(part.m_nDefIndex)];
}

// One emission of a summon: a single element of the definition's size, speed 1, angle 0.
void SummonVolley(uint32_t cmdType, cChara& chara, const cEdShot& part, int32_t size) {
    VolleyState s;
    s.width = s.height = size;
    s.speed = 1.0;
    s.dirCode = ResolveDirCode(part.m_nDir, chara.m_nFacing);
    chara.CalcScreenRect();
    SetOffsets(s, part, 0, chara.m_nFacing);
    RunVolleyPattern({nullptr, cmdType, &chara, &part}, s);
}

// A size factor of 0 or less counts as 1, as the objects' set-ups take it.
int32_t SizeOf(uint8_t storedSize) {
    return std::max<int32_t>(static_cast<int8_t>(storedSize), 1);
}

}  // namespace

int32_t DirectionAngle(int32_t code) {
    return code >= 0 && code < kDirTableSize ? kDirAngles[code] : 0;
}

int32_t DirChoiceToCode(DirSlot held, uint32_t facing) {
    switch (held) {
        case DirSlot::kLeft:
            return kDirLeftCode;
        case DirSlot::kRight:
            return kDirRightCode;
        case DirSlot::kUp:
            return kDirUpCode;
        case DirSlot::kDown:
            return kDirDownCode;
        case DirSlot::kUpLeft:
            return kDirUpLeft;
        case DirSlot::kDownLeft:
            return kDirDownLeft;
        case DirSlot::kUpRight:
            return kDirUpRight;
        case DirSlot::kDownRight:
            return kDirDownRight;
        default:
            // Nothing held, or all four at once: straight forward.
            return facing == 0 ? kDirLeftCode : kDirRightCode;
    }
}

int32_t ResolveDirCode(uint8_t kind, uint32_t facing) {
    const bool left = facing == 0;
    switch (kind) {
        case 0:
            return left ? kDirLeftCode : kDirRightCode;
        case 1:
            return left ? kDirRightCode : kDirLeftCode;
        case 4:
            return left ? kDirUpCode : kDirDownCode;
        case 5:
            return left ? kDirDownCode : kDirUpCode;
        case kDirFromInput: {
            const cFlowRun* run = Play().State().currentFlow;
            return DirChoiceToCode(run ? run->m_nInputSlot : DirSlot::kNone, facing);
        }
        default:
            return kind;
    }
}

void CirclePoint(VolleyState& s, const cChara& shooter, double angle) {
    const Frame g = FrameOf(shooter);
    const double theta = Rad(angle + 225.0);
    const double kx = ((g.R - g.L - (g.W >> 1)) + (s.width >> 1) + 1) * kQ;
    const double ky = ((g.B - g.T - (g.H >> 1)) + (s.height >> 1) + 1) * kQ;
    const double ax = g.L + (g.W >> 1) + g.camX;
    const double ay = g.T + (g.H >> 1) + g.camY;
    const double c = MathCos(theta), si = MathSin(theta);
    s.startX = TruncToInt32(ax + c * kx + si * ky - (s.width >> 1));
    s.startY = TruncToInt32(ay + si * kx - c * ky - (s.height >> 1));
}

int32_t AimAngle(double px, double py, const VolleyContext& v, VolleyState& s) {
    cChara& shooter = *v.chara;
    const cEdShot& part = *v.part;
    const cChara* aim = shooter.TargetIn(part.m_nPatternSlot);
    if (!aim) return shooter.m_nFacing == 0 ? 0 : 180;

    const PlayState& st = Play().State();
    const bool scrollMoves = (st.scrollX.m_dSpeed != 0.0 && !st.scrollX.Stopped()) ||
                             (st.scrollY.m_dSpeed != 0.0 && !st.scrollY.Stopped());
    const double aimX = aim->m_rcGraphic.left + (aim->m_nGraphicWidth >> 1);
    const double aimY = aim->m_rcGraphic.top + (aim->m_nGraphicHeight >> 1);
    const int32_t cx = TruncToInt32(st.scrollX.m_dPos), cy = TruncToInt32(st.scrollY.m_dPos);
    if (scrollMoves && !shot_part::RidesScroll(part) && aim->m_bRidesScroll) {
        // Lead the aim: the course on the screen that meets a character the scroll carries,
        // at the speed the element will have.
        const double f = ShotFrameFactor();
        const double speed = (part.m_nSpeed + part.m_nSpeedStep * s.clone) * 0.1 / f;
        double ux = 0.0, uy = 0.0;
        uint32_t dir = 0;
        SolveStepToPoint(ux, uy, dir, aim, px - cx, py - cy, aimX, aimY, speed, 0, 1, false);
        s.speed = MathSqrt(ux * ux + uy * uy) * f;
        return TruncToInt32(MathAtan2(uy, ux) * 180.0 / kPi + 180.0);
    }
    const double tx = cx + aimX, ty = cy + aimY;
    return TruncToInt32(MathAtan2(ty - py, tx - px) * 180.0 / kPi + 180.0 + 0.5);
}

void RunVolleyPattern(const VolleyContext& volley, VolleyState& state) {
    const uint8_t pattern = volley.part->m_nPattern;
    // Directions outside the table have no angle and no layout: nothing is emitted.
    if (pattern >= kVolleyPatterns || state.dirCode < 0 || state.dirCode >= kDirTableSize) return;
    kPatterns[pattern](volley, state);
}

void CreateShot(const VolleyContext& v, const VolleyState& s) {
    cChara& chara = *v.chara;
    const cEdShot& part = *v.part;
    switch (v.cmdType) {
        case kCmdShot: {
            if (!v.shots) return;
            PlayState& st = Play().State();
            cShotObj shot;
            shot.Setup(kCmdShot, part, chara, s, st.shotIdCounter);
            AddShot(*v.shots, shot);
            ++st.shotIdCounter;
            return;
        }
        case kCmdSummonBlock: {
            const std::vector<cBlockDef>& list =
                part.m_nBank == 0 ? g_CommonPalette.m_vBlocks : g_Stage.m_vPalBlocks;
            if (list.empty()) return;
            Flows().SetBlockAt(s.x, s.y, part, V(list, part.m_nDefIndex));
            return;
        }
        case kCmdSummonChara: {
            const std::vector<cCharaDef>& list =
                part.m_nBank == 0 ? g_CommonPalette.m_vCharas : g_Stage.m_vPalCharas;
            if (list.empty()) return;
            uint32_t facing = chara.m_nFacing;
            if (shot_part::ReverseFacing(part)) facing = facing == 0 ? 1 : 0;
            Flows().SummonChara(V(list, part.m_nDefIndex), s.x, s.y, facing, chara, part);
            return;
        }
        case kCmdSummonItem: {
            const std::vector<cItemDef>& list =
                part.m_nBank == 0 ? g_CommonPalette.m_vItems : g_Stage.m_vPalItems;
            if (list.empty()) return;
            Flows().SummonItem(V(list, part.m_nDefIndex), s.x, s.y, chara.m_nFacing, part);
            return;
        }
        default:
            return;
    }
}

void FireShotVolley(ShotObjList& shots, cChara& chara, const cEdShot& part) {
    const uint32_t facing = chara.m_nFacing;
    VolleyState s;
    s.width = s.height = SizeOf(part.m_nSize) * kShotCell;
    s.dirCode = ResolveDirCode(part.m_nDir, facing);

    RefreshIfComputer(&chara);
    cChara* aimed = chara.TargetIn(part.m_nPatternSlot);
    cChara* target = chara.TargetIn(part.m_nMoveSlot);
    RefreshIfComputer(aimed);
    if (target != aimed) RefreshIfComputer(target);

    s.speed = part.m_nSpeed * 0.1;
    s.angle = VolleyAngle(part, facing, part.m_nAngle);
    s.life = part.m_nLife;
    s.range = part.m_nDistance;
    const double speedStep = part.m_nSpeedStep * 0.1;
    const VolleyContext volley{&shots, kCmdShot, &chara, &part};
    for (int i = 0; i <= part.m_nClones; ++i) {
        s.clone = static_cast<int16_t>(i);
        SetOffsets(s, part, i, facing);
        RunVolleyPattern(volley, s);
        s.speed += speedStep;
        s.angle = VolleyAngle(part, facing, part.m_nAngleStep * (i + 1) + part.m_nAngle);
        s.life += part.m_nLifeStep;
        s.range += part.m_nDistanceStep;
    }
}

void SummonBlockVolley(cChara& chara, const cEdShot& part) {
    if (!PaletteEntry(g_CommonPalette.m_vBlocks, g_Stage.m_vPalBlocks, part)) return;
    // A toggling summon starts from a clean list, so that every block of this volley toggles.
    if (part.m_nBlockMode == 2) Flows().ClearToggledBlocks();
    SummonVolley(kCmdSummonBlock, chara, part, 32);
}

void SummonCharaVolley(cChara& chara, const cEdShot& part) {
    const cCharaDef* def = PaletteEntry(g_CommonPalette.m_vCharas, g_Stage.m_vPalCharas, part);
    // The placed byte decides, as it does for a placement at stage set-up; either side may
    // be summoned.
    if (!def || def->m_nPlaced != 1) return;
    SummonVolley(kCmdSummonChara, chara, part, SizeOf(def->m_nSize) * 32);
}

void SummonItemVolley(cChara& chara, const cEdShot& part) {
    const cItemDef* def = PaletteEntry(g_CommonPalette.m_vItems, g_Stage.m_vPalItems, part);
    if (!def) return;
    SummonVolley(kCmdSummonItem, chara, part, SizeOf(def->m_nSize) * 32);
}
