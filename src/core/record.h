// The record base every data file of the game is made of: a registry of a record's members,
// rebuilt for any data version, that the base walks to load, save, clear and copy; the
// data-version globals; the helpers that open record files; and the counted-list helpers
// that records append after their registered part.
//
// A record file starts with the writer's u32 data version. A record is then
//   u32 N, its first N registered fields raw in registration order (no tags, no padding),
//   u32 M, M strings as u32 length counting the zero + the bytes (the empty string is the
//   length 1 alone), followed by whatever the class's own Load/Save append (counted lists).
//
// How a record class looks (copy this):
//
//   class cSwordType : public cSaveRecord {
//   public:
//       cSwordType() {
//           Clear();            // registers at the current version and zeroes
//           m_nPower = 10;      // then the class defaults
//       }
//       // File order = registration order. A member added at version T is registered only
//       // from T on; a u32 the format dropped at 300 is read into DroppedField() before.
//       void RegisterFields(uint32_t version) override {
//           Reg(m_nPower);                          // int32_t, every version
//           if (version < 300) RegDropped();
//           if (version >= 151) Reg(m_anFrames);    // int16_t[8], one block
//           RegStr(m_strName);
//       }
//       // Appended data: base part first, then the lists in one fixed order.
//       bool Load(FILE* fp) override {
//           if (!cSaveRecord::Load(fp)) return false;
//           ByteReader in(fp);
//           return ReadList(in, m_vHit) && ReadList(in, m_vFrameTimes);
//       }
//       bool Save(FILE* fp) override {
//           if (!cSaveRecord::Save(fp)) return false;
//           ByteWriter out(fp);
//           return WriteList(out, m_vHit) && WriteList(out, m_vFrameTimes);
//       }
//
//       int32_t m_nPower = 0;
//       int16_t m_anFrames[8] = {};
//       std::string m_strName;
//       std::vector<cHitBox> m_vHit;         // cHitBox is a cSaveRecord too
//       std::vector<uint32_t> m_vFrameTimes; // raw u32 values
//   };
//
// The implicit copy, move and assignment of such a class are right: the registry is never
// copied (it holds addresses) and is rebuilt before every use. Neither a copy nor Clear
// registers once two records of the class have shown where their members lie (see Clear),
// so that records made while a stage plays (shots, summons) cost no registration. Lists with a word
// before each element, or elements that need more than their own Load, use ReadListWith /
// WriteListWith. A whole file: LoadFile / SaveFile (SaveFile replaces the file atomically);
// files holding several records: OpenRecordRead + Load of each + CloseRecordFile, and for
// writing RecordFileWriter + Save of each + Commit.
//
// Loads say false when the file is damaged (a count or length the bytes left cannot hold,
// a torn word, more fields or strings than the version registers). What was read before the
// damage stays, the rest keeps its old value; nothing is allocated from a refused count.
// A file that simply ends where a count word would start has that part missing: the load
// succeeds and the part keeps its old value, as the game tolerated.
#pragma once

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/byte_reader.h"
#include "platform/fs/fs.h"

// The data version this player writes and registers for once start-up has set it.
constexpr uint32_t kCurrentDataVersion = 770;

// Current data version: 0 until start-up sets it to 770; the first word of every file
// written and the version every record stands at outside a load.
extern uint32_t g_nDataVersion;
// Version word of the last record file this thread opened for reading (g_nFileVersion).
// Per thread, so a loader thread never changes the layout another thread is reading with.
uint32_t FileVersion();
void SetFileVersion(uint32_t version);
// Set at start-up: every record string load drops carriage returns (CR LF becomes LF).
extern bool g_bStripCR;
// Scratch for 4-byte members old versions stored and this one no longer has
// (g_nDroppedField). Per thread: only ever written, never read back by the game.
uint32_t& DroppedField();

class cSaveRecord;

// One registered member or member array.
struct cFieldRef {
    cSaveRecord* owner = nullptr;
    void* address = nullptr;
    uint32_t count = 0;
    int8_t elementSize = 0;  // 1, 2, 4 or 8

    size_t Bytes() const { return static_cast<size_t>(elementSize) * count; }
};

// One registered string member.
struct cStrRef {
    cSaveRecord* owner = nullptr;
    std::string* address = nullptr;
};

class cSaveRecord {
  public:
    cSaveRecord() = default;
    // A copy or a moved-to record starts with no registry: the source's entries point into
    // the source. Every operation rebuilds the registry before it walks it.
    cSaveRecord(const cSaveRecord&) noexcept {}
    cSaveRecord(cSaveRecord&&) noexcept {}
    // Base part of every record copy: notes that the registry no longer describes this
    // record (the next walk registers it) and calls the source's VersionHook. Copies no
    // values; the derived class copies its own members after it (the implicit assignment
    // does exactly that).
    cSaveRecord& operator=(const cSaveRecord& source);
    cSaveRecord& operator=(cSaveRecord&& source) {
        return *this = static_cast<const cSaveRecord&>(source);
    }

