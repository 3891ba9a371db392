// The world map file: its records, the grid resize, the clean-up and the stage lookup.
#include "data/world_map.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "core/msgbox.h"
#include "core/paths.h"

// ---- cWorldMapEntry ------------------------------------------------------------------

void cWorldMapEntry::RegisterFields(uint32_t /*version*/) {
    Reg(m_nEntryValue);
    Reg(m_bBlocked);
    Reg(m_nGraphic);
    RegStr(m_sEntryText);
    RegStr(m_sLabel);
}

// ---- cWorldMapRec --------------------------------------------------------------------

void cWorldMapRec::RegisterFields(uint32_t version) {
    Reg(m_nKind);
    for (int32_t& value : m_anRecValue) Reg(value);
    Reg(m_nRecValue9);
    if (version >= 209) Reg(m_nRecValue10);
    if (version >= 758) {
        Reg(m_bNumbered);
        Reg(m_nCourse1);
        Reg(m_nCourse2);
    }
    RegStr(m_sRecName);
    RegStr(m_sStageFile);
}

bool cWorldMapRec::Load(FILE* fp) {
    const bool ok = cSaveRecord::Load(fp);
    if (FileVersion() < 209) m_nRecValue10 = 0;
    return ok;
}

// ---- cWorldMapPoint ------------------------------------------------------------------

void cWorldMapPoint::RegisterFields(uint32_t /*version*/) {
    Reg(m_nX);
    Reg(m_nY);
    RegStr(m_sName);
}

bool cWorldMapPoint::Load(FILE* fp) {
    return cSaveRecord::Load(fp) && LoadRecList(m_vRecs, fp);
}

bool cWorldMapPoint::Save(FILE* fp) {
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    return WriteList(out, m_vRecs);
}

// ---- List readers ---------------------------------------------------------------------

namespace {
template <RecordType T>
bool LoadList(std::vector<T>& list, FILE* fp) {
    ByteReader in(fp);
    return ReadList(in, list);
}
}  // namespace

bool LoadCellTypeList(std::vector<cWorldMapEntry>& list, FILE* fp) {
    return LoadList(list, fp);
}

bool LoadPointList(std::vector<cWorldMapPoint>& list, FILE* fp) {
    return LoadList(list, fp);
}

bool LoadRecList(std::vector<cWorldMapRec>& list, FILE* fp) {
    return LoadList(list, fp);
}

// ---- cWorldMapData -------------------------------------------------------------------

void cWorldMapData::RegisterFields(uint32_t /*version*/) {
    Reg(m_nWidth);
    Reg(m_nHeight);
    Reg(m_nPitch);
    Reg(m_nPitchShift);
    Reg(m_nStartX);
    Reg(m_nStartY);
    Reg(m_nBackColor);
    Reg(m_bBackPicture);
    RegStr(m_sName);
    RegStr(m_sBackPictureFile);
}

bool cWorldMapData::Load(FILE* fp) {
    cWorldMapData loaded(*this);
    if (!loaded.cSaveRecord::Load(fp)) return false;
    ByteReader in(fp);
    // Each list is replaced whole by what the file holds; a part the file does not
    // reach keeps what the map had.
    if (!LoadCellTypeList(loaded.m_vCellTypes, fp) || !ReadList(in, loaded.m_vGrid) ||
        !LoadPointList(loaded.m_vPoints, fp) || !LoadPointList(loaded.m_vPoints2, fp))
        return false;
    loaded.Validate();
    *this = std::move(loaded);
    return true;
}

bool cWorldMapData::Save(FILE* fp) {
    Validate();
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    return WriteList(out, m_vCellTypes) && WriteList(out, m_vGrid) && WriteList(out, m_vPoints) &&
           WriteList(out, m_vPoints2);
}

void cWorldMapData::Validate() {
    // The last cell of a side; a damaged file's smallest size has none before it.
    auto last = [](int32_t size) { return size > INT32_MIN ? size - 1 : size; };
    if (m_nStartX >= m_nWidth) m_nStartX = last(m_nWidth);
    if (m_nStartY >= m_nHeight) m_nStartY = last(m_nHeight);
    // Only the far edges: a negative coordinate stays, as the editor may have meant it.
    // The second point list is the screen's own business and is not examined.
    std::erase_if(m_vPoints, [this](const cWorldMapPoint& p) {
        return p.m_nX >= m_nWidth || p.m_nY >= m_nHeight;
    });
}

