// Fuzzes record loading: arbitrary bytes as a record file of a class with version-gated
// fields, a dropped member, strings and three kinds of counted lists. Any load may fail;
// none may crash, over-read or allocate from a count the bytes cannot back. A load that
// succeeds must save and load back to the very same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/record.h"
#include "platform/diag.h"
#include "platform/msg/msg.h"

namespace {

class cFuzzItem : public cSaveRecord {
  public:
    cFuzzItem() { Clear(); }
    void RegisterFields(uint32_t version) override {
        Reg(m_n);
        if (version >= 300) Reg(m_ad);
        RegStr(m_s);
    }
    bool Load(FILE* fp) override {
        if (!cSaveRecord::Load(fp)) return false;
        ByteReader in(fp);
        return ReadList(in, m_vWords);
    }
    bool Save(FILE* fp) override {
        if (!cSaveRecord::Save(fp)) return false;
        ByteWriter out(fp);
        return WriteList(out, m_vWords);
    }
    uint32_t m_n = 0;
    double m_ad[2] = {};
    std::string m_s;
    std::vector<uint16_t> m_vWords;
};

class cFuzzTop : public cSaveRecord {
  public:
    cFuzzTop() { Clear(); }
    void RegisterFields(uint32_t version) override {
        Reg(m_ab);
        if (version < 200) RegDropped();
        if (version >= 400) Reg(m_n);
        RegStr(m_s1);
        if (version >= 500) RegStr(m_s2);
    }
    bool Load(FILE* fp) override {
        if (!cSaveRecord::Load(fp)) return false;
        ByteReader in(fp);
        // The last list has a word before each element, as several game files do.
        return ReadList(in, m_vItems) && ReadList(in, m_vNames) &&
               ReadListWith(in, m_vPrefixed, 4 + kMinRecordBytes, cFuzzItem(),
                            [](ByteReader& r, cFuzzItem& e) {
                                uint32_t ignored = 0;
                                return r.Read(ignored) && e.Load(r.File());
                            });
    }
    bool Save(FILE* fp) override {
        if (!cSaveRecord::Save(fp)) return false;
        ByteWriter out(fp);
        return WriteList(out, m_vItems) && WriteList(out, m_vNames) &&
               WriteListWith(out, m_vPrefixed, [](ByteWriter& w, cFuzzItem& e) {
                   return w.Write(uint32_t{0}) && e.Save(w.File());
               });
    }
    uint8_t m_ab[3] = {};
    int32_t m_n = 0;
    std::string m_s1, m_s2;
    std::vector<cFuzzItem> m_vItems;
    std::vector<std::string> m_vNames;
    std::vector<cFuzzItem> m_vPrefixed;
};

// The steps of OpenRecordRead / LoadFile over a memory stream, so the fuzzer runs fast.
bool LoadBytes(const uint8_t* data, size_t size, cFuzzTop& record) {
    if (size == 0) return false;
    FILE* fp = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!fp) return false;
    RememberFileEnd(fp);
    ByteReader in(fp);
    uint32_t version = 0;
    bool ok = in.Read(version);
    if (ok) {
        SetFileVersion(version);
        ok = record.Load(fp);
    }
    CloseRecordFile(fp);
    return ok;
}

std::vector<uint8_t> SaveBytes(cFuzzTop& record) {
    char* buffer = nullptr;
    size_t length = 0;
    FILE* fp = open_memstream(&buffer, &length);
    if (!fp) std::abort();
    ByteWriter out(fp);
    if (!out.Write(g_nDataVersion) || !record.Save(fp)) std::abort();
    std::fclose(fp);
    std::vector<uint8_t> bytes(buffer, buffer + length);
    std::free(buffer);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    platform::SetDiagThreshold(platform::DiagLevel::Error);
    // Bounds faults still format their lines; with the window gone the close requests do
    // not pile up in the queue over millions of runs.
    platform::msg::SetMainWindowGone(true);
    g_nDataVersion = kCurrentDataVersion;
    g_bStripCR = true;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cFuzzTop record;
    if (!LoadBytes(data, size, record)) return 0;
    const std::vector<uint8_t> first = SaveBytes(record);
    cFuzzTop again;
    if (!LoadBytes(first.data(), first.size(), again)) __builtin_trap();
    if (SaveBytes(again) != first) __builtin_trap();
    return 0;
}
