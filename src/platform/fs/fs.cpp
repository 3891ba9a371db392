#include "platform/fs/fs.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <random>
#include <system_error>

#include "platform/text/cp932.h"

namespace platform::fs {
namespace {

std::atomic<FailPoint> g_failPoint{FailPoint::None};

bool IsLead(uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace

std::filesystem::path ResolveGamePath(std::string_view sjisPath) {
    // Split on '\' and '/' outside double-byte characters.
    std::filesystem::path result;
    std::string component;
    bool absolute = !sjisPath.empty() && sjisPath[0] == '/';
    auto flush = [&] {
        if (component.empty()) return;
        std::string utf8;
        if (!text::TrySjisToUtf8(component, utf8)) utf8 = component;
        result /= utf8;
        component.clear();
    };
    for (size_t i = 0; i < sjisPath.size(); ++i) {
        const auto c = static_cast<uint8_t>(sjisPath[i]);
        if (IsLead(c) && i + 1 < sjisPath.size()) {
            component.push_back(sjisPath[i]);
            component.push_back(sjisPath[++i]);
        } else if (c == '\\' || c == '/') {
            flush();
        } else {
            component.push_back(sjisPath[i]);
        }
    }
    flush();
    if (absolute) return std::filesystem::path("/") / result;
    return result;
}

std::string ToGamePath(const std::filesystem::path& osPath) {
    std::string s = text::Utf8ToSjis(osPath.string());
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

FILE* OpenGameFile(std::string_view sjisPath, const char* mode) {
    return std::fopen(ResolveGamePath(sjisPath).c_str(), mode);
}

bool GameFileExists(std::string_view sjisPath) {
    std::error_code ec;
    return std::filesystem::is_regular_file(ResolveGamePath(sjisPath), ec);
}

bool GameDirectoryExists(std::string_view sjisPath) {
    std::error_code ec;
    return std::filesystem::is_directory(ResolveGamePath(sjisPath), ec);
}

bool CreateGameDirectory(std::string_view sjisPath) {
    std::error_code ec;
    const auto p = ResolveGamePath(sjisPath);
    std::filesystem::create_directories(p, ec);
    return std::filesystem::is_directory(p, ec);
}

AtomicFileWriter::AtomicFileWriter(std::string_view sjisPath) : target_(ResolveGamePath(sjisPath)) {
    if (g_failPoint.load() == FailPoint::Create) return;
    std::random_device rd;
    temp_ = target_;
    temp_ += ".tmp" + std::to_string(getpid()) + "-" + std::to_string(rd());
    file_ = std::fopen(temp_.c_str(), "wb");
}

AtomicFileWriter::~AtomicFileWriter() { Abort(); }

void AtomicFileWriter::Abort() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temp_.empty()) {
        std::error_code ec;
        std::filesystem::remove(temp_, ec);
        temp_.clear();
    }
}

bool AtomicFileWriter::Commit() {
    if (!file_) return false;
    const FailPoint fail = g_failPoint.load();
    bool ok = fail != FailPoint::Write && std::ferror(file_) == 0 && std::fflush(file_) == 0;
    ok = ok && fail != FailPoint::Sync && ::fsync(fileno(file_)) == 0;
    ok = (std::fclose(file_) == 0) && ok;
    file_ = nullptr;
    if (ok && fail != FailPoint::Rename) {
        std::error_code ec;
        std::filesystem::rename(temp_, target_, ec);
        ok = !ec;
    } else {
        ok = false;
    }
    if (ok) {
        temp_.clear();
        return true;
    }
    Abort();
    return false;
}

bool WriteFileAtomic(std::string_view sjisPath, std::span<const uint8_t> bytes) {
    AtomicFileWriter w(sjisPath);
    if (!w.Stream()) return false;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), w.Stream()) != bytes.size())
        return false;
    return w.Commit();
}

void SetAtomicWriteFailPoint(FailPoint point) { g_failPoint.store(point); }

}  // namespace platform::fs
