// Relative and absolute game paths, file-name parts, extensions and numbered
// generations.
#include "core/paths.h"

#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/strings.h"
#include "platform/fs/fs.h"

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool PairAt(std::string_view s, size_t i) {
    return i + 1 < s.size() && IsSjisLead(static_cast<uint8_t>(s[i])) &&
           IsSjisTrail(static_cast<uint8_t>(s[i + 1]));
}

// Index after the last separator. Scanning forward keeps track of where characters
// begin: scanning back from the end cannot tell "メ\" (83 81 5C, a separator after a
// character whose second byte is also a lead byte) from "表" (95 5C).
size_t NameStart(std::string_view s) {
    size_t start = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (PairAt(s, i)) {
            ++i;
        } else if (IsSeparator(s[i])) {
            start = i + 1;
        }
    }
    return start;
}

// The last '.' of the file name ('.' is never the second byte of a character).
std::optional<size_t> LastDot(std::string_view s) {
    const size_t start = NameStart(s);
    const size_t dot = s.find_last_of('.');
    if (dot == std::string_view::npos || dot < start) return std::nullopt;
    return dot;
}

bool EndsWithSeparator(std::string_view s) {
    return !s.empty() && NameStart(s) == s.size();
}

bool HasDrive(std::string_view s) {
    return s.size() >= 2 && s[1] == ':' &&
           ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z'));
}

bool IsAbsolute(std::string_view s) {
    return (!s.empty() && IsSeparator(s[0])) || HasDrive(s);
}

std::vector<std::string> Components(std::string_view s) {
    std::vector<std::string> parts;
    std::string part;
    for (size_t i = 0; i < s.size(); ++i) {
        if (PairAt(s, i)) {
            part.append(s.substr(i, 2));
            ++i;
        } else if (IsSeparator(s[i])) {
            if (!part.empty()) parts.push_back(std::move(part));
            part.clear();
        } else {
            part.push_back(s[i]);
        }
    }
    if (!part.empty()) parts.push_back(std::move(part));
    return parts;
}

// "." dropped, ".." taking one step back (never above the root), by the text alone.
std::vector<std::string> Normalised(const std::vector<std::string>& parts) {
    std::vector<std::string> out;
    for (const std::string& p : parts) {
        if (p == ".") continue;
        if (p == "..") {
            if (!out.empty()) out.pop_back();
            continue;
        }
        out.push_back(p);
    }
    return out;
}

// Windows compares path components without regard to ASCII case; the bytes of
// double-byte characters compare exactly.
bool SameComponent(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (PairAt(a, i)) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The current directory as a game path, "\home\me\game".
std::optional<std::vector<std::string>> CurrentDirectory() {
    std::error_code ec;
    const std::filesystem::path cwd = std::filesystem::current_path(ec);
    if (ec || cwd.empty()) return std::nullopt;
    return Normalised(Components(platform::fs::ToGamePath(cwd)));
}

std::string JoinAbsolute(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& p : parts) out += "\\" + p;
    return out.empty() ? std::string("\\") : out;
}

bool MakeAbsoluteString(std::string& path) {
    if (IsAbsolute(path)) return true;
    if (path.empty()) return false;
    auto parts = CurrentDirectory();
    if (!parts) return false;
    for (std::string& p : Components(path)) parts->push_back(std::move(p));
    std::string result = JoinAbsolute(Normalised(*parts));
    if (EndsWithSeparator(path) && result.back() != '\\') result.push_back('\\');
    path = std::move(result);
    return true;
}

bool MakeRelativeString(std::string& path) {
    if (!IsAbsolute(path)) return true;
    if (HasDrive(path)) return false;  // no drive is the current directory's
    const auto from = CurrentDirectory();
    if (!from) return false;
    const bool folder = EndsWithSeparator(path);
    std::vector<std::string> to = Normalised(Components(path));
    std::string file;
    if (!folder && !to.empty()) {
        file = std::move(to.back());
        to.pop_back();
    }
    size_t common = 0;
    while (common < from->size() && common < to.size() &&
           SameComponent((*from)[common], to[common]))
        ++common;
    std::string result;
    if (common == from->size()) {
        result = ".";
    } else {
        for (size_t i = common; i < from->size(); ++i) result += (i == common) ? ".." : "\\..";
    }
    for (size_t i = common; i < to.size(); ++i) result += "\\" + to[i];
    if (!file.empty()) result += "\\" + file;
    if (folder) result += "\\";
    path = std::move(result);
    return true;
}