uint32_t cWorldMapData::SetSize(int32_t width, int32_t height) {
    // A negative size is refused like 0: it would make a grid of a negative cell count.
    if (width <= 0 || height <= 0) {
        DebugErrorBoxF("SetSize");
        return 0;
    }
    int32_t shift = 0;
    for (uint32_t rest = static_cast<uint32_t>(width) - 1; rest != 0; rest >>= 1) ++shift;
    const int64_t cells = static_cast<int64_t>(height) << shift;
    if (cells > INT32_MAX) {
        DebugErrorBoxF("SetSize");
        return 0;
    }

    const int32_t oldWidth = m_nWidth;
    const int32_t oldHeight = m_nHeight;
    const int32_t oldShift = m_nPitchShift;
    std::vector<uint32_t> old;
    if (!m_vGrid.empty()) {
        DebugErrorBoxF("nBeforeWidth = %d,nBeforePitch = %d,nBeforePitch_Shift = %d", oldWidth,
                       m_nPitch, oldShift);
        old = std::move(m_vGrid);
    }

    m_nWidth = width;
    m_nHeight = height;
    m_nPitchShift = shift;
    m_nPitch = 1 << shift;
    m_vGrid.assign(static_cast<size_t>(cells), 0);

    const int32_t rows = std::min(height, oldHeight);
    const int32_t columns = std::min(width, oldWidth);
    for (int32_t row = 0; row < rows; ++row) {
        for (int32_t column = 0; column < columns; ++column) {
            // A grid read from a damaged file can be shorter than its size says; the
            // cells it lacks stay 0.
            if (oldShift < 0 || oldShift > 30) continue;
            const int64_t from = (static_cast<int64_t>(row) << oldShift) + column;
            if (from < 0 || static_cast<size_t>(from) >= old.size()) continue;
            m_vGrid[(static_cast<size_t>(row) << shift) + static_cast<size_t>(column)] =
                old[static_cast<size_t>(from)];
        }
    }
    return 1;
}

cWorldMapPoint* cWorldMapData::FindPoint(int32_t x, int32_t y) {
    for (cWorldMapPoint& point : m_vPoints)
        if (point.m_nX == x && point.m_nY == y) return &point;
    return nullptr;
}

const cWorldMapPoint* cWorldMapData::FindPoint(int32_t x, int32_t y) const {
    for (const cWorldMapPoint& point : m_vPoints)
        if (point.m_nX == x && point.m_nY == y) return &point;
    return nullptr;
}

int32_t cWorldMapData::CellType(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) return -1;
    const size_t at = static_cast<size_t>(y) * static_cast<size_t>(m_nPitch) + x;
    return at < m_vGrid.size() ? static_cast<int32_t>(m_vGrid[at]) : -1;
}

bool cWorldMapData::CellBlocked(int32_t x, int32_t y) const {
    const int32_t type = CellType(x, y);
    if (type < 0 || static_cast<size_t>(type) >= m_vCellTypes.size()) return true;
    return m_vCellTypes[static_cast<size_t>(type)].m_bBlocked != 0;
}

bool cWorldMapData::IsPlace(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) return false;
    const cWorldMapPoint* point = FindPoint(x, y);
    if (point && !point->m_vRecs.empty()) return point->m_vRecs.front().m_nKind != map_point::kWall;
    return !CellBlocked(x, y);
}

const cWorldMapRec* cWorldMapData::PointRecord(uint32_t index) const {
    if (index >= m_vPoints.size() || m_vPoints[index].m_vRecs.empty()) return nullptr;
    return &m_vPoints[index].m_vRecs.front();
}

std::string WorldMapStageKey(const std::string& stageFile) {
    std::string key = stageFile;
    StripExtensionStr(key);
    // '-' (2D) is never the second byte of a Shift-JIS character, so a plain search from
    // the end finds only a real "-1".
    const size_t at = key.rfind("-1");
    if (at == std::string::npos) {
        key += '.';
    } else {
        key.resize(at + 1);
        key[at] = '.';
    }
    return key;
}

uint32_t cWorldMapData::CheckStageEntry(const std::string& name, uint32_t numbered, int32_t course1,
                                        int32_t course2) const {
    for (const cWorldMapPoint& point : m_vPoints) {
        for (const cWorldMapRec& rec : point.m_vRecs) {
            if (rec.m_nKind != map_point::kStage) continue;
            if (WorldMapStageKey(rec.m_sStageFile) != name) continue;
            if (numbered == 0) {
                if (rec.m_bNumbered == 0) return 1;
            } else if (rec.m_bNumbered != 0 && rec.m_nCourse1 == course1 &&
                       rec.m_nCourse2 == course2) {
                return 1;
            }
        }
    }
    return 0;
}

void cWorldMapData::SetDefaults() {
    Clear();
    m_sName = "ワールド";
    m_nStartX = 9;
    m_nStartY = 7;
    m_nBackColor = 16;
    m_bBackPicture = 0;
    m_vCellTypes.assign(10, cWorldMapEntry());
    for (int32_t i = 0; i < 10; ++i) {
        cWorldMapEntry& entry = m_vCellTypes[static_cast<size_t>(i)];
        entry.m_nGraphic = i;
        entry.m_bBlocked = i < 5 ? 1 : 0;
        entry.m_sLabel = i < 5 ? "通行不可" : "通行可";
    }
    SetSize(20, 15);
    m_vPoints.assign(1, cWorldMapPoint());
    m_vPoints[0].m_sName = "デフォルト";
}
