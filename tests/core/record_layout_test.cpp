// Record file bytes against layouts written out by hand, and what loading does with them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "core/record.h"
#include "platform/win_types.h"
#include "support/record_test_classes.h"

using namespace wftest;

namespace {

// Version 770; N = 1, the u32 5; M = 1, "abc" with its zero.
const std::vector<uint8_t> kPlainFile =
    Hex("02030000 01000000 05000000 01000000 04000000 61626300");

// Version 770; N = 4: u8[3], u16 0x0405, i32 -2, f64 1.5; M = 2: "" as the length 1 alone,
// then Shift-JIS text, raw.
const std::vector<uint8_t> kMixedFile =
    Hex("02030000 04000000 010203 0504 FEFFFFFF 000000000000F83F 02000000 01000000 05000000 "
        "93FA967B00");

}  // namespace

TEST_F(RecordTest, WritesOneNumberAndOneString) {
    cPlain r;
    r.m_nValue = 5;
    r.m_str = "abc";
    EXPECT_EQ(Saved(r), kPlainFile);

    r.m_str.clear();
    EXPECT_EQ(Saved(r), Hex("02030000 01000000 05000000 01000000 01000000"));
}

TEST_F(RecordTest, MixedWidthsLoadAndSaveByteIdentical) {
    cMixed r;
    ASSERT_EQ(r.LoadFile(Put(kMixedFile).c_str()), 1);
    EXPECT_EQ(FileVersion(), 770u);
    EXPECT_EQ(std::vector<uint8_t>(r.m_ab, r.m_ab + 3), Hex("010203"));
    EXPECT_EQ(r.m_w, 0x0405);
    EXPECT_EQ(r.m_n, -2);
    EXPECT_EQ(r.m_d, 1.5);
    EXPECT_EQ(r.m_s1, "");
    EXPECT_EQ(wftest::BytesOf(r.m_s2), Hex("93FA967B"));
    EXPECT_EQ(Saved(r), kMixedFile);
}