std::optional<std::string> ChangeExtensionString(const std::string& path, const char* extension) {
    const auto dot = LastDot(path);
    if (!dot) return std::nullopt;
    return extension ? path.substr(0, *dot + 1) + extension : path.substr(0, *dot);
}

bool Fits(const std::string& s) {
    return s.size() < static_cast<size_t>(kMaxPath);
}

// Copies s with its terminating zero into a kMaxPath buffer; false when it does not fit.
bool Put(char* out, const std::string& s) {
    if (!Fits(s)) return false;
    std::memcpy(out, s.c_str(), s.size() + 1);
    return true;
}

std::optional<std::string> FindNewest(const std::string& path, const char* extension,
                                      bool limited) {
    const std::string base = ChangeExtensionString(path, extension).value_or(path);
    for (int n = 999; n >= 0; --n) {
        const std::string name = StrPrintf("%s_%d%d%d", base.c_str(), n / 100, n / 10 % 10, n % 10);
        if (limited && !Fits(name)) return std::nullopt;
        if (platform::fs::GamePathExists(name)) return name;
    }
    return std::nullopt;
}

}  // namespace

int MakeRelativePath(char* path) {
    std::string s = path;
    if (!MakeRelativeString(s) || !Fits(s)) return 0;
    Put(path, s);
    return 1;
}

int MakeAbsolutePath(char* path) {
    std::string s = path;
    if (!MakeAbsoluteString(s) || !Fits(s)) return 0;
    Put(path, s);
    return 1;
}

void StripDirectory(char* path) {
    const size_t start = NameStart(path);
    if (start > 0) std::memmove(path, path + start, std::strlen(path + start) + 1);
}

int ChangeExtension(char* out, const char* path, const char* extension) {
    const std::string s = path;
    const auto changed = ChangeExtensionString(s, extension);
    if (changed && Put(out, *changed)) return 1;
    Put(out, s);
    return 0;
}

int StripExtension(char* path) {
    const auto dot = LastDot(path);
    if (!dot) return 0;
    path[*dot] = '\0';
    return 1;
}

int GetExtension(char* out, const char* path) {
    const std::string_view s = path;
    const auto dot = LastDot(s);
    if (!dot) return 0;
    const std::string_view ext = s.substr(*dot + 1);
    std::memmove(out, ext.data(), ext.size());
    out[ext.size()] = '\0';
    return 1;
}

int AddNumberSuffix(char* out, const char* path, uint8_t digit1, uint8_t digit2) {
    const std::string s = path;
    if (const auto dot = LastDot(s)) {
        std::string result = s.substr(0, *dot) + "_";
        result.push_back(static_cast<char>('0' + digit1));
        result.push_back(static_cast<char>('0' + digit2));
        result += s.substr(*dot);
        if (Put(out, result)) return 1;
    }
    Put(out, s);
    return 0;
}

int FindNewestBackup(char* out, const char* path, const char* extension) {
    const auto found = FindNewest(path, extension, true);
    if (!found) return 0;
    Put(out, *found);
    return 1;
}

int MakeRelativePathStr(std::string& path) {
    return MakeRelativeString(path) ? 1 : 0;
}

int StripExtensionStr(std::string& path) {
    const auto dot = LastDot(path);
    if (!dot) return 0;
    path.resize(*dot);
    return 1;
}

int FindNewestBackupStr(std::string& out, const std::string& path, const char* extension) {
    auto found = FindNewest(path, extension, false);
    if (!found) return 0;
    out = std::move(*found);
    return 1;
}