    virtual ~cSaveRecord() = default;
    // Does nothing in every record class; the copy assignment calls it on its source.
    virtual void VersionHook(uint32_t /*version*/) const {}
    // Registers, in file order, every member stored at that data version. The base has
    // already emptied the registry; a class derived from another record class calls its
    // parent's RegisterFields first. Depends only on the class and the version.
    virtual void RegisterFields(uint32_t /*version*/) {}
    // Reads the record at the position of an open record file, in the layout of
    // FileVersion(), and leaves the registry at the current version. False: the file is
    // damaged (see above); stop reading the file.
    virtual bool Load(FILE* fp);
    // Writes the record in the current layout. False when any write failed.
    virtual bool Save(FILE* fp);

    // Zeroes every member registered at the current version (arrays in full) and empties
    // every registered string. The members' places are taken from the registry of the
    // first two records of the class met at different addresses: where both give the same
    // offsets (no member outside the record, such as the dropped-field scratch), later
    // records are cleared by those offsets without registering.
    void Clear();
    // Copies the registered members and strings of a record of the same class; members
    // that are not registered keep their values. A record of another class copies nothing
    // and gives false.
    bool CopyFrom(cSaveRecord& source);
    // Deletes every carriage return from the registered strings.
    void StripCR();

    // One top record as a whole file: 1 on success; 0 when the file cannot be opened, is
    // shorter than its version word or is damaged. The record is untouched when the open
    // fails. Callers that must keep the old values on damage load a copy and assign it.
    int LoadFile(const char* name);
    // Writes the version word and the record to a temporary file and renames it over the
    // old one: 1 on success; 0 when anything failed, and then the old file is untouched.
    int SaveFile(const char* name);

    // The registry as it stands (tests and diagnostics); a record copied into or cleared
    // since its last walk is registered at the current version first.
    std::span<const cFieldRef> Fields() const;
    std::span<const cStrRef> Strings() const;

  protected:
    // Registration, for RegisterFields only.
    template <FileScalar T>
    void Reg(T& member) {
        AddField(&member, 1, sizeof(T));
    }
    // Arrays of any rank, as one block.
    template <class T>
    requires std::is_array_v<T> && FileScalar<std::remove_all_extents_t<T>>
    void Reg(T& member) {
        using E = std::remove_all_extents_t<T>;
        AddField(&member, static_cast<uint32_t>(sizeof(T) / sizeof(E)), sizeof(E));
    }
    template <FileScalar T, size_t N>
    void Reg(std::array<T, N>& member) {
        AddField(member.data(), static_cast<uint32_t>(N), sizeof(T));
    }
    void RegStr(std::string& member) { PushStrRef(member, 1); }
    // A 4-byte member of older versions that this class no longer has.
    void RegDropped() { AddField4(&DroppedField(), 1); }

    // The registration calls by their original names, for members that are not plain
    // scalars or arrays of them (a struct of four int32_t is AddField4(&rect, 4)).
    void AddField1(void* address, uint32_t count) { AddField(address, count, 1); }
    void AddField2(void* address, uint32_t count) { AddField(address, count, 2); }
    void AddField4(void* address, uint32_t count) { AddField(address, count, 4); }
    void AddField8(void* address, uint32_t count) { AddField(address, count, 8); }
    // Appends n entries for the member (every class passes 1; below 1 appends nothing).
    void PushStrRef(std::string& member, int n);
    void ClearFields();

    bool LoadStrings(ByteReader& in);
    bool SaveStrings(ByteWriter& out);

  private:
    void AddField(void* address, uint32_t count, size_t elementSize);
    void Rebuild(uint32_t version);
    // After a registration at `version`: the offsets of the class at that version are
    // noted, or checked against those of another record of the class.
    void NoteLayout(uint32_t version) const;
    bool LoadFields(ByteReader& in);
    void StripRegisteredStrings();

    std::vector<cFieldRef> m_vField;
    std::vector<cStrRef> m_vStr;
    // Copied into or cleared without registering since the last registration.
    bool m_bRegistryStale = false;
};

// Opens a record file and reads its version word into FileVersion(). A null or empty
// name opens "err" in the game folder, as the game does. Null when the file cannot be
// opened or is shorter than the version word (FileVersion() is then unchanged).
FILE* OpenRecordRead(const char* name);
// Creates or truncates the file in place and writes g_nDataVersion. Null when it cannot be
// created (an empty name cannot) or the version word cannot be written. For files the user
// can lose, use RecordFileWriter.
FILE* OpenRecordWrite(const char* name);
// Closes a stream of OpenRecordRead or OpenRecordWrite; a null stream is ignored. False
// when buffered data could not be written out.
bool CloseRecordFile(FILE* fp);

// A record file written as a whole or not at all: a temporary file beside the target,
// renamed over it on Commit. Destroyed without a successful Commit, it leaves the old file
// as it was.
class RecordFileWriter {
  public:
    explicit RecordFileWriter(const char* name);
    RecordFileWriter(const RecordFileWriter&) = delete;
    RecordFileWriter& operator=(const RecordFileWriter&) = delete;

    // Positioned after the version word; null when the file could not be started.
    FILE* Stream() const { return ok_ ? file_->Stream() : nullptr; }
    // False (old file kept) if any write on the stream failed or the rename did.
    bool Commit();