TEST_F(RecordTest, StoredStringsAsLoadedAndSaved) {
    struct Case {
        const char* what;
        const char* stored;  // the string's length and bytes
        bool stripCR;
        std::string loaded;
    };
    const Case cases[] = {
        {"cut at the first zero", "06000000 616200636400", false, "ab"},
        {"length zero", "00000000", false, ""},
        // "a", CR, LF, "b" as stored by an editor on Windows.
        {"CR kept", "05000000 610D0A6200", false, "a\r\nb"},
        {"CR dropped when the switch is set", "05000000 610D0A6200", true, "a\nb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_bStripCR = c.stripCR;
        cPlain r;
        r.m_str = "old";
        const auto file = Hex(std::string("02030000 01000000 09000000 01000000") + c.stored);
        ASSERT_EQ(r.LoadFile(Put(file).c_str()), 1);
        EXPECT_EQ(r.m_nValue, 9u);
        EXPECT_EQ(r.m_str, c.loaded);
    }
    {
        // Saving cuts the string in memory too.
        cPlain r;
        r.m_str = std::string("xy\0z", 4);
        const std::vector<uint8_t> saved = Saved(r);
        EXPECT_EQ(std::vector<uint8_t>(saved.end() - 7, saved.end()), Hex("03000000 787900"));
        EXPECT_EQ(r.m_str, "xy");
    }
    {
        // Registered strings the file does not hold are stripped too.
        cVersioned r;
        r.m_s2 = "x\r\ny\r";
        ASSERT_EQ(r.LoadFile(Put(Hex("02030000 00000000 00000000"), "n.dat").c_str()), 1);
        EXPECT_EQ(r.m_s2, "x\ny");
    }
    {
        cMixed r;
        r.m_s1 = "\r\r1\r";
        r.m_s2 = "2\r\n";
        r.StripCR();
        EXPECT_EQ(r.m_s1, "1");
        EXPECT_EQ(r.m_s2, "2\n");
    }
}

TEST_F(RecordTest, OlderFileKeepsLaterMembersAndResavesInCurrentLayout) {
    // Version 200; N = 2: m_nA, the member 300 dropped; M = 1: "hi".
    const auto v200 = Hex("C8000000 02000000 07000000 EFBEADDE 01000000 03000000 686900");
    cVersioned r;
    r.m_nB = 77;
    r.m_s2 = "keep";
    DroppedField() = 0;
    ASSERT_EQ(r.LoadFile(Put(v200).c_str()), 1);
    EXPECT_EQ(FileVersion(), 200u);
    EXPECT_EQ(DroppedField(), 0xDEADBEEFu);
    EXPECT_EQ(r.m_nA, 7u);
    EXPECT_EQ(r.m_nB, 77);
    EXPECT_EQ(r.m_s, "hi");
    EXPECT_EQ(r.m_s2, "keep");

    // The registry stands at 770 again: m_nA, m_nB; m_s, m_s2.
    ASSERT_EQ(r.Fields().size(), 2u);
    EXPECT_EQ(r.Fields()[0].address, &r.m_nA);
    EXPECT_EQ(r.Fields()[1].address, &r.m_nB);
    EXPECT_EQ(r.Fields()[1].elementSize, 2);
    ASSERT_EQ(r.Strings().size(), 2u);
    EXPECT_EQ(r.Strings()[1].address, &r.m_s2);

    // Version 770; N = 2: A, B; M = 2: "hi", "keep".
    EXPECT_EQ(Saved(r),
              Hex("02030000 02000000 07000000 4D00 02000000 03000000 686900 05000000 6B65657000"));
}

TEST_F(RecordTest, FewerFieldsThanRegisteredReadsOnlyThoseAndLeavesTheRest) {
    const auto file = Hex("02030000 01000000 03000000 00000000");
    cVersioned r;
    r.m_nB = -5;
    r.m_s = "s";
    ASSERT_EQ(r.LoadFile(Put(file).c_str()), 1);
    EXPECT_EQ(r.m_nA, 3u);
    EXPECT_EQ(r.m_nB, -5);
    EXPECT_EQ(r.m_s, "s");
    // Counts with the top bit set read as negative: nothing follows.
    ASSERT_EQ(r.LoadFile(Put(Hex("02030000 00000080 FFFFFFFF"), "neg.dat").c_str()), 1);
    EXPECT_EQ(r.m_nA, 3u);
    EXPECT_EQ(r.m_s, "s");
}

TEST_F(RecordTest, FileVersionIsPerThread) {
    const std::string name = Put(Hex("C8000000 00000000"));
    SetFileVersion(123);
    uint32_t seenThere = 0;
    std::thread loader([&] {
        cVersioned r;
        r.LoadFile(name.c_str());
        seenThere = FileVersion();
    });
    loader.join();
    EXPECT_EQ(seenThere, 200u);
    EXPECT_EQ(FileVersion(), 123u);
}

TEST_F(RecordTest, ClearZeroesRegisteredMembersOnly) {
    cMixed r;
    ASSERT_EQ(r.LoadFile(Put(kMixedFile).c_str()), 1);
    r.m_s1 = "a";
    r.m_nUnregistered = 4;
    r.Clear();
    // Every registered member reads zero: the numbers, and both strings as length 1 alone.
    EXPECT_EQ(Saved(r), Hex("02030000 04000000 000000 0000 00000000 0000000000000000 02000000 "
                            "01000000 01000000"));
    EXPECT_EQ(r.m_nUnregistered, 4);
}

TEST_F(RecordTest, CopyFromCopiesRegisteredMembersOnly) {
    cMixed source;
    ASSERT_EQ(source.LoadFile(Put(kMixedFile).c_str()), 1);
    source.m_nUnregistered = 11;
    cMixed target;
    target.m_nUnregistered = 22;
    ASSERT_TRUE(target.CopyFrom(source));
    EXPECT_EQ(Saved(target), kMixedFile);
    EXPECT_EQ(target.m_nUnregistered, 22);

    cPlain other;
    other.m_nValue = 1;
    EXPECT_FALSE(other.CopyFrom(source));
    EXPECT_EQ(other.m_nValue, 1u);
}

TEST_F(RecordTest, CopiesRegisterIntoThemselves) {
    cMixed b;
    b.Clear();
    b.m_n = 42;
    cMixed a;
    a = b;
    EXPECT_EQ(a.m_n, 42);
    ASSERT_EQ(a.Fields().size(), b.Fields().size());
    const auto* aBase = reinterpret_cast<const char*>(&a);
    const auto* bBase = reinterpret_cast<const char*>(&b);
    for (size_t i = 0; i < a.Fields().size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(a.Fields()[i].owner, &a);
        EXPECT_EQ(static_cast<const char*>(a.Fields()[i].address) - aBase,
                  static_cast<const char*>(b.Fields()[i].address) - bBase);
        EXPECT_EQ(a.Fields()[i].count, b.Fields()[i].count);
    }
    for (size_t i = 0; i < a.Strings().size(); ++i)
        EXPECT_EQ(reinterpret_cast<const char*>(a.Strings()[i].address) - aBase,
                  reinterpret_cast<const char*>(b.Strings()[i].address) - bBase);

    // Copies and moves never follow their source's registry: records that moved around in
    // a vector still save their own values.
    std::vector<cPlain> list;
    for (uint32_t i = 0; i < 40; ++i) {
        cPlain p;
        p.m_nValue = i;
        p.m_str = "n";
        list.push_back(p);
    }
    cPlain copy(list[39]);
    EXPECT_TRUE(copy.Fields().empty());
    list.clear();
    const std::vector<uint8_t> saved = Saved(copy);
    EXPECT_EQ(saved[8], 39);
}

TEST_F(RecordTest, RecordFileNamesAndSeveralRecordsInOneFile) {
    wftest::ScopedCurrentDir cwd(dir.Path());
    wftest::WriteBytes(dir.Path() / "err", Hex("78563412"));
    for (const char* name : {static_cast<const char*>(nullptr), ""}) {
        FILE* fp = OpenRecordRead(name);
        ASSERT_NE(fp, nullptr);
        EXPECT_EQ(FileVersion(), 0x12345678u);
        EXPECT_TRUE(CloseRecordFile(fp));
    }
    EXPECT_EQ(OpenRecordWrite(""), nullptr);
    EXPECT_EQ(OpenRecordWrite(nullptr), nullptr);
    EXPECT_EQ(OpenRecordRead("missing.dat"), nullptr);
    EXPECT_TRUE(CloseRecordFile(nullptr));

    // A file shorter than its version word is not a record file; the version read before
    // stays.
    wftest::WriteBytes(dir.Path() / "short.dat", Hex("010203"));
    EXPECT_EQ(OpenRecordRead("short.dat"), nullptr);
    EXPECT_EQ(FileVersion(), 0x12345678u);
    cPlain r;
    r.m_nValue = 3;
    EXPECT_EQ(r.LoadFile("short.dat"), 0);
    EXPECT_EQ(r.m_nValue, 3u);

    // Several records in one file, written in place after one version word. (Reading them
    // back one after the other is what the holder's item list does.)
    FILE* out = OpenRecordWrite("two.dat");
    ASSERT_NE(out, nullptr);
    for (uint32_t value : {1u, 2u}) {
        r.m_nValue = value;
        EXPECT_TRUE(r.Save(out));
    }
    EXPECT_TRUE(CloseRecordFile(out));
    EXPECT_EQ(wftest::ReadBytes("two.dat"), Hex("02030000 01000000 01000000 01000000 01000000 "
                                                "01000000 02000000 01000000 01000000"));
}

TEST_F(RecordTest, FailedSavesReportFailureAndKeepTheOldFile) {
    const std::string name = Put(kPlainFile, "keep.dat");
    cPlain r;
    r.m_nValue = 6;
    for (auto point : {platform::fs::FailPoint::Create, platform::fs::FailPoint::Write,
                       platform::fs::FailPoint::Sync, platform::fs::FailPoint::Rename}) {
        SCOPED_TRACE(static_cast<int>(point));
        platform::fs::SetAtomicWriteFailPoint(point);
        EXPECT_EQ(r.SaveFile(name.c_str()), 0);
        platform::fs::SetAtomicWriteFailPoint(platform::fs::FailPoint::None);
        EXPECT_EQ(wftest::ReadBytes(name), kPlainFile);
    }
    EXPECT_EQ(r.SaveFile(dir.File("no/such/folder/x.dat").c_str()), 0);
    EXPECT_EQ(r.SaveFile(""), 0);

    // A stream that refuses writes: Save says so.
    FILE* readOnly = std::fopen(name.c_str(), "rb");
    ASSERT_NE(readOnly, nullptr);
    EXPECT_FALSE(r.Save(readOnly));
    std::fclose(readOnly);

    RecordFileWriter writer(name.c_str());
    ASSERT_NE(writer.Stream(), nullptr);
    EXPECT_TRUE(r.Save(writer.Stream()));
    EXPECT_TRUE(writer.Commit());
    EXPECT_EQ(wftest::ReadBytes(name)[8], 6);
    EXPECT_EQ(posted.Count(WM_CLOSE), 0);
}

TEST_F(RecordTest, StringListsByTheNamedHelpers) {
    std::vector<std::string> texts = {"", "abc", std::string("x\0y", 3)};
    FILE* fp = std::tmpfile();
    ASSERT_NE(fp, nullptr);
    ASSERT_TRUE(SaveStringList(texts, fp));
    EXPECT_EQ(texts[2], "x");  // cut in memory as in the file
    const long size = std::ftell(fp);
    std::rewind(fp);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), fp), bytes.size());
    EXPECT_EQ(bytes, Hex("03000000 01000000 04000000 61626300 02000000 7800"));

    // Back with ReadLenString after the count; a length past the end is refused.
    std::fseek(fp, 4, SEEK_SET);
    std::vector<std::string> back(3, "old");
    for (std::string& text : back) EXPECT_EQ(ReadLenString(text, fp), 1);
    EXPECT_EQ(back, texts);
    const uint32_t tooLong = 50;
    std::fseek(fp, 0, SEEK_END);
    std::fwrite(&tooLong, sizeof tooLong, 1, fp);
    std::fseek(fp, -4, SEEK_END);
    std::string kept = "kept";
    EXPECT_EQ(ReadLenString(kept, fp), 0);
    EXPECT_EQ(kept, "kept");
    std::fclose(fp);
}

