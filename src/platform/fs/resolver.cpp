// Finding the file a game path names: Shift-JIS aware splitting, case-insensitive
// matching against cached folder listings, and the way back from OS paths.
#include "platform/fs/fs.h"

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <mutex>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "platform/diag.h"
#include "platform/text/cp932.h"

namespace platform::fs {
namespace {

bool IsLead(uint8_t c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
bool IsTrail(uint8_t c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

struct SplitPath {
    bool absolute = false;
    std::vector<std::string> parts;  // no empty parts
};

// Splits on '\' and '/' outside double-byte characters. A lead byte takes the next
// byte only when that is a trail byte, as the game's own scanning does.
SplitPath Split(std::string_view path) {
    SplitPath out;
    out.absolute = !path.empty() && (path[0] == '\\' || path[0] == '/');
    std::string part;
    for (size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<uint8_t>(path[i]);
        if (IsLead(c) && i + 1 < path.size() && IsTrail(static_cast<uint8_t>(path[i + 1]))) {
            part.push_back(path[i]);
            part.push_back(path[++i]);
        } else if (c == '\\' || c == '/') {
            if (!part.empty()) out.parts.push_back(std::move(part));
            part.clear();
        } else {
            part.push_back(path[i]);
        }
    }
    if (!part.empty()) out.parts.push_back(std::move(part));
    return out;
}

// One code point of UTF-8; false on a malformed or overlong sequence.
bool DecodeUtf8(std::string_view s, size_t& i, char32_t& cp) {
    const auto b0 = static_cast<uint8_t>(s[i]);
    int extra = 0;
    char32_t min = 0;
    if (b0 < 0x80) {
        cp = b0;
        ++i;
        return true;
    } else if ((b0 & 0xE0) == 0xC0) {
        extra = 1, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        return false;
    }
    if (i + extra >= s.size()) return false;
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<uint8_t>(s[i + k]);
        if ((b & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
    return true;
}

void EncodeUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Windows compares file names without regard to case; these are the letters with a
// case that code page 932 names can hold, plus Latin-1 for names made on Linux.
char32_t FoldCase(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;  // Greek
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;                // Cyrillic
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;                // Cyrillic Ё and kin
    if (c >= 0xFF21 && c <= 0xFF3A) return c + 0x20;              // full-width Latin
    return c;
}

std::optional<std::string> FoldUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp;
        if (!DecodeUtf8(utf8, i, cp)) return std::nullopt;
        EncodeUtf8(FoldCase(cp), out);
    }
    return out;
}

// The key an entry on disk is matched by: its name folded, read as UTF-8 or, when it
// is not UTF-8, as Shift-JIS; names that are neither match only exactly.
std::string EntryKey(const std::string& name) {
    if (auto folded = FoldUtf8(name)) return *folded;
    std::string utf8;
    if (text::TrySjisToUtf8(name, utf8)) {
        if (auto folded = FoldUtf8(utf8)) return *folded;
    }
    return "\x01raw:" + name;
}

struct Listing {
    dev_t dev = 0;
    ino_t ino = 0;
    timespec mtime{};
    // The folder changed so shortly before it was listed that a later change could
    // carry the same time stamp: such a listing is taken again on a miss.
    bool racy = false;
    std::unordered_map<std::string, std::vector<std::string>> byKey;  // names sorted
};

std::mutex g_cacheMutex;
std::unordered_map<std::string, Listing> g_cache;

constexpr long kRacyWindowNs = 20'000'000;

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool IsRacy(const timespec& mtime) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const long long diff = (static_cast<long long>(now.tv_sec) - mtime.tv_sec) * 1'000'000'000LL +
                           (now.tv_nsec - mtime.tv_nsec);
    return diff < kRacyWindowNs;
}

// Caller holds g_cacheMutex. Null when the folder cannot be listed.
const Listing* GetListing(const std::filesystem::path& dir, bool afterMiss) {
    const std::string key = dir.empty() ? std::string(".") : dir.native();
    struct stat st {};
    if (::stat(key.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        g_cache.erase(key);
        return nullptr;
    }
    auto it = g_cache.find(key);
    if (it != g_cache.end()) {
        const Listing& l = it->second;
        if (l.dev == st.st_dev && l.ino == st.st_ino && SameTime(l.mtime, st.st_mtim) &&
            !(afterMiss && l.racy))
            return &l;
    }
    Listing fresh;
    fresh.dev = st.st_dev;
    fresh.ino = st.st_ino;
    fresh.mtime = st.st_mtim;
    fresh.racy = IsRacy(st.st_mtim);
    std::error_code ec;
    for (std::filesystem::directory_iterator di(key, ec), end; !ec && di != end; di.increment(ec)) {
        const std::string name = di->path().filename().native();
        fresh.byKey[EntryKey(name)].push_back(name);
    }
    if (ec) {
        g_cache.erase(key);
        return nullptr;
    }
    for (auto& [k, names] : fresh.byKey) std::sort(names.begin(), names.end());
    return &(g_cache[key] = std::move(fresh));
}

bool EntryExists(const std::filesystem::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0;
}

// The name on disk of one component inside dir, or nothing when no entry matches.
std::optional<std::string> FindInFolder(const std::filesystem::path& dir, const std::string& sjis,
                                        const std::optional<std::string>& utf8) {
    // Exact names need no listing.
    if (utf8 && EntryExists(dir / *utf8)) return *utf8;
    if ((!utf8 || *utf8 != sjis) && EntryExists(dir / sjis)) return sjis;

    std::vector<std::string> keys;
    if (utf8) {
        if (auto k = FoldUtf8(*utf8)) keys.push_back(std::move(*k));
    }
    if (auto k = FoldUtf8(sjis)) {
        if (std::find(keys.begin(), keys.end(), *k) == keys.end()) keys.push_back(std::move(*k));
    }
    if (keys.empty()) return std::nullopt;

    std::lock_guard lock(g_cacheMutex);
    for (bool afterMiss : {false, true}) {
        const Listing* listing = GetListing(dir, afterMiss);
        if (!listing) return std::nullopt;
        for (const std::string& key : keys) {
            auto it = listing->byKey.find(key);
            if (it == listing->byKey.end() || it->second.empty()) continue;
            const std::vector<std::string>& names = it->second;
            if (names.size() > 1) {
                const std::string where = (dir.empty() ? std::string(".") : dir.native());
                DiagOnce("fs-case:" + where + "/" + key, DiagLevel::Warn, "fs",
                         "%zu names in '%s' differ only in case from '%s'; using '%s'",
                         names.size(), where.c_str(), key.c_str(), names.front().c_str());
            }
            return names.front();
        }
        if (!listing->racy) break;
    }
    return std::nullopt;
}

}  // namespace

std::filesystem::path ResolveGamePath(std::string_view sjisPath) {
    const SplitPath split = Split(sjisPath);
    std::filesystem::path result =
        split.absolute ? std::filesystem::path("/") : std::filesystem::path();
    for (const std::string& part : split.parts) {
        if (part == ".") continue;
        if (part == "..") {
            // By the text, as Windows does: "a\..\b" is "b" whatever "a" links to.
            if (result.has_filename() && result.filename() != "..") {
                result = result.parent_path();
            } else if (!split.absolute) {
                result /= "..";
            }
            continue;
        }
        std::string converted;
        std::optional<std::string> utf8;
        if (text::TrySjisToUtf8(part, converted)) utf8 = std::move(converted);
        if (auto found = FindInFolder(result, part, utf8)) {
            result /= *found;
        } else {
            result /= utf8 ? *utf8 : part;
        }
    }
    return result;
}

std::string ToGamePath(const std::filesystem::path& osPath) {
    const std::string& os = osPath.native();
    std::string out;
    size_t start = 0;
    while (start <= os.size()) {
        const size_t slash = std::min(os.find('/', start), os.size());
        const std::string_view part(os.data() + start, slash - start);
        std::string sjis;
        const bool converts = text::TryUtf8ToSjis(part, sjis);
        out += converts ? sjis : std::string(part);
        if (slash == os.size()) break;
        // A name without a code page 932 form keeps its UTF-8 bytes; a '\' after them
        // could be taken as the second byte of a double-byte character, '/' cannot.
        out.push_back(converts ? '\\' : '/');
        start = slash + 1;
    }
    return out;
}

void InvalidateGamePathCache() {
    std::lock_guard lock(g_cacheMutex);
    g_cache.clear();
}

}  // namespace platform::fs
