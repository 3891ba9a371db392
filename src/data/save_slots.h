// The 99 story save slots ("user_data\story\Story01.dat" to "Story99.dat"), the slot list
// the save menu and the continue list show, its drawing, and the time a slot is stamped
// with. The slot and challenge loads and saves themselves are members of cSaveData.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/record.h"
#include "data/save_data.h"

// One row of the slot list: whether the slot's file exists and could be read, and when it
// was saved. A record in form only; it is never written to a file.
class cSaveSlotInfo : public cSaveRecord {
  public:
    cSaveSlotInfo() { Clear(); }

    void RegisterFields(uint32_t version) override;

    uint32_t m_bUsed = 0;
    SaveTime m_SaveTime;
};

inline constexpr int kSaveSlotCount = 99;

// Index n is the slot of file number n + 1; 99 free rows until BuildSlotList fills them.
extern std::vector<cSaveSlotInfo> g_SaveSlots;

// The record a run-state file (a slot, the challenge file, a replay's run) is loaded into:
// a new run's, with stage play's stage-start copy of `current` kept, which no file holds.
// What a file of an older version does not store is then the new run's value, never one
// of the run in memory.
cSaveData RecordToLoadInto(const cSaveData& current);

// The slot file of slot n ("user_data\story\Story09.dat" for slot 8) into a buffer of at
// least kMaxPath bytes.
void MakeStoryPath(char* buffer, int slot);

// Fills every row of the list from the slot files. A file that is missing, or damaged so
// that it could not be loaded, leaves its slot free. g_PlaySession is not touched.
void BuildSlotList(std::vector<cSaveSlotInfo>& slots);

// What the slot list draws with; the drawing layer puts a surface behind it.
class SlotListCanvas {
  public:
    virtual ~SlotListCanvas() = default;
    virtual void DrawFrameBox(int x, int y, int width, int height) = 0;
    virtual void FillRect(int x, int y, int width, int height, int paletteColour) = 0;
    // Text with the system font, top-left at (x, y).
    virtual void DrawText(int x, int y, const std::string& text) = 0;
};

// The save time of a used slot as "2009/03/07 14:05" and a line end; nothing for a free one.
void DrawSlotDate(const cSaveSlotInfo& slot, SlotListCanvas& canvas, int x, int y);
// A page of rows 16 dots high and 320 wide from slot `first` on: a framed box, separator
// lines, each slot's number and date.
void DrawSlotList(SlotListCanvas& canvas, int x, int y, const std::vector<cSaveSlotInfo>& slots,
                  int first, int rows);

// Where a saved slot's time comes from: local time by default; tests put a fixed one in.
using SaveTimeSource = SaveTime (*)();
void SetSaveTimeSource(SaveTimeSource source);  // null: local time
SaveTime NowForSave();