namespace {

// Counts its registrations; registers a scratch word outside itself at old versions, as
// records with dropped fields do.
class cCounted : public cSaveRecord {
  public:
    cCounted() { Clear(); }
    void RegisterFields(uint32_t version) override {
        ++registrations;
        Reg(m_n);
        if (version < 300) RegDropped();
        Reg(m_ab);
        RegStr(m_s);
    }
    static inline int registrations = 0;
    int32_t m_n = 0;
    uint8_t m_ab[5] = {};
    std::string m_s;
    int32_t m_nUnregistered = 7;
};

}  // namespace

TEST_F(RecordTest, ClearAndCopiesOfAKnownClassDoNotRegister) {
    struct Case {
        const char* what;
        uint32_t version;
        bool registersEveryTime;  // a member outside the record keeps the class unknown
    };
    const Case cases[] = {{"current layout", 770, false}, {"with a dropped field", 200, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_nDataVersion = c.version;
        // The first two records at different addresses show where the members lie.
        std::vector<cCounted> first(2);
        cCounted::registrations = 0;
        std::vector<cCounted> many(50);
        cCounted copy;
        copy = first[0];
        copy = first[1];
        EXPECT_EQ(cCounted::registrations > 0, c.registersEveryTime);
        // Every registered member was cleared, the rest kept.
        for (cCounted& r : many) {
            r.m_n = 5, r.m_ab[4] = 9, r.m_s = "abc", r.m_nUnregistered = 3;
            DroppedField() = 11;
            r.Clear();
            EXPECT_EQ(r.m_n, 0);
            EXPECT_EQ(r.m_ab[4], 0);
            EXPECT_EQ(r.m_s, "");
            EXPECT_EQ(r.m_nUnregistered, 3);
            EXPECT_EQ(DroppedField(), c.version < 300 ? 0u : 11u);
        }
        // A walk still registers the record itself.
        copy.m_n = 0x01020304;
        ASSERT_EQ(copy.Fields().size(), c.version < 300 ? 3u : 2u);
        EXPECT_EQ(copy.Fields()[0].owner, &copy);
        EXPECT_EQ(copy.Fields()[0].address, &copy.m_n);
        EXPECT_EQ(copy.Strings()[0].address, &copy.m_s);
    }
    g_nDataVersion = kCurrentDataVersion;
}
