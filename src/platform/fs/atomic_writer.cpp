// Writing user files (saves, options, rankings, replays, key configuration) so that a
// failed write never costs the user the copy they had.
#include "platform/fs/fs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

#include "platform/diag.h"

namespace platform::fs {
namespace {

std::atomic<FailPoint> g_failPoint{FailPoint::None};

// A hidden name next to the target, so that the rename never crosses file systems.
std::filesystem::path TempNameFor(const std::filesystem::path& target, unsigned salt) {
    std::string name = target.filename().native();
    if (name.size() > 180) name.resize(180);  // stay well under the 255-byte name limit
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%d-%08x.tmp", static_cast<int>(::getpid()), salt);
    return target.parent_path() / ("." + name + suffix);
}

// Makes the rename itself durable. The new file is in place either way, so a folder
// that cannot be synced is only worth a warning.
void SyncFolder(const std::filesystem::path& folder) {
    const std::string dir = folder.empty() ? std::string(".") : folder.native();
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0)
        Diag(DiagLevel::Warn, "fs", "could not sync folder '%s'", dir.c_str());
    if (fd >= 0) ::close(fd);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string_view sjisPath) : target_(ResolveGamePath(sjisPath)) {
    if (g_failPoint.load() == FailPoint::Create) return;
    std::random_device rd;
    for (int attempt = 0; attempt < 8 && !file_; ++attempt) {
        const std::filesystem::path temp = TempNameFor(target_, rd());
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            Diag(DiagLevel::Warn, "fs", "cannot create '%s': %s", temp.c_str(),
                 std::strerror(errno));
            return;
        }
        // A file the user made read-only for others stays so after the save.
        struct stat old {};
        if (::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode))
            ::fchmod(fd, old.st_mode & 07777);
        file_ = ::fdopen(fd, "wb");
        if (!file_) {
            ::close(fd);
            ::unlink(temp.c_str());
            return;
        }
        temp_ = temp;
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    Abort();
}

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
        if (ec)
            Diag(DiagLevel::Warn, "fs", "cannot replace '%s': %s", target_.c_str(),
                 ec.message().c_str());
    } else {
        ok = false;
    }
    if (!ok) {
        Abort();
        return false;
    }
    temp_.clear();
    InvalidateGamePathCache();
    SyncFolder(target_.parent_path());
    return true;
}

bool WriteFileAtomic(std::string_view sjisPath, std::span<const uint8_t> bytes) {
    AtomicFileWriter w(sjisPath);
    if (!w.Stream()) return false;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), w.Stream()) != bytes.size())
        return false;
    return w.Commit();
}

void SetAtomicWriteFailPoint(FailPoint point) {
    g_failPoint.store(point);
}

}  // namespace platform::fs
