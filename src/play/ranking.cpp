// Ranking tables, their files and their drawing.
#include "play/ranking.h"

#include <algorithm>
#include <cstdlib>

#include "core/log.h"
#include "core/paths.h"
#include "core/strings.h"
#include "data/save_data.h"
#include "data/system_data.h"
#include "media/draw/dd_blit.h"
#include "media/draw/font.h"
#include "media/draw/plain_parts.h"
#include "platform/fs/fs.h"

namespace {

constexpr uint32_t kHigherFirst[kRankTableCount] = {1, 1, 0, 1, 1};
// 16 dots per line, the system font's.
constexpr int kLineHeight = 16;
constexpr int kMargin = 8;
// The tables and the results are drawn with the system font.
constexpr int kSystemFont = 1;

const char* const kDefaultLabels[kRankTableCount] = {"スコア", "残り時間", "クリア時間", "残りHP",
                                                     "残りSP"};
constexpr int kPageHintText = 25;
constexpr int kFirstLabelText = 5;

std::string SystemText(int index, const char* fallback) {
    const std::vector<std::string>& texts = g_SystemData.m_vText;
    if (index >= 0 && static_cast<size_t>(index) < texts.size()) return texts[index];
    return fallback;
}

// The longest head of text, cut between characters, that is at most room dots wide.
std::string FitText(const std::string& text, int room, const TextWidth& width) {
    if (width(text) <= room) return text;
    std::string fitted;
    for (const char* p = text.c_str(); *p;) {
        const size_t n = IsSjisPair(p) ? 2 : 1;
        std::string longer = fitted + std::string(p, n);
        if (width(longer) > room) break;
        fitted = std::move(longer);
        p += n;
    }
    return fitted;
}

// The width a font draws a text in.
TextWidth WidthOf(Font& font) {
    return [&font](const std::string& text) {
        int w = 0, h = 0;
        font.MeasureText(text.c_str(), w, h);
        return w;
    };
}

// Digits of |value| from the right, at least minDigits of them, with "-" before a
// negative value.
std::string TimePart(int32_t value, int minDigits) {
    const int64_t magnitude = std::llabs(static_cast<int64_t>(value));
    std::string digits = std::to_string(magnitude);
    if (static_cast<int>(digits.size()) < minDigits)
        digits.insert(0, static_cast<size_t>(minDigits) - digits.size(), '0');
    return value < 0 ? "-" + digits : digits;
}

}  // namespace

// ---- Tables ---------------------------------------------------------------------------

int RankFindPos(const cRankTable& table, int32_t score) {
    for (size_t i = 0; i < table.m_vRows.size(); ++i) {
        const cRankEntry& row = table.m_vRows[i];
        if (row.m_bUsed == 0) return static_cast<int>(i);
        if (table.m_bHigherFirst == 1 ? score > row.m_nScore : score < row.m_nScore)
            return static_cast<int>(i);
    }
    return -1;
}

void RankAddScore(cRankTable& table, const std::string& name, int32_t score) {
    const int pos = RankFindPos(table, score);
    cRankEntry entry;
    entry.m_bUsed = 1;
    entry.m_sName = name;
    entry.m_nScore = score;
    if (pos >= 0)
        table.m_vRows.insert(table.m_vRows.begin() + pos, std::move(entry));
    else
        table.m_vRows.push_back(std::move(entry));
    table.m_vRows.pop_back();
}

void ClearRankTable(cRankTable& table) {
    table.Clear();
    table.m_vRows.resize(kRankRowCount);
}

void ResetRankFile(cRankFile& file) {
    if (file.m_vTables.size() > static_cast<size_t>(kRankTableCount))
        file.m_vTables.resize(kRankTableCount);
    while (file.m_vTables.size() < static_cast<size_t>(kRankTableCount)) {
        cRankTable table;
        ClearRankTable(table);
        file.m_vTables.push_back(std::move(table));
    }
    for (int i = 0; i < kRankTableCount; ++i) file.m_vTables[i].m_bHigherFirst = kHigherFirst[i];
}

