// Small record classes and a fixture shared by the record tests: the logs in a temporary
// folder, every main-window post recorded, data version 770.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/log.h"
#include "core/record.h"
#include "support/hex.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace wftest {

using wftest::Hex;

// One u32 and one string.
class cPlain : public cSaveRecord {
  public:
    cPlain() { Clear(); }
    void RegisterFields(uint32_t) override {
        Reg(m_nValue);
        RegStr(m_str);
    }
    uint32_t m_nValue = 0;
    std::string m_str;
};

// Every element width, an array, and a member the registry does not know.
class cMixed : public cSaveRecord {
  public:
    cMixed() { Clear(); }
    void RegisterFields(uint32_t) override {
        Reg(m_ab);
        Reg(m_w);
        Reg(m_n);
        Reg(m_d);
        RegStr(m_s1);
        RegStr(m_s2);
    }
    uint8_t m_ab[3] = {};
    uint16_t m_w = 0;
    int32_t m_n = 0;
    double m_d = 0;
    std::string m_s1, m_s2;
    int32_t m_nUnregistered = 0;
};

// A u32 stored before 300 and dropped since; m_nB from 500; m_s2 from 600.
class cVersioned : public cSaveRecord {
  public:
    cVersioned() { Clear(); }
    void RegisterFields(uint32_t version) override {
        Reg(m_nA);
        if (version < 300) RegDropped();
        if (version >= 500) Reg(m_nB);
        RegStr(m_s);
        if (version >= 600) RegStr(m_s2);
    }
    uint32_t m_nA = 0;
    int16_t m_nB = 0;
    std::string m_s, m_s2;
};

// Nothing registered.
class cEmpty : public cSaveRecord {};

// A registered part and three appended lists.
class cHolder : public cSaveRecord {
  public:
    cHolder() { Clear(); }
    void RegisterFields(uint32_t) override { Reg(m_nId); }
    bool Load(FILE* fp) override {
        if (!cSaveRecord::Load(fp)) return false;
        ByteReader in(fp);
        return ReadList(in, m_vItems) && ReadList(in, m_vValues) && ReadList(in, m_vNames);
    }
    bool Save(FILE* fp) override {
        if (!cSaveRecord::Save(fp)) return false;
        ByteWriter out(fp);
        return WriteList(out, m_vItems) && WriteList(out, m_vValues) && WriteList(out, m_vNames);
    }
    uint32_t m_nId = 0;
    std::vector<cPlain> m_vItems;
    std::vector<int16_t> m_vValues;
    std::vector<std::string> m_vNames;
};

class RecordTest : public testing::Test {
  protected:
    void SetUp() override {
        ResetLogsForTest();
        g_nDataVersion = kCurrentDataVersion;
        SetFileVersion(0);
        g_bStripCR = false;
        ASSERT_EQ(ReportOpen(dir.File("Report_Game.txt").c_str()), 1);
        TraceSetup(1, dir.File("EC_Game.txt").c_str());
    }
    void TearDown() override {
        ResetLogsForTest();
        g_bStripCR = false;
    }

    std::string Report() const { return wftest::ReadText(dir.File("Report_Game.txt")); }
    std::string Trace() const {
        const auto path = dir.Path() / "EC_Game.txt";
        return std::filesystem::exists(path) ? wftest::ReadText(path) : std::string();
    }
    // Writes the bytes as a file and returns its name.
    std::string Put(const std::vector<uint8_t>& bytes, const std::string& name = "rec.dat") {
        const std::string path = dir.File(name);
        wftest::WriteBytes(path, bytes);
        return path;
    }
    std::vector<uint8_t> Saved(cSaveRecord& record) {
        const std::string path = dir.File("saved.dat");
        EXPECT_EQ(record.SaveFile(path.c_str()), 1);
        return wftest::ReadBytes(path);
    }

    wftest::TempDir dir;
    wftest::PostedMessages posted;
};

}  // namespace wftest
