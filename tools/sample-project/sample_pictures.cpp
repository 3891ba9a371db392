// The pictures of the sample: the display palette, the block, character and shot sheets,
// the small sheet of cursors, icons and gauge strips, and the title picture. All share
// one colour table; index 0 is the transparent black. Beside them the half-blend tables
// of that table's hue variations.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

#include "app/hbt_palette.h"
#include "platform/fs/fs.h"
#include "sample_project.h"

namespace sample {

namespace {

// Palette indices by name (see SamplePalette).
enum : uint8_t {
    kClear = 0,
    kWhite = 1,
    kInk = 2,
    kSkin = 3,
    kRed = 4,
    kDarkRed = 5,
    kBlue = 6,
    kDarkBlue = 7,
    kGreen = 8,
    kDarkGreen = 9,
    kYellow = 10,
    kOrange = 11,
    kBrown = 12,
    kDarkBrown = 13,
    kGrey = 14,
    kLightGrey = 15,
    kSky = 16,
    kPurple = 17,
    kCyan = 18,
    kSlate = 19,
    kSand = 20,
    kCream = 21,
    kPink = 22,
    kLeaf = 23,
    kSkyRamp = 32,      // 64 entries
    kEveningRamp = 96,  // 64 entries
};

constexpr int kCell = 32;

// Each character of a 16 x 16 pattern becomes 2 x 2 dots of a 32 x 32 cell.
std::vector<std::string> Double(const std::vector<std::string>& rows) {
    std::vector<std::string> out;
    for (const std::string& row : rows) {
        std::string wide;
        for (char c : row) wide.append(2, c);
        out.push_back(wide);
        out.push_back(wide);
    }
    return out;
}

// The hero faces right in the pattern; the sheet holds it facing left, which is facing
// 0, and the drawing layer mirrors each cell for the other facing.
const std::vector<std::string> kHeroStand = {
    "................", ".....HHHHH......", "....HHHHHHH.....", "....HSSSSSH.....",
    "....SSSISSI.....", "....SSSSSSS.....", ".....SSSSS......", "....BBBBBB......",
    "...BBBBBBBB.....", "...SBBBBBBS.....", "....BBBBBB......", "....LLLLLL......",
    "....LL..LL......", "....LL..LL......", "...III..III.....", "................"};
const std::vector<std::string> kHeroStand2 = {
    "................", "................", ".....HHHHH......", "....HHHHHHH.....",
    "....HSSSSSH.....", "....SSSISSI.....", "....SSSSSSS.....", ".....SSSSS......",
    "....BBBBBB......", "...BBBBBBBB.....", "...SBBBBBBS.....", "....BBBBBB......",
    "....LLLLLL......", "....LL..LL......", "...III..III.....", "................"};
const std::vector<std::string> kHeroWalk1 = {
    "................", ".....HHHHH......", "....HHHHHHH.....", "....HSSSSSH.....",
    "....SSSISSI.....", "....SSSSSSS.....", ".....SSSSS......", "....BBBBBB......",
    "...BBBBBBBBS....", "..SBBBBBBB......", "....BBBBBB......", "....LLLLLL......",
    "...LL....LL.....", "..LL......LL....", ".III......III...", "................"};
const std::vector<std::string> kHeroWalk2 = {
    "................", "................", ".....HHHHH......", "....HHHHHHH.....",
    "....HSSSSSH.....", "....SSSISSI.....", "....SSSSSSS.....", ".....SSSSS......",
    "....BBBBBB......", "...SBBBBBB......", "....BBBBBBS.....", "....LLLLLL......",
    ".....LLLL.......", ".....LLLL.......", "....IIIIII......", "................"};

const std::vector<std::string> kWalkerStand = {
    "................", "................", "................", ".....RRRRRR.....",
    "...RRRRRRRRRR...", "..RRRRRRRRRRRR..", "..RWWIRRRRWWIR..", ".RRWWIRRRRWWIRR.",
    ".RRRRRRRRRRRRRR.", ".RRRRRIIIIRRRRR.", ".DRRRRRRRRRRRRD.", "..DDDDDDDDDDDD..",
    "...DD......DD...", "...DD......DD...", "..III......III..", "................"};
const std::vector<std::string> kWalkerStand2 = {
    "................", "................", "................", "................",
    ".....RRRRRR.....", "...RRRRRRRRRR...", "..RRRRRRRRRRRR..", "..RWWIRRRRWWIR..",
    ".RRWWIRRRRWWIRR.", ".RRRRRIIIIRRRRR.", ".DRRRRRRRRRRRRD.", "..DDDDDDDDDDDD..",
    "...DD......DD...", "...DD......DD...", "..III......III..", "................"};
const std::vector<std::string> kWalkerWalk1 = {
    "................", "................", "................", ".....RRRRRR.....",
    "...RRRRRRRRRR...", "..RRRRRRRRRRRR..", "..RWWIRRRRWWIR..", ".RRWWIRRRRWWIRR.",
    ".RRRRRRRRRRRRRR.", ".RRRRRIIIIRRRRR.", ".DRRRRRRRRRRRRD.", "..DDDDDDDDDDDD..",
    "..DD........DD..", ".DD..........DD.", "III..........III", "................"};
const std::vector<std::string> kWalkerWalk2 = {
    "................", "................", "................", "................",
    ".....RRRRRR.....", "...RRRRRRRRRR...", "..RRRRRRRRRRRR..", "..RWWIRRRRWWIR..",
    ".RRWWIRRRRWWIRR.", ".RRRRRIIIIRRRRR.", ".DRRRRRRRRRRRRD.", "..DDDDDDDDDDDD..",
    ".....DD..DD.....", ".....DD..DD.....", "....III..III....", "................"};

// The fairy: wings up and down over a small glowing body; it faces left like the hero.
const std::vector<std::string> kFairyUp = {
    "................", "..WW.......WW...", ".WWWW.....WWWW..", ".WWWWW...WWWWW..",
    "..WWWWW.WWWWW...", "...WWWYYYWWW....", ".....YYYYY......", "....YIYYIYY.....",
    "....YYYYYYY.....", ".....YPPPY......", "......YYY.......", ".....Y...Y......",
    "................", "................", "................", "................"};
const std::vector<std::string> kFairyDown = {
    "................", "................", "................", "................",
    "......YYY.......", ".....YYYYY......", "....YIYYIYY.....", "..WWYYYYYYYWW...",
    ".WWWWYPPPYWWWW..", "WWWWW.YYY.WWWWW.", ".WWW..Y.Y..WWW..", "................",
    "................", "................", "................", "................"};
// The cannon: a barrel on a stone block, its mouth flashing as it fires; it faces right in
// the pattern, like the hero.
const std::vector<std::string> kCannonStand = {
    "................", "................", "................", "................",
    "................", "....SSSS........", "....SGGSGGGGGGGG", "...SGGGGGGGGGGGI",
    "...SGGGGGGGGGGGI", "....SGGSGGGGGGGG", "....SSSS........", "..BBBBBBBBB.....",
    ".BBBBBBBBBBB....", ".BBBIBBBBIBB....", ".BBBBBBBBBBB....", "................"};
const std::vector<std::string> kCannonFire = {
    "................", "................", "................", "................",
    "................", "....SSSS........", "....SGGSGGGGGGGY", "...SGGGGGGGGGGYY",
    "...SGGGGGGGGGGYY", "....SGGSGGGGGGGY", "....SSSS........", "..BBBBBBBBB.....",
    ".BBBBBBBBBBB....", ".BBBIBBBBIBB....", ".BBBBBBBBBBB....", "................"};

// The four basic frames of a character row: two standing, two walking; then the same
// four in the colours of an immune character (offset 4) and of a block character
// (offset 8), as the anime sets of the sample ask.
void DrawCharacterRow(Canvas& sheet, int row, const std::vector<std::vector<std::string>>& frames,
                      const std::string& legend, const std::vector<uint8_t>& colours) {
    // The same shapes in one light colour (immune) and in stone grey (block character);
    // the ink of eyes and feet ('I') stays visible in both.
    std::vector<uint8_t> immune(colours.size(), kCream);
    std::vector<uint8_t> stone(colours.size(), kGrey);
    for (size_t i = 0; i < legend.size() && i < colours.size(); ++i)
        if (legend[i] == 'I') {
            immune[i] = kOrange;
            stone[i] = kSlate;
        }
    const std::vector<uint8_t>* sets[] = {&colours, &immune, &stone};
    for (int set = 0; set < 3; ++set)
        for (size_t f = 0; f < frames.size(); ++f)
            sheet.Stamp((set * 4 + static_cast<int>(f)) * kCell, row * kCell, Double(frames[f]),
                        legend, *sets[set], /*mirror=*/true);
}

Canvas CharacterSheet() {
    // 20 frames across (640 dots) for each of the 15 graphic rows.
    Canvas sheet(640, 480, kClear);
    // Graphic 0 is no graphic: a placement showing it is not a hero.
    DrawCharacterRow(sheet, kHeroGraphic, {kHeroStand, kHeroStand2, kHeroWalk1, kHeroWalk2},
                     "HSIBL", {kDarkBrown, kSkin, kInk, kBlue, kDarkBlue});
    DrawCharacterRow(sheet, kWalkerGraphic,
                     {kWalkerStand, kWalkerStand2, kWalkerWalk1, kWalkerWalk2}, "RWIDL",
                     {kRed, kWhite, kInk, kDarkRed, kDarkRed});
    DrawCharacterRow(sheet, kFairyGraphic, {kFairyUp, kFairyDown, kFairyUp, kFairyDown}, "WYIP",
                     {kCyan, kYellow, kInk, kPink});
    DrawCharacterRow(sheet, kCannonGraphic, {kCannonStand, kCannonStand, kCannonFire, kCannonStand},
                     "GSIBY", {kGrey, kSlate, kInk, kDarkBrown, kYellow});
    return sheet;
}

// Block graphic n sits at column n / 15, row n % 15.
void BlockCell(int n, int& x, int& y) {
    x = (n / 15) * kCell;
    y = (n % 15) * kCell;
}

void DrawGround(Canvas& c, int x, int y) {
    c.FillRect(x, y, kCell, kCell, kBrown);
    c.FillRect(x, y, kCell, 8, kGreen);
    for (int i = 0; i < kCell; i += 4) c.FillRect(x + i, y + 8, 2, 2, kDarkGreen);
    for (int i = 0; i < 6; ++i)
        c.FillRect(x + (i * 11) % 28 + 2, y + 14 + (i * 5) % 14, 3, 2, kDarkBrown);
}

void DrawWall(Canvas& c, int x, int y) {
    c.FillRect(x, y, kCell, kCell, kSlate);
    for (int row = 0; row < 4; ++row) {
        const int shift = (row % 2) * 8;
        for (int col = -1; col < 2; ++col) {
            // Bricks cut at the cell's edges, so that walls tile seamlessly.
            const int left = std::max(shift + col * 16 + 1, 0);
            const int right = std::min(shift + col * 16 + 15, kCell);
            if (right > left) c.FillRect(x + left, y + row * 8 + 1, right - left, 6, kGrey);
        }
    }
    c.FillRect(x, y, kCell, 1, kLightGrey);
}

void DrawSpring(Canvas& c, int x, int y) {
    c.FillRect(x + 2, y + 26, 28, 6, kSlate);
    for (int i = 0; i < 4; ++i) c.FillRect(x + 8 + (i % 2) * 2, y + 12 + i * 4, 14, 2, kLightGrey);
    c.FillRect(x + 2, y + 6, 28, 6, kRed);
    c.FillRect(x + 2, y + 6, 28, 1, kPink);
}

void DrawSpikes(Canvas& c, int x, int y) {
    c.FillRect(x, y + 28, kCell, 4, kSlate);
    for (int s = 0; s < 4; ++s)
        for (int h = 0; h < 20; ++h) {
            const int half = (20 - h) / 5;
            c.FillRect(x + s * 8 + 4 - half, y + 8 + h, half * 2 + 1, 1,
                       h < 3 ? kWhite : kLightGrey);
        }
}

void DrawCoin(Canvas& c, int x, int y, int narrow) {
    const int w = 16 - narrow * 8;
    c.FillRect(x + 16 - w / 2, y + 6, w, 20, kOrange);
    c.FillRect(x + 16 - w / 2 + 2, y + 8, w - 4, 16, kYellow);
    c.FillRect(x + 15, y + 10, 2, 12, kOrange);
}

void DrawStar(Canvas& c, int x, int y, uint8_t colour) {
    static const std::vector<std::string> star = {
        ".......#........", ".......#........", "......###.......", "......###.......",
        "################", ".##############.", "..############..", "...##########...",
        "....########....", "...####..####...", "...###....###...", "..###......###..",
        "..##........##..", ".##..........##.", "................", "................"};
    c.Stamp(x, y, Double(star), "#", {colour});
}

Canvas BlockSheet() {
    Canvas sheet(128, 480, kClear);
    int x = 0, y = 0;
    BlockCell(1, x, y);
    DrawGround(sheet, x, y);
    BlockCell(2, x, y);
    DrawWall(sheet, x, y);
    BlockCell(3, x, y);
    DrawSpring(sheet, x, y);
    BlockCell(4, x, y);
    DrawSpikes(sheet, x, y);
    // Item graphics take two columns, n / 15 x 64 and 32 further: the coin (5) and the
    // goal star (6) turn between their two frames.
    BlockCell(5, x, y);
    DrawCoin(sheet, x, y, 0);
    DrawCoin(sheet, x + kCell, y, 1);
    BlockCell(6, x, y);
    DrawStar(sheet, x, y, kYellow);
    DrawStar(sheet, x + kCell, y, kCream);
    return sheet;
}

Canvas ShotSheet() {
    // Shot n at column n / 30 (64 dots apart), row n % 30: two frames each.
    Canvas sheet(64, 960, kClear);
    const uint8_t colours[2][2] = {{kOrange, kYellow}, {kCyan, kWhite}};
    for (int n = 0; n < 2; ++n)
        for (int frame = 0; frame < 2; ++frame) {
            const int cx = frame * kCell + 16, cy = n * kCell + 16;
            const int r = 6 + frame;
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx) {
                    const int d = dx * dx + dy * dy;
                    if (d <= r * r)
                        sheet.Set(cx + dx, cy + dy,
                                  d <= (r - 3) * (r - 3) ? colours[n][1] : colours[n][0]);
                }
        }
    return sheet;
}

// The menu cursor: an arrow pointing up and left.
const std::vector<std::string> kArrow = {
    "................", "..##............", "..#W#...........", "..#WW#..........",
    "..#WWW#.........", "..#WWWW#........", "..#WWWWW#.......", "..#WWWWWW#......",
    "..#WWWWWWW#.....", "..#WWWWW###.....", "..#WW#WW#.......", "..##..#WW#......",
    "......#WW#......", ".......##.......", "................", "................"};

// Cursors, status icons and the strip the HP and SP gauges are cut from.
Canvas SystemSheet() {
    Canvas sheet(256, 256, kClear);
    sheet.Stamp(0, 0, Double(kArrow), "#W", {kInk, kYellow});
    sheet.Stamp(64, 0, kArrow, "#W", {kInk, kYellow});
    // Icons down the first column from row 1: life, power, lives, score, time.
    static const std::vector<std::string> heart = {
        "................", "................", "...###....###...", "..#####..#####..",
        ".##############.", ".##############.", ".##############.", "..############..",
        "...##########...", "....########....", ".....######.....", "......####......",
        ".......##.......", "................", "................", "................"};
    sheet.Stamp(0, 32, Double(heart), "#", {kRed});
    DrawStar(sheet, 0, 64, kCyan);
    sheet.Stamp(0, 96, Double(kHeroStand), "HSIBL", {kDarkBrown, kSkin, kInk, kBlue, kDarkBlue},
                true);
    DrawCoin(sheet, 0, 128, 0);
    sheet.FillRect(6, 166, 20, 20, kWhite);
    sheet.FillRect(15, 168, 2, 9, kInk);
    sheet.FillRect(15, 176, 7, 2, kInk);
    // Gauge strip from row 208 in steps of two dots: empty bar, value, low value, loss,
    // gain; HP from column 0, SP from column 64.
    const uint8_t hp[5] = {kSlate, kGreen, kRed, kWhite, kYellow};
    const uint8_t sp[5] = {kSlate, kSky, kPurple, kWhite, kCyan};
    for (int k = 0; k < 5; ++k) {
        sheet.FillRect(0, 208 + k * 2, 50, 2, hp[k]);
        sheet.FillRect(64, 208 + k * 2, 50, 2, sp[k]);
    }
    sheet.Text(128, 8, "WRENFOLD", 1, kWhite);
    return sheet;
}

// 16 x 16 squares of the 256 colours: index i at (i % 16, i / 16).
Canvas PaletteSheet() {
    Canvas sheet(16, 16, kClear);
    for (int i = 0; i < 256; ++i) sheet.Set(i % 16, i / 16, static_cast<uint8_t>(i));
    return sheet;
}

void OutlinedText(Canvas& c, int x, int y, const std::string& text, int scale, uint8_t colour) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx || dy) c.Text(x + dx * scale, y + dy * scale, text, scale, kInk);
    c.Text(x, y, text, scale, colour);
}

