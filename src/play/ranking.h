// Rankings: the five tables of a stage's ranking file (score, remaining time, clear time,
// remaining hit points, remaining skill points), their file per game mode and stage, the
// number and time texts, and the drawing of one table and of a finished run's results.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/global_data.h"

struct DDSURFACEDATA;
class Font;

constexpr int kRankTableCount = 5;
constexpr int kRankRowCount = 20;
// Table 2, the clear time, ranks lower values first.
constexpr int kRankClearTimeTable = 2;

// ---- Tables ---------------------------------------------------------------------------

// The row a score enters at: the first empty row, or the first row it beats (higher or
// lower by the table's order), so equal scores go below those already there; -1 when it
// beats none.
int RankFindPos(const cRankTable& table, int32_t score);
// Inserts (name, score) at its row and drops the last row: the row count never changes,
// and a score that enters no row leaves the table as it was.
void RankAddScore(cRankTable& table, const std::string& name, int32_t score);
// The record part cleared and exactly 20 rows (rows past 20 dropped, missing ones empty).
void ClearRankTable(cRankTable& table);
// Exactly five tables (new ones empty) with the orders {1, 1, 0, 1, 1}.
void ResetRankFile(cRankFile& file);
// Whether the file has the shape of a ranking file: five tables of 20 rows each.
bool IsRankFileShaped(const cRankFile& file);

// ---- Files ----------------------------------------------------------------------------

// The ranking file of a game mode and stage: "user_data\story\", "user_data\challenge\" or
// "user_data\free\", the stage file's name part without its extension (in story mode with
// "_c", the three-digit course number, "_" and the stage number when the course flag is
// set) and ".rkg". False (out untouched) for any other mode, which keeps no rankings.
bool MakeRankingPath(std::string& out, int gameMode, const std::string& stageName,
                     uint32_t courseFlag, uint32_t courseNumber, uint32_t stageNumber);
// Loads the ranking file: 1 when it was read. A file that is missing, cannot be read or
// is damaged leaves the object reset (five empty tables) and gives 0; a readable file of
// another shape is brought to five tables of 20 rows, reported, and gives 1.
int LoadRanking(cRankFile& file, int gameMode, const std::string& stageName, uint32_t courseFlag,
                uint32_t courseNumber, uint32_t stageNumber);
// Writes the ranking file as a whole or not at all: 1 when written. A failure is reported
// and the old file stays.
int SaveRanking(cRankFile& file, int gameMode, const std::string& stageName, uint32_t courseFlag,
                uint32_t courseNumber, uint32_t stageNumber);

// ---- Texts ----------------------------------------------------------------------------

// The number of characters of the decimal value, its minus sign included (1..11).
int DigitCount(int64_t value);
// The value right-aligned in at least `digits` characters, filled with pad on the left.
std::string FormatNumber(int64_t value, int digits, char pad = ' ');
// A clear time in hundredths of a second as "mm:ss.hh": minutes and seconds with at least
// two digits, hundredths with exactly two, a negative part with its minus sign.
std::string FormatScore(int32_t value);

// ---- Drawing --------------------------------------------------------------------------

// What one table or the results box shows, in the order it is drawn: the framed box, the
// texts, and the 16x16 new-record marks.
struct RankText {
    int x = 0;
    int y = 0;
    std::string text;
};
struct RankPicture {
    int x = 0;
    int y = 0;
};
struct RankLayout {
    int boxX = 0, boxY = 0, boxWidth = 0, boxHeight = 0;
    std::vector<RankText> texts;
    std::vector<RankPicture> marks;  // source (16, 48) of the system sheet
};

constexpr int kRankBoxWidth = 270;

// How wide the font that draws a layout draws a text, in dots: the layouts place and cut
// their texts by it, so that nothing crosses the frame.
using TextWidth = std::function<int(const std::string&)>;

// Table tableIndex at (x, y): heading with the table's label, one line per row (rank,
// name, value), and the page-switch hint under the box when pageHint is set. Values stand
// whole against the right edge; the heading and names are cut to the room left inside.
RankLayout LayoutRankTable(const cRankTable& table, int x, int y, int tableIndex, bool english,
                           bool pageHint, const TextWidth& width);
// The results box of a finished run at (x, y): the shown results (shown[i]) with their
// labels and values, and one new-record mark per entry of newRecords that is not -1; the
// box is as wide as the widest label and value with three cells round them.
RankLayout LayoutRunResults(int x, int y, const bool (&shown)[kRankTableCount],
                            const int32_t (&values)[kRankTableCount],
                            const std::vector<int32_t>& newRecords, const TextWidth& width);

// The label of table i (system text 5 + i).
std::string RankLabel(int tableIndex);
// Whether result i is shown after a run: the stage's result switch in test play, the game
// mode's otherwise.
bool RunResultShown(int tableIndex, int gameMode, bool testPlay);
// The five results of the run state: score, remaining time, clear time, remaining hit and
// skill points.
void RunResultValues(int32_t (&values)[kRankTableCount]);

// Paints a layout with a font (its frame box and text) and the mark sheet (plain marks
// when it holds no picture).
void PaintRankLayout(DDSURFACEDATA* dest, const RankLayout& layout, Font& font,
                     DDSURFACEDATA* markSheet);
// Table tableIndex of the global ranking file at (x, y) with the system font; the hint
// when the game mode ranks more than one table.
void DrawRankingOf(DDSURFACEDATA* dest, int x, int y, int tableIndex, int gameMode, bool english);
// The results of the run state at (x, y) with the system font.
void DrawRunResults(DDSURFACEDATA* dest, int x, int y, int gameMode, bool testPlay,
                    const std::vector<int32_t>& newRecords, DDSURFACEDATA* markSheet);