bool IsRankFileShaped(const cRankFile& file) {
    if (file.m_vTables.size() != static_cast<size_t>(kRankTableCount)) return false;
    for (int i = 0; i < kRankTableCount; ++i) {
        const cRankTable& table = file.m_vTables[i];
        if (table.m_vRows.size() != static_cast<size_t>(kRankRowCount) ||
            table.m_bHigherFirst != kHigherFirst[i])
            return false;
    }
    return true;
}

// ---- Files ----------------------------------------------------------------------------

bool MakeRankingPath(std::string& out, int gameMode, const std::string& stageName,
                     uint32_t courseFlag, uint32_t courseNumber, uint32_t stageNumber) {
    static const char* const kFolders[] = {"user_data\\story\\", "user_data\\challenge\\",
                                           "user_data\\free\\"};
    if (gameMode < 0 || gameMode > 2) return false;
    char name[kMaxPath];
    snprintf(name, sizeof(name), "%s", stageName.c_str());
    StripDirectory(name);
    std::string base = name;
    StripExtensionStr(base);
    if (gameMode == 0 && courseFlag != 0) {
        std::string numbered;
        StrFormat(numbered, "%s_c%03u_%u", base.c_str(), courseNumber, stageNumber);
        base = numbered;
    }
    StrFormat(out, "%s%s%s", kFolders[gameMode], base.c_str(), ".rkg");
    return true;
}

int LoadRanking(cRankFile& file, int gameMode, const std::string& stageName, uint32_t courseFlag,
                uint32_t courseNumber, uint32_t stageNumber) {
    std::string path;
    cRankFile loaded;
    const bool have =
        MakeRankingPath(path, gameMode, stageName, courseFlag, courseNumber, stageNumber) &&
        platform::fs::GameFileExists(path);
    if (!have || !loaded.LoadFile(path.c_str())) {
        if (have) ReportTracePrintf("ランキングファイル %s の読み込みに失敗", path.c_str());
        file.m_vTables.clear();
        ResetRankFile(file);
        return 0;
    }
    if (!IsRankFileShaped(loaded)) {
        // A file written by another tool or a damaged one that still parsed: its rows are
        // kept where they fit, the tables and orders are made what the game ranks by.
        ReportTracePrintf("ランキングファイル %s の形が違うため整えました", path.c_str());
        ResetRankFile(loaded);
        for (cRankTable& table : loaded.m_vTables) {
            const uint32_t order = table.m_bHigherFirst;
            ClearRankTable(table);
            table.m_bHigherFirst = order;
        }
    }
    file = std::move(loaded);
    return 1;
}

int SaveRanking(cRankFile& file, int gameMode, const std::string& stageName, uint32_t courseFlag,
                uint32_t courseNumber, uint32_t stageNumber) {
    std::string path;
    if (!MakeRankingPath(path, gameMode, stageName, courseFlag, courseNumber, stageNumber))
        return 0;
    if (file.SaveFile(path.c_str())) return 1;
    ReportTracePrintf("ランキングファイル %s の保存に失敗", path.c_str());
    return 0;
}

// ---- Texts ----------------------------------------------------------------------------

int DigitCount(int64_t value) {
    return static_cast<int>(std::to_string(value).size());
}

std::string FormatNumber(int64_t value, int digits, char pad) {
    std::string text = std::to_string(value);
    if (static_cast<int>(text.size()) < digits)
        text.insert(0, static_cast<size_t>(digits) - text.size(), pad);
    return text;
}

std::string FormatScore(int32_t value) {
    const int32_t minutes = value / 100 / 60;
    const int32_t seconds = (value / 100) % 60;
    const int32_t hundredths = value % 100;
    std::string out;
    StrFormat(out, "%s:%s.%s", TimePart(minutes, 2).c_str(), TimePart(seconds, 2).c_str(),
              TimePart(hundredths, 2).c_str());
    return out;
}