Canvas TitlePicture() {
    Canvas pic(640, 480, kClear);
    for (int y = 0; y < 480; ++y)
        pic.FillRect(0, y, 640, 1, static_cast<uint8_t>(kSkyRamp + y * 64 / 480));
    // The sun, low over the hills.
    for (int dy = -40; dy <= 40; ++dy)
        for (int dx = -40; dx <= 40; ++dx)
            if (dx * dx + dy * dy <= 1600)
                pic.Set(560 + dx, 236 + dy, static_cast<uint8_t>(kEveningRamp + (dy + 40) / 3));
    // Two rows of hills.
    for (int x = 0; x < 640; ++x) {
        const int far =
            300 - static_cast<int>(
                      40.0 * ((x * 7 % 320) < 160 ? (x * 7 % 320) : 320 - (x * 7 % 320)) / 160.0);
        pic.FillRect(x, far, 1, 480 - far, kDarkGreen);
        const int nearTop = 350 - ((x / 4) % 40 < 20 ? (x / 4) % 40 : 40 - (x / 4) % 40);
        pic.FillRect(x, nearTop, 1, 480 - nearTop, kLeaf);
    }
    // A row of ground blocks with the hero and a walker on it.
    for (int x = 0; x < 640; x += kCell) DrawGround(pic, x, 416);
    DrawGround(pic, 0, 448);
    for (int x = 0; x < 640; x += kCell) DrawGround(pic, x, 448);
    pic.Stamp(470, 352, Double(Double(kHeroStand)), "HSIBL",
              {kDarkBrown, kSkin, kInk, kBlue, kDarkBlue});
    pic.Stamp(90, 384, Double(kWalkerWalk1), "RWIDL", {kRed, kWhite, kInk, kDarkRed, kDarkRed},
              true);
    DrawCoin(pic, 560, 330, 0);
    const std::string title = "WRENFOLD";
    OutlinedText(pic, (640 - Canvas::TextWidth(title, 10)) / 2, 60, title, 10, kYellow);
    const std::string sub = "A LITTLE ADVENTURE";
    OutlinedText(pic, (640 - Canvas::TextWidth(sub, 4)) / 2, 150, sub, 4, kWhite);
    return pic;
}

