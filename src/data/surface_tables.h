// Layouts of the built-in bitmap and font table entries. The tables themselves and
// their start-up rewrite live with the vocabularies of the data layer.
#pragma once

#include <cstdint>

// One entry of a bitmap table: a file name ("E" asks for an empty surface) and ten
// creation values.
struct DDSURFACEFILE {
    char szFileName[260];
    int32_t p1, p2, p3, p4, p5;
    int32_t p6;  // nonzero: a missing file or a failed creation is passed over
    int32_t p7, p8;
    int32_t p9, p10;  // width and height of an empty surface
};
static_assert(sizeof(DDSURFACEFILE) == 300);

// One built-in font definition: a face name and ten creation values.
struct DDFONTINFO {
    char szFaceName[256];
    int32_t q1, q2, q3, q4, q5, q6, q7, q8, q9, q10;
};
static_assert(sizeof(DDFONTINFO) == 296);

constexpr int kBitmapTableSize = 71;
constexpr int kTextSurfaceTableSize = 3;
constexpr int kFontTableSize = 3;
