// Damaged and truncated record files: no crash, no allocation from a bad count, the game's
// bounds-fault line where the registry overflows, and the record left as the rules say.
#include <gtest/gtest.h>

#include <set>

#include "core/record.h"
#include "platform/win_types.h"
#include "support/record_test_classes.h"

using namespace wftest;

namespace {

// cHolder with id 9, items {5, "abc"} and {0, ""}, values {1, -1}, names {"x"}, one group
// per line with its offset.
const std::vector<uint8_t> kHolderFile =
    Hex("02030000 01000000 09000000 00000000"          // 0: version 770, N = 1, id, M = 0
        "02000000 01000000 05000000"                   // 16: two items; item 0: N = 1, 5
        "01000000 04000000 61626300"                   // 28: M = 1, "abc"
        "01000000 00000000 01000000 01000000"          // 40: item 1: N = 1, 0, M = 1, ""
        "02000000 0100 FFFF 01000000 02000000 7800");  // 56: two i16 values; 64: one name "x"

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t at, uint32_t word) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(word >> (8 * i));
    return bytes;
}

}  // namespace

TEST_F(RecordTest, HolderListsHaveTheirLayout) {
    cHolder h;
    h.m_nId = 9;
    h.m_vItems.resize(2);
    h.m_vItems[0].m_nValue = 5;
    h.m_vItems[0].m_str = "abc";
    h.m_vValues = {1, -1};
    h.m_vNames = {"x"};
    EXPECT_EQ(Saved(h), kHolderFile);

    // Saving was just shown to write exactly these bytes, so a reload saving them again has
    // read every member back.
    cHolder back;
    ASSERT_EQ(back.LoadFile(Put(kHolderFile).c_str()), 1);
    EXPECT_EQ(Saved(back), kHolderFile);
}

TEST_F(RecordTest, TruncatedAnywhereNeverCrashesAndFailsUnlessCutBeforeACount) {
    // A file that ends exactly where a count word would start merely lacks that part, as
    // the game tolerated; any other cut is damage. The last item's own string count (at
    // 48) is such a place too; item 0's (at 28) is not, as item 1 would then be missing.
    const std::set<size_t> tolerated = {4, 12, 16, 48, 56, 64, 74};
    for (size_t cut = 0; cut <= kHolderFile.size(); ++cut) {
        SCOPED_TRACE(cut);
        cHolder h;
        h.m_vItems.resize(3);
        h.m_vValues = {7};
        h.m_vNames = {"old"};
        const std::vector<uint8_t> bytes(kHolderFile.begin(), kHolderFile.begin() + cut);
        const int result = h.LoadFile(Put(bytes).c_str());
        EXPECT_EQ(result, tolerated.count(cut) ? 1 : 0);
        // A list is replaced only when it was read whole.
        EXPECT_EQ(h.m_vItems.size(), cut == 48 || cut >= 56 ? 2u : 3u);
        EXPECT_EQ(h.m_vValues.size(), cut >= 64 ? 2u : 1u);
        EXPECT_EQ(h.m_vNames[0], cut >= 74 ? "x" : "old");
    }
    EXPECT_EQ(posted.Count(WM_CLOSE), 0);
    EXPECT_EQ(Report(), "");
}

TEST_F(RecordTest, CountsAndLengthsTheFileCannotHoldAreRefused) {
    struct Case {
        const char* what;
        size_t at;
        uint32_t word;
    };
    // Every one of these would ask for gigabytes if it were believed.
    const Case cases[] = {
        {"item count", 16, 0x7FFFFFFF},
        {"item count just past the bytes left", 16, 8},
        {"string length of item 0", 32, 0xFFFFFFF0},
        {"string length one past the file", 32, 43},
        {"value count", 56, 0x40000000},
        {"name count", 64, 0x7FFFFFFF},
        {"name length", 68, 0x80000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cHolder h;
        h.m_nId = 1;
        h.m_vValues = {3};
        h.m_vNames = {"old"};
        EXPECT_EQ(h.LoadFile(Put(Patched(kHolderFile, c.at, c.word)).c_str()), 0);
        EXPECT_EQ(h.m_nId, 9u);  // read before the damage
        EXPECT_EQ(h.m_vNames, (std::vector<std::string>{"old"}));
    }
    EXPECT_EQ(posted.Count(WM_CLOSE), 0);
}

TEST_F(RecordTest, FieldBlockLargerThanTheFileChangesNothing) {
    // N = 1 but only two of the four bytes of the u32 are there.
    cPlain r;
    r.m_nValue = 0xAAAAAAAA;
    EXPECT_EQ(r.LoadFile(Put(Hex("02030000 01000000 0500")).c_str()), 0);
    EXPECT_EQ(r.m_nValue, 0xAAAAAAAAu);
}

TEST_F(RecordTest, MoreFieldsOrStringsThanRegisteredIsABoundsFault) {
    static_assert(sizeof(cFieldRef) == 24 && sizeof(cStrRef) == 16);
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        std::string line;
    };
    const Case cases[] = {
        {"N = 2 for one registered u32", Hex("02030000 02000000 05000000 06000000 00000000"),
         "err V[1] ( 1 , 24 )"},
        {"N far above", Hex("02030000 FFFFFF7F 05000000"), "err V[1] ( 1 , 24 )"},
        {"M = 2 for one registered string",
         Hex("02030000 01000000 05000000 02000000 01000000 01000000"), "err V[1] ( 1 , 16 )"},
    };
    int closes = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetLogsForTest();
        ASSERT_EQ(ReportOpen(dir.File("Report_Game.txt").c_str()), 1);
        TraceSetup(1, dir.File("EC_Game.txt").c_str());
        cPlain r;
        r.m_str = "kept";
        EXPECT_EQ(r.LoadFile(Put(c.file).c_str()), 0);
        EXPECT_EQ(Report(), c.line + "\r\n");
        EXPECT_EQ(Trace(), c.line + "\r\n");
        EXPECT_EQ(posted.Count(WM_CLOSE), ++closes);
        EXPECT_EQ(r.m_str, "kept");
        // The registry is at the current version again.
        EXPECT_EQ(r.Fields().size(), 1u);
    }
}

TEST_F(RecordTest, FieldsIntoAClassThatRegistersNothingCloseWithoutThrowing) {
    cEmpty r;
    int result = -1;
    EXPECT_NO_THROW(result = r.LoadFile(Put(Hex("02030000 01000000 05000000 00000000")).c_str()));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Report(), "err V[0] ( 0 , 24 )\r\n");
    EXPECT_EQ(posted.Count(WM_CLOSE), 1);

    // Counts of zero are fine for it.
    EXPECT_EQ(r.LoadFile(Put(Hex("02030000 00000000 00000000"), "none.dat").c_str()), 1);
}

TEST_F(RecordTest, ReaderOverAStreamNotOpenedForRecords) {
    // Measured on the spot: the same refusal without OpenRecordRead.
    const std::string name = Put(Hex("FFFFFF7F 01"));
    FILE* fp = std::fopen(name.c_str(), "rb");
    ASSERT_NE(fp, nullptr);
    ByteReader in(fp);
    EXPECT_EQ(in.Remaining(), 5u);
    int32_t count = -1;
    EXPECT_EQ(in.ReadCount(count, 1), ReadStatus::Damaged);
    EXPECT_EQ(count, -1);
    std::fseek(fp, 4, SEEK_SET);
    uint8_t b = 0;
    EXPECT_TRUE(in.Read(b));
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_EQ(in.ReadCount(count, 1), ReadStatus::AtEnd);
    std::fclose(fp);
}
