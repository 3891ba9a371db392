// The row loops of the effect blits against their pixel-by-pixel reference loops: thousands
// of random rectangles, keys, transparency flags, alpha levels, tints, fades, lenses, blurs,
// mosaics and mirrored or shared sources in every drawing mode and depth must leave the
// same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "media/draw/dd_draw_helpers.h"
#include "media/draw/dd_effect_blit.h"
#include "support/dd_effect_fixture.h"
#include "support/dd_random.h"

using namespace wftest;

namespace {

// One random case: the surfaces drawn with and from, and the rectangle.
struct EffectCase {
    DDSURFACEDATA* dst;
    DDSURFACEDATA* src;
    int x, y, w, h, sx, sy, transparent, level;
};

struct EffectOp {
    const char* name;
    std::function<bool(const EffectCase&, const HalfBlendTable*, const PALETTEENTRY*)> draw;
};

const EffectOp kOps[] = {
    {"alpha",
     [](const EffectCase& c, const HalfBlendTable* table, const PALETTEENTRY*) {
         return DDBltAlpha(c.dst, c.x, c.y, c.w, c.h, c.src, c.sx, c.sy, c.transparent, table,
                           c.level);
     }},
    {"tint",
     [](const EffectCase& c, const HalfBlendTable* table, const PALETTEENTRY* palette) {
         return DDBltTint(c.dst, c.x, c.y, c.w, c.h, c.src, c.sx, c.sy, c.transparent, palette,
                          table, c.level % 256, c.level % 7 - 1);
     }},
    {"rotate",
     [](const EffectCase& c, const HalfBlendTable*, const PALETTEENTRY*) {
         return DDBltRotate(c.dst, c.x, c.y, c.w, c.h, c.sx % 20 - 5, c.sy % 14 - 3,
                            (c.level - 150) * 2.7, c.src, c.sx, c.sy, c.transparent);
     }},
    {"fade",
     [](const EffectCase& c, const HalfBlendTable*, const PALETTEENTRY*) {
         return DDFade_UnPal(c.dst, c.level % 300 - 20, static_cast<uint8_t>(c.level * 7),
                             static_cast<uint8_t>(c.level * 13), static_cast<uint8_t>(c.level),
                             c.src);
     }},
    {"lens",
     [](const EffectCase& c, const HalfBlendTable*, const PALETTEENTRY*) {
         return DDBltDisc(c.dst, c.x, c.y, c.w % 40, c.h % 25, c.src, c.sx, c.sy, c.transparent,
                          c.level % 2);
     }},
    {"blur",
     [](const EffectCase& c, const HalfBlendTable*, const PALETTEENTRY*) {
         return DDBltBlur(c.dst, c.x, c.y, c.w, c.h, c.level % 13, c.level / 6 % 19, c.src, c.sx,
                          c.sy, c.transparent);
     }},
    {"mosaic",
     [](const EffectCase& c, const HalfBlendTable*, const PALETTEENTRY*) {
         return DDBltMosaic(c.dst, c.x, c.y, c.w, c.h, c.level % 11, c.src, c.sx, c.sy,
                            c.transparent);
     }},
};

}  // namespace

class EffectRowsTest : public EffectTest {
  protected:
    void TearDown() override {
        DDUseReferenceEffectLoopsForTest(false);
        EffectTest::TearDown();
    }
    // Pixels drawn mostly from the values the rules single out (the colour key, hidden
    // pixels, transparent black), the rest random; of the back buffer only the corner the
    // cases reach.
    void Paint(DDSURFACEDATA* sd, Rng& rng) {
        vid::Image& img = Pixels(*sd);
        const uint32_t key = D3D() ? 0 : DDDevice().dwColorKey;
        const uint32_t few[] = {key, Hidden(), P(3), P(7), Blank()};
        for (int y = 0; y < std::min(img.Height(), 64); ++y)
            for (int x = 0; x < std::min(img.Width(), 112); ++x)
                img.Set(x, y, rng.Next() % 3 ? few[rng.Next() % 5] : rng.Next());
    }
};

INSTANTIATE_TEST_SUITE_P(Modes, EffectRowsTest, testing::Range(0, static_cast<int>(kModeCount)),
                         ModeName);

TEST_P(EffectRowsTest, RowLoopsMatchTheReferenceLoops) {
    PALETTEENTRY palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = {static_cast<uint8_t>(i * 5), static_cast<uint8_t>(255 - i),
                      static_cast<uint8_t>(i * 3), 0};
    DDSURFACEDATA* sources[] = {Source(40, 24), Source(40, 24), Source(40, 24)};
    DDSURFACEDATA* targets[] = {Make(48, 30), &BackBuffer};
    // Mirrored twins of the first source (Direct3D reads them turned over): by cells of 8
    // columns, and whole both ways.
    DDSURFACEDATA* twins[2];
    for (int i = 0; i < 2; ++i) {
        twins[i] = Own();
        twins[i]->lpAlias = sources[0];
        twins[i]->nMirrorCellWidth = i ? 40 : 8;
        twins[i]->nMirrorCellHeight = i ? 24 : 0;
        twins[i]->nWidth = 40;
        twins[i]->nHeight = 24;
    }
    Rng rng(31 + static_cast<uint32_t>(Index()));
    // The target before each case and the reference loops' result, kept across cases: a
    // copy of the whole back buffer then reuses their storage instead of taking fresh pages
    // each time, which cost more than all the drawing (most of all under the sanitizers).
    vid::Image before;
    vid::Image reference;
    for (const EffectOp& op : kOps) {
        for (int n = 0; n < 600; ++n) {
            EffectCase c{};
            c.dst = targets[rng.Next() % 4 == 0 ? 1 : 0];
            const int pick = static_cast<int>(rng.Next() % 8);
            DDSURFACEDATA* twin = twins[rng.Next() % 2];
            c.src = pick == 0 ? c.dst : pick <= 2 ? twin : sources[pick % 3];
            c.x = rng.In(-20, 45), c.y = rng.In(-10, 28);
            c.w = rng.In(0, 60), c.h = rng.In(0, 30);
            c.sx = rng.In(-10, 40), c.sy = rng.In(-8, 24);
            c.transparent = rng.Next() % 3 ? 1 : 0;
            c.level = rng.In(0, 300);
            for (DDSURFACEDATA* s : sources) Paint(s, rng);
            Paint(c.dst, rng);
            SCOPED_TRACE(testing::Message()
                         << op.name << " case " << n << " at " << c.x << "," << c.y << " " << c.w
                         << "x" << c.h << " from " << c.sx << "," << c.sy
                         << (c.src == c.dst  ? " itself"
                             : c.src == twin ? " twin"
                                             : "")
                         << (c.dst == &BackBuffer ? " onto the back buffer" : "") << " transparent "
                         << c.transparent << " level " << c.level);
            before = Pixels(*c.dst);
            DDUseReferenceEffectLoopsForTest(true);
            const bool referenceOk = op.draw(c, &halfTable_, palette);
            reference = Pixels(*c.dst);
            Pixels(*c.dst) = before;
            DDUseReferenceEffectLoopsForTest(false);
            EXPECT_EQ(op.draw(c, &halfTable_, palette), referenceOk);
            ASSERT_TRUE(Pixels(*c.dst).SizeBytes() == reference.SizeBytes() &&
                        std::equal(reference.Data(), reference.Data() + reference.SizeBytes(),
                                   Pixels(*c.dst).Data()));
        }
    }
}
