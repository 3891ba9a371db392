// What this machine says about itself for the start-up report: the OS release, the
// processor's identification and clock, memory and the free space of a folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform::sysinfo {

// Texts are Shift-JIS, ready for the report file; a fact the machine does not give
// stays empty.
struct OsFacts {
    std::string distribution;   // os-release PRETTY_NAME ("Debian GNU/Linux 12 (bookworm)")
    std::string kernelName;     // uname sysname ("Linux")
    std::string kernelRelease;  // uname release ("6.1.0-18-amd64")
};
OsFacts ReadOsFacts();

// The distribution's name from the text of an os-release file (UTF-8 in and out):
// PRETTY_NAME, else NAME and VERSION, else NAME, else empty.
std::string ParseOsReleaseName(std::string_view osRelease);

struct CpuIdentity {
    std::string vendor;  // "GenuineIntel"
    std::string brand;   // the processor's own brand text, spaces kept as it gives them
};
// The identification instruction where the processor has one, else /proc/cpuinfo.
CpuIdentity ReadCpuIdentity();
// vendor_id and model name of the first processor listed in /proc/cpuinfo text.
CpuIdentity ParseCpuInfo(std::string_view procCpuInfo);

// The time-stamp counter's rate in Hz, counted over a window of windowMs (the call
// blocks that long); 0 on a processor without one.
double MeasureCpuClockHz(int windowMs);

struct MemoryFacts {
    uint64_t totalPhysical = 0;
    uint64_t availablePhysical = 0;
    uint64_t totalVirtual = 0;  // the process's address space
    uint64_t availableVirtual = 0;
};
MemoryFacts ReadMemoryFacts();

// MemTotal and MemAvailable (MemFree on kernels without it) of /proc/meminfo text, in
// bytes; false when MemTotal is missing.
bool ParseMemInfo(std::string_view procMemInfo, uint64_t& totalBytes, uint64_t& availableBytes);

// Bytes an unprivileged writer may still use on the file system holding dir.
std::optional<uint64_t> FreeBytesAvailable(const std::filesystem::path& dir);

}  // namespace platform::sysinfo
