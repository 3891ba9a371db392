// The processor's identification texts and its time-stamp clock rate.
#include "platform/sysinfo/sysinfo.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <x86intrin.h>
#define WF_HAVE_CPUID 1
#endif

#include <time.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace platform::sysinfo {
namespace {

#ifdef WF_HAVE_CPUID
// The identification leaves: vendor from leaf 0 (EBX, EDX, ECX), brand from the
// extended leaves 0x80000002 to 0x80000004 when the processor has them. Both empty
// when it reports no standard leaves.
bool ReadCpuid(CpuIdentity& id) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid_max(0, nullptr) == 0) return false;
    __cpuid(0, a, b, c, d);
    char vendor[13] = {};
    std::memcpy(vendor + 0, &b, 4);
    std::memcpy(vendor + 4, &d, 4);
    std::memcpy(vendor + 8, &c, 4);
    id.vendor = vendor;
    // g++'s header gives the highest leaf unsigned, clang's as int.
    if (static_cast<unsigned>(__get_cpuid_max(0x80000000, nullptr)) >= 0x80000004) {
        char brand[49] = {};
        for (unsigned leaf = 0; leaf < 3; ++leaf) {
            __cpuid(0x80000002 + leaf, a, b, c, d);
            const unsigned regs[4] = {a, b, c, d};
            std::memcpy(brand + leaf * 16, regs, 16);
        }
        id.brand = brand;
    }
    return true;
}
#endif

}  // namespace

CpuIdentity ReadCpuIdentity() {
    CpuIdentity id;
#ifdef WF_HAVE_CPUID
    if (ReadCpuid(id)) return id;
#endif
    std::ifstream in("/proc/cpuinfo", std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    return ParseCpuInfo(text.str());
}

double MeasureCpuClockHz(int windowMs) {
#ifdef WF_HAVE_CPUID
    // The counter keeps a fixed rate on current processors, so the window is slept
    // rather than spun through.
    timespec t0{}, t1{};
    clock_gettime(CLOCK_MONOTONIC, &t0);
    const unsigned long long c0 = __rdtsc();
    timespec wait{windowMs / 1000, static_cast<long>(windowMs % 1000) * 1000000L};
    while (windowMs > 0 && nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
    const unsigned long long c1 = __rdtsc();
    clock_gettime(CLOCK_MONOTONIC, &t1);
    const double seconds = static_cast<double>(t1.tv_sec - t0.tv_sec) +
                           static_cast<double>(t1.tv_nsec - t0.tv_nsec) * 1e-9;
    if (seconds <= 0.0) return 0.0;
    return static_cast<double>(c1 - c0) / seconds;
#else
    (void)windowMs;
    return 0.0;  // no time-stamp counter we can read here
#endif
}

}  // namespace platform::sysinfo