// Three 32 x 32 frames of a blade: raised, level, lowered. The right-facing picture is
// the left one mirrored frame by frame.
Canvas SwordPicture(bool facingRight) {
    Canvas pic(96, 32, kClear);
    for (int f = 0; f < 3; ++f) {
        const int slope = 1 - f;  // raised, level, lowered
        for (int i = 0; i < 24; ++i) {
            const int x = facingRight ? f * kCell + 4 + i : f * kCell + 27 - i;
            const int y = 16 - slope * (i / 2);
            pic.Set(x, y - 1, kWhite);
            pic.Set(x, y, kLightGrey);
            pic.Set(x, y + 1, kGrey);
        }
        const int hiltX = facingRight ? f * kCell + 2 : f * kCell + 26;
        pic.FillRect(hiltX, 11 + slope * 2, 4, 10, kBrown);
    }
    return pic;
}

// Four frames of a spark growing and fading, side by side.
Canvas SparkPicture() {
    Canvas pic(128, 32, kClear);
    const uint8_t colours[4] = {kWhite, kYellow, kOrange, kDarkRed};
    for (int f = 0; f < 4; ++f) {
        const int r = 4 + f * 3;
        for (int k = -r; k <= r; ++k) {
            pic.Set(f * kCell + 16 + k, 16, colours[f]);
            pic.Set(f * kCell + 16, 16 + k, colours[f]);
            if (k % 2 == 0) {
                pic.Set(f * kCell + 16 + k * 2 / 3, 16 + k * 2 / 3, colours[f]);
                pic.Set(f * kCell + 16 + k * 2 / 3, 16 - k * 2 / 3, colours[f]);
            }
        }
    }
    return pic;
}

