// OS release, memory and free-space facts read from uname, os-release, /proc and
// statvfs.
#include "platform/sysinfo/sysinfo.h"

#include <sys/resource.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>

#include <fstream>
#include <sstream>

#include "platform/text/cp932.h"

namespace platform::sysinfo {
namespace {

std::string ReadWholeFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// Calls fn(key, value) for every "key<sep>value" line.
template <typename Fn>
void ForEachLine(std::string_view text, char separator, Fn fn) {
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        const auto sep = line.find(separator);
        if (sep == std::string_view::npos) continue;
        if (!fn(Trim(line.substr(0, sep)), Trim(line.substr(sep + 1)))) return;
    }
}

// os-release values are shell words: double quotes with backslash escapes, single
// quotes taken literally, or bare.
std::string UnquoteShellWord(std::string_view value) {
    std::string out;
    char quote = 0;
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (quote == 0 && (c == '"' || c == '\'')) {
            quote = c;
        } else if (quote != 0 && c == quote) {
            quote = 0;
        } else if (quote != '\'' && c == '\\' && i + 1 < value.size()) {
            out.push_back(value[++i]);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// "MemTotal:       16318164 kB" -> bytes.
uint64_t KibibytesField(std::string_view value) {
    uint64_t n = 0;
    for (char c : value) {
        if (c < '0' || c > '9') break;
        n = n * 10 + static_cast<uint64_t>(c - '0');
    }
    return n * 1024;
}

// Size of the user address space when no limit is set on it.
uint64_t UserAddressSpace() {
#if defined(__x86_64__)
    return uint64_t{1} << 47;
#elif defined(__aarch64__)
    return uint64_t{1} << 48;
#else
    return 0;  // not known on this processor: reported as 0
#endif
}

}  // namespace

std::string ParseOsReleaseName(std::string_view osRelease) {
    std::string pretty, name, version;
    ForEachLine(osRelease, '=', [&](std::string_view key, std::string_view value) {
        if (!key.empty() && key[0] == '#') return true;
        if (key == "PRETTY_NAME") pretty = UnquoteShellWord(value);
        if (key == "NAME") name = UnquoteShellWord(value);
        if (key == "VERSION") version = UnquoteShellWord(value);
        return true;
    });
    if (!pretty.empty()) return pretty;
    if (!name.empty() && !version.empty()) return name + " " + version;
    return name;
}

OsFacts ReadOsFacts() {
    OsFacts facts;
    std::string osRelease = ReadWholeFile("/etc/os-release");
    if (osRelease.empty()) osRelease = ReadWholeFile("/usr/lib/os-release");
    facts.distribution = text::Utf8ToSjis(ParseOsReleaseName(osRelease));
    utsname names{};
    if (uname(&names) == 0) {
        facts.kernelName = text::Utf8ToSjis(names.sysname);
        facts.kernelRelease = text::Utf8ToSjis(names.release);
    }
    return facts;
}

CpuIdentity ParseCpuInfo(std::string_view procCpuInfo) {
    CpuIdentity id;
    ForEachLine(procCpuInfo, ':', [&](std::string_view key, std::string_view value) {
        // The first processor's block ends at the second "processor" line.
        if (key == "processor" && (!id.vendor.empty() || !id.brand.empty())) return false;
        if (key == "vendor_id" && id.vendor.empty()) id.vendor = value;
        if (key == "model name" && id.brand.empty()) id.brand = value;
        return true;
    });
    return id;
}

bool ParseMemInfo(std::string_view procMemInfo, uint64_t& totalBytes, uint64_t& availableBytes) {
    std::optional<uint64_t> total, available, free;
    ForEachLine(procMemInfo, ':', [&](std::string_view key, std::string_view value) {
        if (key == "MemTotal") total = KibibytesField(value);
        if (key == "MemAvailable") available = KibibytesField(value);
        if (key == "MemFree") free = KibibytesField(value);
        return true;
    });
    if (!total) return false;
    totalBytes = *total;
    availableBytes = available ? *available : free.value_or(0);
    return true;
}

MemoryFacts ReadMemoryFacts() {
    MemoryFacts facts;
    ParseMemInfo(ReadWholeFile("/proc/meminfo"), facts.totalPhysical, facts.availablePhysical);

    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        facts.totalVirtual = limit.rlim_cur;
    else
        facts.totalVirtual = UserAddressSpace();
    uint64_t used = 0;
    ForEachLine(ReadWholeFile("/proc/self/status"), ':',
                [&](std::string_view key, std::string_view value) {
                    if (key != "VmSize") return true;
                    used = KibibytesField(value);
                    return false;
                });
    facts.availableVirtual = facts.totalVirtual > used ? facts.totalVirtual - used : 0;
    return facts;
}

std::optional<uint64_t> FreeBytesAvailable(const std::filesystem::path& dir) {
    struct statvfs stats {};
    if (statvfs(dir.c_str(), &stats) != 0) return std::nullopt;
    return static_cast<uint64_t>(stats.f_bavail) * static_cast<uint64_t>(stats.f_frsize);
}

}  // namespace platform::sysinfo
