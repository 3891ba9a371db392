// Opening, testing, creating and copying game files through the game-path resolver.
#include "platform/fs/fs.h"

#include <sys/stat.h>

#include <cstring>
#include <system_error>

#include "platform/diag.h"

namespace platform::fs {

FILE* OpenGameFile(std::string_view sjisPath, const char* mode) {
    if (!mode) return nullptr;
    // The game opens some files in Windows text mode ("rt+"); line ends are its own
    // business here, so the letter only has to be kept away from fopen.
    std::string osMode;
    for (const char* m = mode; *m; ++m)
        if (*m != 't') osMode.push_back(*m);
    const bool creates = std::strpbrk(osMode.c_str(), "wa") != nullptr;
    const std::filesystem::path path = ResolveGamePath(sjisPath);
    FILE* f = std::fopen(path.c_str(), osMode.c_str());
    if (!f) return nullptr;
    struct stat st {};
    if (::fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(f);
        return nullptr;
    }
    if (creates) InvalidateGamePathCache();
    return f;
}

bool GameFileExists(std::string_view sjisPath) {
    std::error_code ec;
    return std::filesystem::is_regular_file(ResolveGamePath(sjisPath), ec);
}

bool GameDirectoryExists(std::string_view sjisPath) {
    std::error_code ec;
    return std::filesystem::is_directory(ResolveGamePath(sjisPath), ec);
}

bool GamePathExists(std::string_view sjisPath) {
    std::error_code ec;
    return std::filesystem::exists(ResolveGamePath(sjisPath), ec);
}

bool CreateGameDirectory(std::string_view sjisPath) {
    std::error_code ec;
    const auto p = ResolveGamePath(sjisPath);
    const bool created = std::filesystem::create_directories(p, ec);
    if (created) InvalidateGamePathCache();
    return std::filesystem::is_directory(p, ec);
}

bool CopyGameTree(std::string_view sjisFrom, std::string_view sjisTo) {
    namespace sfs = std::filesystem;
    const sfs::path from = ResolveGamePath(sjisFrom);
    const sfs::path to = ResolveGamePath(sjisTo);
    std::error_code ec;
    if (!sfs::is_directory(from, ec)) {
        Diag(DiagLevel::Warn, "fs", "cannot copy '%s': not a folder", from.c_str());
        return false;
    }
    const bool existed = sfs::exists(sfs::symlink_status(to, ec));
    sfs::copy(from, to, sfs::copy_options::recursive | sfs::copy_options::overwrite_existing, ec);
    InvalidateGamePathCache();
    if (!ec) return true;
    Diag(DiagLevel::Warn, "fs", "copying '%s' to '%s' failed: %s", from.c_str(), to.c_str(),
         ec.message().c_str());
    // Only a folder this copy made is removed again: what was there before is not ours.
    if (!existed) {
        std::error_code removeEc;
        sfs::remove_all(to, removeEc);
    }
    return false;
}

bool ReadGameFile(std::string_view sjisPath, std::vector<uint8_t>& out) {
    FILE* f = OpenGameFile(sjisPath, "rb");
    if (!f) return false;
    std::vector<uint8_t> bytes;
    uint8_t block[65536];
    size_t n = 0;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0)
        bytes.insert(bytes.end(), block, block + n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return false;
    out = std::move(bytes);
    return true;
}

}  // namespace platform::fs