// ---- Drawing --------------------------------------------------------------------------

std::string RankLabel(int tableIndex) {
    if (tableIndex < 0 || tableIndex >= kRankTableCount) return {};
    return SystemText(kFirstLabelText + tableIndex, kDefaultLabels[tableIndex]);
}

RankLayout LayoutRankTable(const cRankTable& table, int x, int y, int tableIndex, bool english,
                           bool pageHint, const TextWidth& width) {
    RankLayout l;
    l.boxX = x + 1;
    l.boxY = y + 1;
    l.boxWidth = kRankBoxWidth;
    l.boxHeight = kLineHeight * (kRankRowCount + 1) + 2 * kMargin;
    const int left = x + kMargin, right = l.boxX + l.boxWidth - kMargin;
    std::string heading;
    StrFormat(heading, english ? "Ranking     %s" : "ランキング    %s",
              RankLabel(tableIndex).c_str());
    l.texts.push_back({left, y + kMargin, FitText(heading, right - left, width)});

    const bool time = tableIndex == kRankClearTimeTable;
    int digits = 8;
    if (!time) digits = DigitCount(table.m_vRows.empty() ? 0 : table.m_vRows[0].m_nScore);
    // The values stand against the right edge and are never cut; the names take the room
    // between the ranks and the widest value, and are cut to it (a ranking file of another
    // tool may hold longer names than the three characters the game asks for).
    std::vector<std::string> values(table.m_vRows.size());
    int widestValue = 0;
    for (size_t r = 0; r < table.m_vRows.size(); ++r) {
        const cRankEntry& row = table.m_vRows[r];
        if (row.m_bUsed == 0) continue;
        values[r] = time ? FormatScore(row.m_nScore) : FormatNumber(row.m_nScore, digits);
        widestValue = std::max(widestValue, width(values[r]));
    }
    const int nameX = left + width(FormatNumber(kRankRowCount, 2)) + kMargin;
    const int nameRoom = right - widestValue - kMargin - nameX;
    for (size_t r = 0; r < table.m_vRows.size(); ++r) {
        const cRankEntry& row = table.m_vRows[r];
        const int rowY = y + kMargin + kLineHeight * static_cast<int>(r + 1);
        l.texts.push_back({left, rowY, FormatNumber(static_cast<int64_t>(r) + 1, 2)});
        if (row.m_bUsed == 0) continue;
        l.texts.push_back({nameX, rowY, FitText(row.m_sName, nameRoom, width)});
        l.texts.push_back({right - width(values[r]), rowY, values[r]});
    }
    if (pageHint) {
        const std::string hint = SystemText(kPageHintText, "Vキーでジャンルの切り替え");
        l.texts.push_back(
            {l.boxX + l.boxWidth / 2 - width(hint) / 2, l.boxY + l.boxHeight + kMargin / 2, hint});
    }
    return l;
}

RankLayout LayoutRunResults(int x, int y, const bool (&shown)[kRankTableCount],
                            const int32_t (&values)[kRankTableCount],
                            const std::vector<int32_t>& newRecords, const TextWidth& width) {
    RankLayout l;
    std::string labels[kRankTableCount], texts[kRankTableCount];
    int widestLabel = 0, widestValue = 0, rows = 0;
    for (int i = 0; i < kRankTableCount; ++i) {
        if (!shown[i]) continue;
        ++rows;
        labels[i] = RankLabel(i);
        if (i == kRankClearTimeTable)
            texts[i] = FormatScore(values[i]);
        else
            StrFormat(texts[i], "%d", values[i]);
        widestLabel = std::max(widestLabel, width(labels[i]));
        // The remaining time counts too, so that a long run's total stays inside the box.
        widestValue = std::max(widestValue, width(texts[i]));
    }
    // Value, label and three cells between and round them: with the built-in fonts'
    // 16-dot cells the frame is (digits + 3 + label length) x 16 dots, measured as the
    // texts are drawn so that no value reaches past it.
    l.boxX = x;
    l.boxY = y;
    l.boxWidth = widestLabel + widestValue + 3 * kLineHeight;
    l.boxHeight = kLineHeight * rows;
    int row = 0;
    for (int i = 0; i < kRankTableCount; ++i) {
        if (!shown[i]) continue;
        const int rowY = y + kLineHeight * row++;
        l.texts.push_back({x + kMargin, rowY, labels[i]});
        l.texts.push_back({x + l.boxWidth - kMargin - width(texts[i]), rowY, texts[i]});
    }
    int mark = 0;
    for (int32_t entry : newRecords) {
        if (entry == -1) continue;
        l.marks.push_back({x + l.boxWidth + 4, y + kLineHeight * mark++});
    }
    return l;
}