// The picture the show-picture command of the sample puts up: a wooden sign.
Canvas SignPicture() {
    Canvas pic(256, 128, kClear);
    pic.FillRect(120, 96, 16, 32, kDarkBrown);
    pic.FillRect(0, 0, 256, 96, kDarkBrown);
    pic.FillRect(4, 4, 248, 88, kSand);
    const std::string line1 = "WELL DONE!";
    const std::string line2 = "ON TO THE GOAL";
    pic.Text((256 - Canvas::TextWidth(line1, 3)) / 2, 18, line1, 3, kInk);
    pic.Text((256 - Canvas::TextWidth(line2, 2)) / 2, 60, line2, 2, kDarkRed);
    return pic;
}

// ---- The pictures of the screens (built-in entries 40 and on) ---------------------------

constexpr uint8_t kNavy = 36;  // deep blues of the sky ramp
constexpr uint8_t kFrameLight = 240;

// Window skin: a deep blue that lightens downward with a fine light rim, so that every
// box cut from its top-left corner shows a rim on two sides and a soft shade.
Canvas WindowSkin() {
    Canvas pic(640, 480, kClear);
    for (int y = 0; y < 480; ++y)
        pic.FillRect(0, y, 640, 1, static_cast<uint8_t>(kNavy + std::min(y / 24, 12)));
    pic.FillRect(0, 0, 640, 1, kFrameLight);
    pic.FillRect(0, 0, 1, 480, kFrameLight);
    pic.FillRect(1, 1, 638, 1, kSlate);
    pic.FillRect(1, 1, 1, 478, kSlate);
    return pic;
}

