// The machine a benchmark ran on, added to the context Google Benchmark prints before
// its figures (which gives the processor count, clock and caches): the processor's
// brand, the distribution and kernel, and the memory.
#pragma once

#include <benchmark/benchmark.h>

#include <string>

#include "platform/sysinfo/sysinfo.h"

namespace bench_machine {

// Added while the program starts, before the context is printed.
inline const bool kContextAdded = [] {
    namespace si = platform::sysinfo;
    const si::CpuIdentity cpu = si::ReadCpuIdentity();
    const si::OsFacts os = si::ReadOsFacts();
    benchmark::AddCustomContext("cpu", cpu.brand.empty() ? cpu.vendor : cpu.brand);
    benchmark::AddCustomContext("os",
                                os.distribution + ", " + os.kernelName + " " + os.kernelRelease);
    benchmark::AddCustomContext("memory_MiB",
                                std::to_string(si::ReadMemoryFacts().totalPhysical >> 20));
    return true;
}();

}  // namespace bench_machine
