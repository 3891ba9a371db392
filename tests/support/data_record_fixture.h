// What the stage and world-map tests share: data version 770, logs in a temporary
// folder, boxes answered and main-window posts recorded, and loading records from bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/record.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace wftest {

class DataRecordTest : public testing::Test {
  protected:
    void SetUp() override {
        ResetLogsForTest();
        g_nDataVersion = kCurrentDataVersion;
        g_bStripCR = false;
        ASSERT_EQ(ReportOpen(dir.File("Report_Game.txt").c_str()), 1);
    }
    void TearDown() override { ResetLogsForTest(); }

    std::string Put(const std::vector<uint8_t>& bytes, const std::string& name = "rec.dat") {
        const std::string path = dir.File(name);
        wftest::WriteBytes(path, bytes);
        return path;
    }
    // Opens the bytes as a record file (version word first) and runs load on the stream.
    template <class LoadFn>
    bool LoadBytes(const std::vector<uint8_t>& bytes, LoadFn&& load) {
        FILE* fp = OpenRecordRead(Put(bytes).c_str());
        if (!fp) return false;
        const bool ok = load(fp);
        CloseRecordFile(fp);
        return ok;
    }
    bool LoadRecord(const std::vector<uint8_t>& bytes, cSaveRecord& record) {
        return LoadBytes(bytes, [&](FILE* fp) { return record.Load(fp); });
    }
    // The version word and what save wrote.
    template <class SaveFn>
    std::vector<uint8_t> SavedBytes(SaveFn&& save) {
        const std::string path = dir.File("saved.dat");
        FILE* fp = OpenRecordWrite(path.c_str());
        EXPECT_NE(fp, nullptr);
        if (!fp) return {};
        EXPECT_TRUE(save(fp));
        EXPECT_TRUE(CloseRecordFile(fp));
        return wftest::ReadBytes(path);
    }
    std::vector<uint8_t> Saved(cSaveRecord& record) {
        return SavedBytes([&](FILE* fp) { return record.Save(fp); });
    }

    wftest::TempDir dir;
    wftest::ScriptedBoxes boxes;
    wftest::PostedMessages posted;
};

}  // namespace wftest