// The cursor sheet: the 32x32 arrow cursor and its second frame, the 16x16 cursor at x 64,
// the life icon at (0, 48), and the hero walking on the world map by facing: down at
// (0, 64), up at (64, 64), left at (64, 96), right at (0, 96), each with its second frame
// 32 dots to the right.
Canvas CursorSheet() {
    Canvas sheet(128, 128, kClear);
    sheet.Stamp(0, 0, Double(kArrow), "#W", {kInk, kYellow});
    sheet.Stamp(34, 0, Double(kArrow), "#W", {kInk, kOrange});
    sheet.Stamp(64, 0, kArrow, "#W", {kInk, kYellow});
    static const std::vector<std::string> heart = {
        "................", "..###....###....", ".#####..#####...", "#############...",
        "#############...", ".###########....", "..#########.....", "...#######......",
        "....#####.......", ".....###........", "......#.........", "................",
        "................", "................", "................", "................"};
    sheet.Stamp(0, 48, heart, "#", {kRed});
    const struct {
        int x, y;
        bool mirror;
        const std::vector<std::string>* frame[2];
    } walks[] = {{0, 64, false, {&kHeroStand, &kHeroStand2}},
                 {64, 64, true, {&kHeroStand2, &kHeroStand}},
                 {64, 96, false, {&kHeroWalk1, &kHeroWalk2}},
                 {0, 96, true, {&kHeroWalk1, &kHeroWalk2}}};
    for (const auto& w : walks)
        for (int f = 0; f < 2; ++f)
            sheet.Stamp(w.x + f * kCell, w.y, Double(*w.frame[f]), "HSIBL",
                        {kDarkBrown, kSkin, kInk, kBlue, kDarkBlue}, w.mirror);
    return sheet;
}

