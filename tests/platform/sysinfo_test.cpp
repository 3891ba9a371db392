// Reading this machine's facts: the parsers on fixed texts, the readers on this machine.
#include "platform/sysinfo/sysinfo.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace sysinfo = platform::sysinfo;

TEST(SysInfo, OsReleaseNameFromItsShellWords) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"NAME=\"Debian GNU/Linux\"\nVERSION=\"12 (bookworm)\"\n"
         "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
         "Debian GNU/Linux 12 (bookworm)"},
        {"# comment=\"x\"\nNAME=Fedora\nVERSION='39 (Workstation Edition)'\n",
         "Fedora 39 (Workstation Edition)"},
        {"NAME=Arch\r\nID=arch\r\n", "Arch"},
        {"PRETTY_NAME=\"Say \\\"hi\\\" \\\\ \\$HOME\"\n", "Say \"hi\" \\ $HOME"},
        {"PRETTY_NAME='a\\b'\n", "a\\b"},
        {"VERSION=1\n", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(sysinfo::ParseOsReleaseName(c.text), c.expected);
    }
}

TEST(SysInfo, CpuInfoOfTheFirstProcessor) {
    const char* text =
        "processor\t: 0\n"
        "vendor_id\t: AuthenticAMD\n"
        "model name\t: AMD Ryzen 7 5800X 8-Core Processor\n"
        "cpu MHz\t\t: 3800.000\n"
        "\n"
        "processor\t: 1\n"
        "vendor_id\t: Other\n"
        "model name\t: Other\n";
    const sysinfo::CpuIdentity id = sysinfo::ParseCpuInfo(text);
    EXPECT_EQ(id.vendor, "AuthenticAMD");
    EXPECT_EQ(id.brand, "AMD Ryzen 7 5800X 8-Core Processor");

    // A processor without these fields (many ARM kernels) leaves both empty.
    const sysinfo::CpuIdentity arm = sysinfo::ParseCpuInfo("processor\t: 0\nBogoMIPS\t: 48.00\n");
    EXPECT_EQ(arm.vendor, "");
    EXPECT_EQ(arm.brand, "");
}

TEST(SysInfo, MemInfoInBytes) {
    struct Case {
        const char* text;
        bool ok;
        uint64_t total, available;
    };
    const Case cases[] = {
        {"MemTotal:       16318164 kB\nMemFree:         1000000 kB\n"
         "MemAvailable:   12000000 kB\n",
         true, 16318164ull * 1024, 12000000ull * 1024},
        // Kernels older than MemAvailable: the free figure stands in.
        {"MemTotal: 2048 kB\nMemFree: 1024 kB\n", true, 2048ull * 1024, 1024ull * 1024},
        {"MemFree: 1024 kB\n", false, 7, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        uint64_t total = 7, available = 7;
        EXPECT_EQ(sysinfo::ParseMemInfo(c.text, total, available), c.ok);
        EXPECT_EQ(total, c.total);
        EXPECT_EQ(available, c.available);
    }
}

TEST(SysInfo, ThisMachineAnswers) {
    const sysinfo::OsFacts os = sysinfo::ReadOsFacts();
    EXPECT_EQ(os.kernelName, "Linux");
    EXPECT_FALSE(os.kernelRelease.empty());

    const sysinfo::MemoryFacts mem = sysinfo::ReadMemoryFacts();
    EXPECT_GT(mem.totalPhysical, 0u);
    EXPECT_LE(mem.availablePhysical, mem.totalPhysical);
    EXPECT_LE(mem.availableVirtual, mem.totalVirtual);

    wftest::TempDir dir;
    EXPECT_TRUE(sysinfo::FreeBytesAvailable(dir.Path()).has_value());
    EXPECT_FALSE(sysinfo::FreeBytesAvailable(dir.Path() / "missing").has_value());
}

#if defined(__i386__) || defined(__x86_64__)
TEST(SysInfo, ProcessorIdentifiesItselfAndItsCounterRuns) {
    const sysinfo::CpuIdentity id = sysinfo::ReadCpuIdentity();
    EXPECT_EQ(id.vendor.size(), 12u);  // three registers of four characters
    // A short window: the rate only has to be that of a real counter.
    const double hz = sysinfo::MeasureCpuClockHz(5);
    EXPECT_GT(hz, 1e7);
    EXPECT_LT(hz, 1e11);
}
#endif
