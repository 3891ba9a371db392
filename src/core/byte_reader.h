// The bounded reader and the checked writer under every record file: the reader knows how
// many bytes the file has left and refuses a count or length they cannot hold, the writer
// remembers the first failed write.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>

static_assert(std::endian::native == std::endian::little,
              "record files are read and written in memory order, which must be little-endian");

// The types a record file holds raw: fixed widths only. No bool (the game's flags are 4-byte
// words) and no long, whose width differs between the writer's platform and ours.
template <class T>
concept FileScalar =
    std::is_same_v<T, char> || std::is_same_v<T, int8_t> || std::is_same_v<T, uint8_t> ||
    std::is_same_v<T, int16_t> || std::is_same_v<T, uint16_t> || std::is_same_v<T, int32_t> ||
    std::is_same_v<T, uint32_t> || std::is_same_v<T, float> || std::is_same_v<T, double>;

// What a read ended with. AtEnd: the file ended exactly where a count word should begin,
// which files written by older tools do; the part is simply absent. Damaged: the bytes left
// cannot hold what the file claims (a torn word, a count or length too large).
enum class ReadStatus { Ok, AtEnd, Damaged };

class ByteReader {
  public:
    // Reads from the stream's current position. Files opened by OpenRecordRead have their
    // end remembered; any other stream is measured here (two seeks).
    explicit ByteReader(FILE* fp);

    FILE* File() const { return fp_; }
    // Bytes between the stream position and the end of the file.
    uint64_t Remaining() const;

    // All or nothing: fewer bytes left than n is damage and nothing is read.
    bool ReadRaw(void* dst, size_t n);

    template <FileScalar T>
    bool Read(T& value) {
        return ReadRaw(&value, sizeof(T));
    }

    // A u32 element count, taken as signed: 0 or less means no elements (the game's loops
    // run while i < count). Damaged when count x minElementBytes exceed the bytes left after
    // the word, so no caller ever allocates from a count the file cannot back.
    ReadStatus ReadCount(int32_t& count, size_t minElementBytes);
    // ReadCount for a part the file may simply lack: false only on damage; present is
    // false (and count 0) when the file ended where the word would start.
    bool ReadPartCount(int32_t& count, size_t minElementBytes, bool& present);

    // How many counts of a file opened by OpenRecordRead were absent so far (AtEnd). A
    // list element during whose Load this grows was cut short: the file ended inside the
    // list. 0 for any other stream.
    uint64_t AbsentParts() const;

    // A stored string: u32 length counting the terminating zero, then that many bytes
    // (none when the length is 1; a length of 0 is taken as empty too). The text is cut at
    // its first zero byte.
    bool ReadString(std::string& out);

    // Says on our diagnostics (not the game's logs) what was refused and where.
    void NoteDamage(const char* what, uint64_t needed);

  private:
    FILE* fp_;
    int64_t end_ = -1;  // -1: the stream could not be measured
};

class ByteWriter {
  public:
    explicit ByteWriter(FILE* fp) : fp_(fp), ok_(fp != nullptr) {}

    FILE* File() const { return fp_; }
    // False once any write has failed (or the stream is null); later writes are skipped.
    bool Ok() const { return ok_; }

    bool WriteRaw(const void* src, size_t n);

    template <FileScalar T>
    bool Write(T value) {
        return WriteRaw(&value, sizeof(T));
    }

    // A u32 count; a size beyond the signed 32-bit range cannot be stored and fails.
    bool WriteCount(size_t count);

    // The text up to its first zero byte as u32 length + 1, then the text and a zero; the
    // empty text is the length 1 alone.
    bool WriteString(std::string_view text);

  private:
    FILE* fp_;
    bool ok_;
};

// The end of a file opened for reading, remembered so that every reader over it is cheap
// to make. OpenRecordRead and CloseRecordFile call these.
void RememberFileEnd(FILE* fp);
void ForgetFileEnd(FILE* fp);