// The picture menu: one 32-dot row per title item id, the label in outlined capitals.
Canvas TitleMenuPicture() {
    const char* labels[] = {"NEW GAME", "CONTINUE", "CHALLENGE", "FREE PLAY",
                            "REPLAY",   "OPTIONS",  "QUIT"};
    Canvas pic(224, 32 * 7, kClear);
    for (int id = 0; id < 7; ++id)
        OutlinedText(pic, 4, id * 32 + 9, labels[id], 2, id == 6 ? kCream : kWhite);
    return pic;
}

// Letter pictures a..z in 32-dot cells along the first row.
Canvas LetterPicture() {
    Canvas pic(26 * kCell, kCell, kClear);
    for (int i = 0; i < 26; ++i) {
        const std::string letter(1, static_cast<char>('A' + i));
        OutlinedText(pic, i * kCell + 9, 6, letter, 3, kCream);
    }
    return pic;
}

// Thirty-two 32x32 overlay frames: a sparkle turning round.
Canvas AnimePicture() {
    Canvas pic(256, 128, kClear);
    for (int f = 0; f < 32; ++f) {
        const int x = (f % 8) * kCell + 16, y = (f / 8) * kCell + 16;
        const int r = 3 + (f % 4) * 2;
        for (int k = -r; k <= r; ++k) {
            pic.Set(x + k, y, kWhite);
            pic.Set(x, y + k, kWhite);
        }
        pic.Set(x, y, kYellow);
    }
    return pic;
}

// World-map chips, five across: grass, path, water (blocked), trees (blocked), sand.
Canvas MapChipPicture() {
    Canvas pic(5 * kCell, 2 * kCell, kClear);
    const uint8_t base[5] = {kGreen, kSand, kBlue, kDarkGreen, kCream};
    const uint8_t dots[5] = {kLeaf, kBrown, kSky, kGreen, kSand};
    for (int n = 0; n < 5; ++n) {
        pic.FillRect(n * kCell, 0, kCell, kCell, base[n]);
        for (int i = 0; i < 6; ++i)
            pic.FillRect(n * kCell + (i * 11) % 28 + 2, 4 + (i * 7) % 24, 3, 2, dots[n]);
    }
    return pic;
}

// World-map points: open (x 0) and cleared (x 32), one row per graphic number.
Canvas MapPointPicture() {
    Canvas pic(2 * kCell, 4 * kCell, kClear);
    const uint8_t colours[4] = {kRed, kBlue, kPurple, kOrange};
    for (int row = 0; row < 4; ++row) {
        for (int cleared = 0; cleared < 2; ++cleared) {
            const int cx = cleared * kCell + 16, cy = row * kCell + 16;
            for (int dy = -10; dy <= 10; ++dy)
                for (int dx = -10; dx <= 10; ++dx)
                    if (dx * dx + dy * dy <= 100)
                        pic.Set(cx + dx, cy + dy,
                                dx * dx + dy * dy > 64
                                    ? uint8_t{kInk}
                                    : (cleared ? uint8_t{kYellow} : colours[row]));
        }
        DrawStar(pic, kCell, row * kCell, kYellow);
    }
    return pic;
}