bool RunResultShown(int tableIndex, int gameMode, bool testPlay) {
    if (tableIndex < 0 || tableIndex >= kRankTableCount) return false;
    if (testPlay) {
        const std::vector<uint32_t>& flags = g_Stage.m_vRankItems;
        return static_cast<size_t>(tableIndex) < flags.size() && flags[tableIndex] != 0;
    }
    const std::vector<cModeRanking>& modes = g_SystemData.m_vModeRanking;
    if (gameMode < 0 || static_cast<size_t>(gameMode) >= modes.size()) return false;
    const std::vector<uint8_t>& genre = modes[gameMode].m_vGenre;
    return static_cast<size_t>(tableIndex) < genre.size() && genre[tableIndex] != 0;
}

void RunResultValues(int32_t (&values)[kRankTableCount]) {
    values[0] = g_PlaySession.m_nScore;
    values[1] = g_PlaySession.m_nTotal1;
    values[2] = g_PlaySession.m_nTotal2;
    values[3] = g_PlaySession.m_nTotal3;
    values[4] = g_PlaySession.m_nTotal4;
}

void PaintRankLayout(DDSURFACEDATA* dest, const RankLayout& layout, Font& font,
                     DDSURFACEDATA* markSheet) {
    font.DrawFrameBox(dest, layout.boxX, layout.boxY, layout.boxWidth, layout.boxHeight);
    for (const RankText& t : layout.texts) font.DrawText(dest, t.x, t.y, t.text.c_str());
    // The new-record marks of the system picture, or plain filled squares.
    for (const RankPicture& m : layout.marks)
        DrawCellOrPlain(dest, m.x, m.y, 16, 16, markSheet, 16, 48, PlainShape::FilledSquare,
                        PlainColoursOf(&font));
}

void DrawRankingOf(DDSURFACEDATA* dest, int x, int y, int tableIndex, int gameMode, bool english) {
    if (tableIndex < 0 || static_cast<size_t>(tableIndex) >= g_RankFile.m_vTables.size()) return;
    const bool hint = g_SystemData.CountFlags(gameMode) > 1;
    Font& font = g_Fonts[kSystemFont];
    PaintRankLayout(dest,
                    LayoutRankTable(g_RankFile.m_vTables[tableIndex], x, y, tableIndex, english,
                                    hint, WidthOf(font)),
                    font, nullptr);
}

void DrawRunResults(DDSURFACEDATA* dest, int x, int y, int gameMode, bool testPlay,
                    const std::vector<int32_t>& newRecords, DDSURFACEDATA* markSheet) {
    bool shown[kRankTableCount];
    int32_t values[kRankTableCount];
    for (int i = 0; i < kRankTableCount; ++i) shown[i] = RunResultShown(i, gameMode, testPlay);
    RunResultValues(values);
    Font& font = g_Fonts[kSystemFont];
    PaintRankLayout(dest, LayoutRunResults(x, y, shown, values, newRecords, WidthOf(font)), font,
                    markSheet);
}
