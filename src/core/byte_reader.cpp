// Bounded reading and checked writing of record files.
#include "core/byte_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <vector>

#include "platform/diag.h"

namespace {

struct KnownEnd {
    FILE* fp;
    int64_t end;
    uint64_t absentParts = 0;  // counts that stood at the very end of the file
};

// Few files are open at once; a short list under a lock is all this needs. A reader and its
// file may be on different threads (the stage is checked on one and read on another).
std::mutex g_endsMutex;
std::vector<KnownEnd> g_ends;

int64_t MeasureEnd(FILE* fp) {
    const long pos = std::ftell(fp);
    if (pos < 0 || std::fseek(fp, 0, SEEK_END) != 0) return -1;
    const long end = std::ftell(fp);
    if (std::fseek(fp, pos, SEEK_SET) != 0) return -1;
    return end;
}

}  // namespace

void RememberFileEnd(FILE* fp) {
    if (!fp) return;
    const int64_t end = MeasureEnd(fp);
    std::lock_guard lock(g_endsMutex);
    for (KnownEnd& k : g_ends) {
        if (k.fp == fp) {
            k.end = end;
            k.absentParts = 0;
            return;
        }
    }
    g_ends.push_back({fp, end, 0});
}

void ForgetFileEnd(FILE* fp) {
    std::lock_guard lock(g_endsMutex);
    std::erase_if(g_ends, [fp](const KnownEnd& k) { return k.fp == fp; });
}

ByteReader::ByteReader(FILE* fp) : fp_(fp) {
    if (!fp_) return;
    {
        std::lock_guard lock(g_endsMutex);
        for (const KnownEnd& k : g_ends) {
            if (k.fp == fp_) {
                end_ = k.end;
                return;
            }
        }
    }
    // A stream that cannot be measured has nothing we can vouch for: every read refuses.
    end_ = MeasureEnd(fp_);
}

uint64_t ByteReader::Remaining() const {
    if (!fp_ || end_ < 0) return 0;
    const long pos = std::ftell(fp_);
    if (pos < 0 || pos >= end_) return 0;
    return static_cast<uint64_t>(end_ - pos);
}

uint64_t ByteReader::AbsentParts() const {
    std::lock_guard lock(g_endsMutex);
    for (const KnownEnd& k : g_ends)
        if (k.fp == fp_) return k.absentParts;
    return 0;
}

void ByteReader::NoteDamage(const char* what, uint64_t needed) {
    const long pos = fp_ ? std::ftell(fp_) : -1;
    platform::Diag(platform::DiagLevel::Warn, "record",
                   "damaged file: %s at offset %ld needs %llu bytes, %llu left", what, pos,
                   static_cast<unsigned long long>(needed),
                   static_cast<unsigned long long>(Remaining()));
}

bool ByteReader::ReadRaw(void* dst, size_t n) {
    if (n == 0) return true;
    if (n > Remaining()) return false;
    return std::fread(dst, 1, n, fp_) == n;
}

ReadStatus ByteReader::ReadCount(int32_t& count, size_t minElementBytes) {
    if (!fp_ || end_ < 0) {
        NoteDamage("unreadable stream", sizeof(uint32_t));
        return ReadStatus::Damaged;
    }
    if (Remaining() == 0) {
        std::lock_guard lock(g_endsMutex);
        for (KnownEnd& k : g_ends)
            if (k.fp == fp_) ++k.absentParts;
        return ReadStatus::AtEnd;
    }
    uint32_t word = 0;
    if (!ReadRaw(&word, sizeof word)) {
        NoteDamage("count word", sizeof word);
        return ReadStatus::Damaged;
    }
    const auto value = static_cast<int32_t>(word);
    if (value <= 0) {
        count = 0;
        return ReadStatus::Ok;
    }
    const uint64_t needed = static_cast<uint64_t>(value) * minElementBytes;
    if (needed > Remaining()) {
        NoteDamage("element count", needed);
        return ReadStatus::Damaged;
    }
    count = value;
    return ReadStatus::Ok;
}

bool ByteReader::ReadPartCount(int32_t& count, size_t minElementBytes, bool& present) {
    count = 0;
    const ReadStatus status = ReadCount(count, minElementBytes);
    present = status == ReadStatus::Ok;
    return status != ReadStatus::Damaged;
}

bool ByteReader::ReadString(std::string& out) {
    uint32_t length = 0;
    if (!ReadRaw(&length, sizeof length)) {
        NoteDamage("string length", sizeof length);
        return false;
    }
    if (length <= 1) {
        out.clear();
        return true;
    }
    if (length > Remaining()) {
        NoteDamage("string", length);
        return false;
    }
    std::string text(length, '\0');
    if (!ReadRaw(text.data(), length)) return false;
    text.resize(std::strlen(text.c_str()));
    out = std::move(text);
    return true;
}

bool ByteWriter::WriteRaw(const void* src, size_t n) {
    if (!ok_) return false;
    if (n != 0 && std::fwrite(src, 1, n, fp_) != n) ok_ = false;
    return ok_;
}

bool ByteWriter::WriteCount(size_t count) {
    if (count > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
        ok_ = false;
        return false;
    }
    return Write(static_cast<uint32_t>(count));
}

bool ByteWriter::WriteString(std::string_view text) {
    text = text.substr(0, std::min(text.size(), text.find('\0')));
    if (text.size() >= std::numeric_limits<int32_t>::max()) {
        ok_ = false;
        return false;
    }
    if (!Write(static_cast<uint32_t>(text.size() + 1))) return false;
    if (text.empty()) return true;
    const char zero = 0;
    return WriteRaw(text.data(), text.size()) && WriteRaw(&zero, 1);
}