// The status bar sheet: 16x16 icons in row 32 (score, bonus, hit points, skill points,
// lives), gauge frames at (0, 128) and (64, 128), fills at y 144 and, low, at y 160.
Canvas StatusPicture() {
    Canvas pic(128, 192, kClear);
    static const std::vector<std::string> coin = {
        "......####......", "....##YYYY##....", "...#YYYYYYYY#...", "..#YYY####YYY#..",
        "..#YY#YYYY#YY#..", ".#YY#YYYYYY#YY#.", ".#YY#YYYYYY#YY#.", ".#YY#YYYYYY#YY#.",
        ".#YY#YYYYYY#YY#.", "..#YY#YYYY#YY#..", "..#YYY####YYY#..", "...#YYYYYYYY#...",
        "....##YYYY##....", "......####......", "................", "................"};
    const uint8_t tint[5] = {kYellow, kOrange, kGreen, kSky, kPink};
    for (int i = 0; i < 5; ++i) pic.Stamp(i * 16, 32, coin, "#Y", {kInk, tint[i]});
    for (int g = 0; g < 2; ++g) {
        pic.FillRect(g * 64, 128, 50, 16, kInk);
        pic.FillRect(g * 64 + 1, 129, 48, 14, kSlate);
        pic.FillRect(g * 64, 144, 50, 16, g ? kSky : kGreen);
        pic.FillRect(g * 64, 160, 50, 16, kRed);
    }
    return pic;
}

// Digits 0..9 in 32x32 cells along row 0 (and again in row 160 of a taller sheet).
Canvas DigitPicture() {
    Canvas pic(10 * kCell, 192, kClear);
    for (int d = 0; d < 10; ++d) {
        const std::string digit(1, static_cast<char>('0' + d));
        OutlinedText(pic, d * kCell + 9, 6, digit, 3, kWhite);
        OutlinedText(pic, d * kCell + 9, 166, digit, 3, kYellow);
    }
    return pic;
}

// A picture of lines of outlined words, each in its own 32-dot row.
Canvas WordsPicture(int width, const std::vector<std::string>& words, uint8_t colour) {
    Canvas pic(width, kCell * static_cast<int>(words.size()), kClear);
    for (size_t i = 0; i < words.size(); ++i)
        OutlinedText(pic, (width - Canvas::TextWidth(words[i], 4)) / 2,
                     static_cast<int>(i) * kCell + 2, words[i], 4, colour);
    return pic;
}

// The banners where stage play reads them: "STAGE" (0, 0, 128 wide) with the start word
// beside it (160, 0, 80 wide), the replay banner in row 1, "CLEAR" in row 2 and the
// game-over banner (144 wide) in row 3; each word centred in its box.
Canvas BannerPicture() {
    Canvas pic(256, 4 * kCell, kClear);
    const struct {
        int x, y, width, scale;
        const char* word;
    } words[] = {{0, 0, 128, 4, "STAGE"},
                 {160, 0, 80, 4, "GO!"},
                 {0, 32, 128, 3, "REPLAY"},
                 {0, 64, 128, 4, "CLEAR"},
                 {0, 96, 144, 2, "GAME OVER"}};
    for (const auto& w : words)
        OutlinedText(pic, w.x + (w.width - Canvas::TextWidth(w.word, w.scale)) / 2,
                     w.y + (kCell - 7 * w.scale) / 2, w.word, w.scale, kYellow);
    return pic;
}

// Small graphics that rise over the hero: a coin, a heart, a star.
Canvas ItemGetPicture() {
    Canvas pic(3 * kCell, kCell, kClear);
    DrawCoin(pic, 0, 0, 0);
    DrawStar(pic, kCell, 0, kYellow);
    DrawStar(pic, 2 * kCell, 0, kPink);
    return pic;
}

// The strip under the status bar in its first 20 rows.
Canvas StripPicture() {
    Canvas pic(640, kCell, kClear);
    pic.FillRect(0, 0, 640, 20, kInk);
    pic.FillRect(0, 19, 640, 1, kSlate);
    return pic;
}

}  // namespace

std::vector<PictureFile> MakePictures() {
    std::vector<PictureFile> files;
    // The sheets the built-in table requires, and the pictures the databases name.
    files.push_back({"bmp\\plt\\Palette.bmp", PaletteSheet()});
    files.push_back({"bmp\\Debug.bmp", SystemSheet()});
    files.push_back({"bmp\\Block.bmp", BlockSheet()});
    files.push_back({"bmp\\Character1.bmp", CharacterSheet()});
    files.push_back({"bmp\\Shot.bmp", ShotSheet()});
    files.push_back({"bmp\\sword\\Sword_L.bmp", SwordPicture(false)});
    files.push_back({"bmp\\sword\\Sword_R.bmp", SwordPicture(true)});
    files.push_back({"bmp\\effect\\Spark.bmp", SparkPicture()});
    files.push_back({"bmp\\picture\\Sign.bmp", SignPicture()});
    // The title picture and every named picture of the built-in table from entry 40 on:
    // the player does without each of them.
    const auto optional = [&files](const char* path, Canvas canvas) {
        files.push_back({path, std::move(canvas), true});
    };
    optional(kTitlePicture, TitlePicture());
    optional("bmp\\Status.bmp", StatusPicture());
    optional("bmp\\Digit.bmp", DigitPicture());
    optional("bmp\\Banner.bmp", BannerPicture());
    optional("bmp\\Anime.bmp", AnimePicture());
    optional("bmp\\ItemGet.bmp", ItemGetPicture());
    optional("bmp\\Window.bmp", WindowSkin());
    optional("bmp\\Result.bmp", WordsPicture(480, {"RESULT", "RANKING", "NEW RECORD"}, kWhite));
    optional("bmp\\TitleMenu.bmp", TitleMenuPicture());
    optional("bmp\\System.bmp", CursorSheet());
    optional("bmp\\Letter.bmp", LetterPicture());
    optional("bmp\\Pause.bmp", WordsPicture(320, {"PAUSE", "RETRY"}, kWhite));
    optional("bmp\\MapChip.bmp", MapChipPicture());
    optional("bmp\\MapPoint.bmp", MapPointPicture());
    optional("bmp\\Strip.bmp", StripPicture());
    return files;
}