  private:
    std::optional<platform::fs::AtomicFileWriter> file_;
    bool ok_ = false;
};

// ---- Counted lists -----------------------------------------------------------------

// Smallest record in a file: N and M, both 0.
constexpr size_t kMinRecordBytes = 8;

template <class T>
concept RecordType = std::derived_from<T, cSaveRecord>;

// u32 count (0 or less: none), then count elements, each read by readOne(in, element)
// into a copy of prototype. The list is replaced only when every element was read; on
// damage, and when the file ended before the count, it is left as it was. minElementBytes
// is the least one element takes in the file: a count the bytes left cannot hold is
// refused before anything is allocated.
// One element of a counted list of a data file (database, palette, stage lists) by
// readOne(). The element must be whole: a file that ends before it, or inside it where one
// of its own counts should stand, is damaged (an element's own Load succeeds there, its
// part merely absent), since the file's writer always wrote every element whole.
template <class ReadOne>
bool ReadWholeElement(ByteReader& in, size_t minElementBytes, const char* what, ReadOne&& readOne) {
    if (in.Remaining() == 0) {
        in.NoteDamage(what, minElementBytes);
        return false;
    }
    const uint64_t absentBefore = in.AbsentParts();
    if (!readOne()) return false;
    if (in.AbsentParts() != absentBefore) {
        in.NoteDamage(what, sizeof(uint32_t));
        return false;
    }
    return true;
}

template <class T, class ReadOne>
bool ReadListWith(ByteReader& in, std::vector<T>& list, size_t minElementBytes, const T& prototype,
                  ReadOne&& readOne) {
    int32_t count = 0;
    bool present = false;
    if (!in.ReadPartCount(count, minElementBytes, present)) return false;
    if (!present) return true;
    std::vector<T> loaded;
    for (int32_t i = 0; i < count; ++i) {
        // An element's own Load succeeds at the very end of the file (its part is merely
        // absent), so a list that runs out is caught here. The last element may end where
        // one of its own counts would start, as any record may (the lists of the data
        // files are stricter: ReadWholeElement).
        if (in.Remaining() == 0) {
            in.NoteDamage("list element", minElementBytes);
            return false;
        }
        T element = prototype;
        if (!readOne(in, element)) return false;
        loaded.push_back(std::move(element));
    }
    list = std::move(loaded);
    return true;
}

// u32 count, then writeOne(out, element) for each.
template <class T, class WriteOne>
bool WriteListWith(ByteWriter& out, std::vector<T>& list, WriteOne&& writeOne) {
    if (!out.WriteCount(list.size())) return false;
    for (T& element : list)
        if (!writeOne(out, element)) return false;
    return out.Ok();
}

// Sub-records, each by its own Load / Save; new elements are copies of prototype
// (default: a default-constructed record, which has its class defaults).
template <RecordType T>
bool ReadList(ByteReader& in, std::vector<T>& list, const T& prototype) {
    return ReadListWith(in, list, kMinRecordBytes, prototype,
                        [](ByteReader& r, T& element) { return element.Load(r.File()); });
}
template <RecordType T>
bool ReadList(ByteReader& in, std::vector<T>& list) {
    return ReadList(in, list, T{});
}
template <RecordType T>
bool WriteList(ByteWriter& out, std::vector<T>& list) {
    return WriteListWith(out, list,
                         [](ByteWriter& w, T& element) { return element.Save(w.File()); });
}

// Raw values in one block.
template <FileScalar T>
bool ReadList(ByteReader& in, std::vector<T>& list) {
    int32_t count = 0;
    bool present = false;
    if (!in.ReadPartCount(count, sizeof(T), present)) return false;
    if (!present) return true;
    std::vector<T> loaded(static_cast<size_t>(count));
    if (!in.ReadRaw(loaded.data(), loaded.size() * sizeof(T))) return false;
    list = std::move(loaded);
    return true;
}
template <FileScalar T>
bool WriteList(ByteWriter& out, const std::vector<T>& list) {
    return out.WriteCount(list.size()) && out.WriteRaw(list.data(), list.size() * sizeof(T));
}

// Strings in the record string form (not passed through the carriage-return switch).
bool ReadList(ByteReader& in, std::vector<std::string>& list);
bool WriteList(ByteWriter& out, const std::vector<std::string>& list);

// ---- The stream helpers by their names in the system data -----------------------------

// u32 count, then each record's Save in order. False when a write failed.
template <RecordType T>
bool SaveRecordList(std::vector<T>& list, FILE* fp) {
    ByteWriter out(fp);
    return WriteList(out, list);
}
// u32 count, then each text as WriteLenString writes it.
bool SaveStringList(std::vector<std::string>& list, FILE* fp);
// One text in the record string form. The text is cut at its first zero byte, in memory
// too, so that what stays in memory is what the file holds.
bool WriteLenString(std::string& text, FILE* fp);
// One text in the record string form: 1, or 0 when the file cannot hold the length it
// states (the text is then unchanged).
int ReadLenString(std::string& text, FILE* fp);
