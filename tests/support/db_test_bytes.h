// Shared by the database tests: bytes spelled in hex, and single records written to and
// read from record files of a chosen data version in a temporary game folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/record.h"
#include "data/flow_record.h"
#include "support/record_bytes.h"
#include "support/temp_dir.h"

namespace wftest {

using wftest::Hex;

inline std::vector<uint8_t> Cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class DbTest : public wftest::RecordFileTest {
  protected:
    void SetUp() override {
        RecordFileTest::SetUp();
        ResetLogsForTest();
        SetFileVersion(0);
        g_bStripCR = false;
    }
    void TearDown() override {
        ResetLogsForTest();
        g_bStripCR = false;
        // A start-up load installs the databases as the source of flow validation; later
        // tests in the same program must not validate against these lists.
        SetFlowRefDatabase(nullptr);
    }

    // Loads one record from a file holding the version word and body.
    template <class T>
    bool LoadAt(T& record, uint32_t version, const std::vector<uint8_t>& body) {
        wftest::Bytes bytes;
        bytes.bytes = body;
        return RecordFileTest::LoadAt(version, bytes, record);
    }
    // What Save writes for the record after the version word (770).
    std::vector<uint8_t> SaveBody(cSaveRecord& record) { return Saved(record); }
};

}  // namespace wftest