HalfBlendTable MakeHalfBlendTable(const PALETTEENTRY* palette) {
    // Colours are doubled, so that the halfway colour (the sum of two) needs no rounding.
    // The entries in order of red: the search for the nearest goes out both ways from the
    // halfway colour's red and stops where red alone is farther than the best found.
    struct Entry {
        int red, green, blue, index;
    };
    std::vector<Entry> byRed;
    for (int i = 0; i < 256; ++i)
        byRed.push_back({2 * palette[i].peRed, 2 * palette[i].peGreen, 2 * palette[i].peBlue, i});
    std::stable_sort(byRed.begin(), byRed.end(),
                     [](const Entry& x, const Entry& y) { return x.red < y.red; });
    HalfBlendTable table{};
    for (int a = 0; a < 256; ++a) {
        for (int b = a; b < 256; ++b) {
            const int red = palette[a].peRed + palette[b].peRed;
            const int green = palette[a].peGreen + palette[b].peGreen;
            const int blue = palette[a].peBlue + palette[b].peBlue;
            int best = INT_MAX, nearest = 0;
            const auto consider = [&](const Entry& e) {
                const int d = (red - e.red) * (red - e.red) +
                              (green - e.green) * (green - e.green) +
                              (blue - e.blue) * (blue - e.blue);
                if (d < best || (d == best && e.index < nearest)) best = d, nearest = e.index;
            };
            const auto from = std::lower_bound(byRed.begin(), byRed.end(), red,
                                               [](const Entry& e, int r) { return e.red < r; });
            for (auto it = from; it != byRed.end() && (it->red - red) * (it->red - red) <= best;
                 ++it)
                consider(*it);
            for (auto it = from;
                 it != byRed.begin() && (red - (it - 1)->red) * (red - (it - 1)->red) <= best; --it)
                consider(*(it - 1));
            table[static_cast<size_t>(a * 256 + b)] = static_cast<uint8_t>(nearest);
            table[static_cast<size_t>(b * 256 + a)] = static_cast<uint8_t>(nearest);
        }
    }
    return table;
}

namespace {

// The tables of the palette picture's colours in every hue variation, made once.
const std::vector<HalfBlendTable>& HalfBlendTables() {
    static const std::vector<HalfBlendTable> tables = [] {
        std::vector<HalfBlendTable> out(kHbtPaletteCount);
        for (int n = 0; n < kHbtPaletteCount; ++n) {
            PALETTEENTRY palette[256];
            for (size_t i = 0; i < 256; ++i) {
                const Rgb& c = SamplePalette()[i];
                palette[i] = {c.r, c.g, c.b, 0};
            }
            ApplyHueVariation(palette, n);
            out[static_cast<size_t>(n)] = MakeHalfBlendTable(palette);
        }
        return out;
    }();
    return tables;
}

}  // namespace

bool WritePictures(std::string& error, SampleKind kind) {
    for (const PictureFile& file : MakePictures()) {
        if (file.optional && kind == SampleKind::RequiredOnly) continue;
        const std::string folder = file.path.substr(0, file.path.rfind('\\'));
        if (!platform::fs::CreateGameDirectory(folder) ||
            !platform::fs::WriteFileAtomic(file.path, EncodeBmp8(file.canvas, SamplePalette()))) {
            error = "cannot write " + file.path;
            return false;
        }
    }
    if (!platform::fs::CreateGameDirectory("bmp\\hbt")) return CannotWrite(error, "bmp\\hbt");
    for (int n = 0; n < kHbtPaletteCount; ++n) {
        const HalfBlendTable& table = HalfBlendTables()[static_cast<size_t>(n)];
        const std::string path = HbtTablePath(n);
        if (!platform::fs::WriteFileAtomic(path, table)) return CannotWrite(error, path);
    }
    return true;
}

}  // namespace sample
