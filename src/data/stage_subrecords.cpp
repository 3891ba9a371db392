// Active areas, background layers and stage strings of a stage file.
#include "data/stage_subrecords.h"

#include <cmath>

// ---- cStageParam -------------------------------------------------------------------

void cStageParam::RegisterFields(uint32_t version) {
    // Each value is a field of its own, so a file before 125 says 5 and a newer one 8.
    Reg(m_abEraseSide[0]);
    if (version >= 125) {
        Reg(m_abEraseSide[1]);
        Reg(m_abEraseSide[2]);
        Reg(m_abEraseSide[3]);
    }
    for (int32_t& dist : m_anEraseDist) Reg(dist);
}

void cStageParam::Set8(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t distLeft,
                       int32_t distRight, int32_t distTop, int32_t distBottom) {
    m_abEraseSide[0] = left;
    m_abEraseSide[1] = right;
    m_abEraseSide[2] = top;
    m_abEraseSide[3] = bottom;
    m_anEraseDist[0] = distLeft;
    m_anEraseDist[1] = distRight;
    m_anEraseDist[2] = distTop;
    m_anEraseDist[3] = distBottom;
}

// ---- cBackground -------------------------------------------------------------------

void cBackground::RegisterFields(uint32_t version) {
    if (version >= 62) Reg(m_bVisible);
    Reg(m_nKind);
    Reg(m_nFillColor);
    Reg(m_nGroup);
    if (version < 61) {
        // Two words where the follow factors came later; their values mean nothing now.
        RegDropped();
        RegDropped();
    } else {
        Reg(m_dScrollSpeedX);
        Reg(m_dScrollSpeedY);
        Reg(m_bAutoScrollX);
        Reg(m_bAutoScrollY);
        if (version == 61) {
            // Version 61 kept the offsets as words; 62 made them doubles.
            RegDropped();
            RegDropped();
        } else {
            Reg(m_dOffsetX);
            Reg(m_dOffsetY);
        }
    }
    RegStr(m_sPicture);
}

void cBackground::SetDefaults() {
    Clear();
    // Every member by hand as well: before start-up sets the data version the registry
    // holds only the oldest layout, and a new layer must not depend on that.
    m_bVisible = 1;
    m_nKind = 0;
    m_nFillColor = 16;
    m_nGroup = 0;
    m_dScrollSpeedX = 0.1;
    m_dScrollSpeedY = 0.1;
    m_bAutoScrollX = 0;
    m_bAutoScrollY = 0;
    m_dOffsetX = 0;
    m_dOffsetY = 0;
    m_sPicture.clear();
}

namespace {

// One step of an offset kept in [0, size): a single wrap, as the game does it.
void StepOffset(double& offset, double speed, int32_t size) {
    offset -= speed;
    if (offset < 0)
        offset += size;
    else if (offset >= size)
        offset -= size;
}

}  // namespace

void cBackground::StepAutoScroll(int32_t pictureWidth, int32_t pictureHeight) {
    if (m_bAutoScrollX) StepOffset(m_dOffsetX, m_dScrollSpeedX, pictureWidth);
    if (m_bAutoScrollY) StepOffset(m_dOffsetY, m_dScrollSpeedY, pictureHeight);
}

int32_t cBackground::PictureX(double cameraX, int32_t originX) const {
    if (m_bAutoScrollX) return static_cast<int32_t>(m_dOffsetX + cameraX - 32.0 * originX);
    const double camera = std::trunc(cameraX + 0.5);
    return static_cast<int32_t>((camera - 32.0 * originX) * m_dScrollSpeedX);
}

int32_t cBackground::PictureY(double cameraY, int32_t originY) const {
    if (m_bAutoScrollY) return static_cast<int32_t>(m_dOffsetY + cameraY - 32.0 * originY);
    // Vertically the camera is cut, not rounded: the game has it so, and a layer moving
    // half a dot differently would show in replays compared by picture.
    const double camera = std::trunc(cameraY);
    return static_cast<int32_t>((camera - 32.0 * originY) * m_dScrollSpeedY);
}

int32_t TileStart(int32_t position, int32_t size) {
    if (size <= 0) return 0;
    const int32_t r = position % size;
    return r < 0 ? r + size : r;
}

// ---- cStageString --------------------------------------------------------------------

void cStageString::RegisterFields(uint32_t /*version*/) {
    RegStr(m_sText);
}

// ---- Lists -----------------------------------------------------------------------------

bool ReadStageCount(ByteReader& in, int32_t& count, size_t minElementBytes, const char* what) {
    bool present = false;
    if (!in.ReadPartCount(count, minElementBytes, present)) return false;
    if (!present) in.NoteDamage(what, sizeof(uint32_t));
    return present;
}

namespace {

template <class T>
bool LoadRecordList(std::vector<T>& list, ByteReader& in, const CancelFlag* cancel,
                    const T& prototype, const char* what) {
    int32_t count = 0;
    if (!ReadStageCount(in, count, kMinRecordBytes, what)) return false;
    list.clear();
    list.resize(static_cast<size_t>(count < 0 ? 0 : count), prototype);
    for (T& element : list) {
        if (cancel && cancel->load()) return false;
        if (!ReadWholeElement(in, kMinRecordBytes, what, [&] { return element.Load(in.File()); }))
            return false;
    }
    return true;
}

}  // namespace

bool LoadBackgroundList(std::vector<cBackground>& list, ByteReader& in, const CancelFlag* cancel) {
    return LoadRecordList(list, in, cancel, cBackground(), "background layer");
}

bool LoadStageStringList(std::vector<cStageString>& list, ByteReader& in,
                         const CancelFlag* cancel) {
    return LoadRecordList(list, in, cancel, cStageString(), "stage string");
}

bool LoadBackgroundList(std::vector<cBackground>& list, FILE* fp) {
    ByteReader in(fp);
    return LoadBackgroundList(list, in);
}

bool LoadStageStringList(std::vector<cStageString>& list, FILE* fp) {
    ByteReader in(fp);
    return LoadStageStringList(list, in);
}

void AssignBackgroundList(std::vector<cBackground>& dst, const std::vector<cBackground>& src) {
    if (&dst == &src) return;
    dst.assign(src.size(), cBackground());
    for (size_t i = 0; i < src.size(); ++i) dst[i] = src[i];
}

void AssignStageStringList(std::vector<cStageString>& dst, const std::vector<cStageString>& src) {
    if (&dst == &src) return;
    dst.assign(src.size(), cStageString());
    for (size_t i = 0; i < src.size(); ++i) dst[i] = src[i];
}
