// Whole frames of the player in tests: a region of the frame hashed for comparison, and
// the frame written as a bitmap for review by eye.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "support/bmp.h"
#include "support/temp_dir.h"

namespace wftest {

// FNV-1a of the 0xRRGGBB values of a rectangle of a 640-wide frame.
inline uint64_t RegionHash(const std::vector<uint32_t>& px, int x, int y, int w, int h) {
    uint64_t hash = 1469598103934665603ull;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) {
            hash ^= px[static_cast<size_t>(j) * 640 + i] & 0xFFFFFFu;
            hash *= 1099511628211ull;
        }
    return hash;
}

// The 640 x 480 frame as dir/name.bmp (24 bits).
inline void WriteReviewBmp(const std::filesystem::path& dir, const std::string& name,
                           const std::vector<uint32_t>& px) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::vector<uint32_t> rgb(px.size());
    for (size_t i = 0; i < px.size(); ++i) rgb[i] = px[i] & 0xFFFFFFu;
    WriteBytes(dir / (name + ".bmp"), Bmp24(640, 480, rgb));
}

}  // namespace wftest
