// The start-up system report against injected machine and display facts.
#include "core/system_report.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "core/log.h"
#include "support/temp_dir.h"

namespace {

class FakeSystemFacts final : public SystemFactsSource {
  public:
    platform::sysinfo::OsFacts os{"Debian GNU/Linux 12 (bookworm)", "Linux", "6.1.0-18-amd64"};
    platform::sysinfo::CpuIdentity cpu{"GenuineIntel", "Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz"};
    double clockHz = 1799999999.9;
    platform::sysinfo::MemoryFacts memory;
    std::optional<uint64_t> diskFree;
    std::string askedDir = "(not asked)";
    int clockMeasurements = 0;

    platform::sysinfo::OsFacts Os() override { return os; }
    platform::sysinfo::CpuIdentity CpuIdentity() override { return cpu; }
    double CpuClockHz() override {
        ++clockMeasurements;
        return clockHz;
    }
    platform::sysinfo::MemoryFacts Memory() override { return memory; }
    std::optional<uint64_t> DiskFreeBytes(const std::string& sjisDir) override {
        askedDir = sjisDir;
        return diskFree;
    }
};

class FakeDisplay final : public DisplayFactsSource {
  public:
    DisplayFacts display;
    bool diagReadable = true;
    DxDiagFacts diag;
    std::map<std::tuple<int, uint32_t, uint32_t>, FormatCheck> formats;  // default Available

    DisplayFacts Display() override { return display; }
    bool DxDiag(DxDiagFacts& out) override {
        if (diagReadable) out = diag;
        return diagReadable;
    }
    FormatCheck CheckDeviceFormat(int adapter, uint32_t usage, uint32_t resourceType) override {
        const auto it = formats.find({adapter, usage, resourceType});
        return it == formats.end() ? FormatCheck::Available : it->second;
    }
};

class SystemReportTest : public testing::Test {
  protected:
    void SetUp() override {
        ResetLogsForTest();
        SetSystemFactsSource(&facts);
        SetDisplayFactsSource(&display);
        ASSERT_EQ(ReportOpen(report.c_str()), 1);
    }
    void TearDown() override {
        SetSystemFactsSource(nullptr);
        SetDisplayFactsSource(nullptr);
        ResetLogsForTest();
    }
    std::string Report() const { return wftest::ReadText(report); }

    wftest::TempDir dir;
    std::string report = dir.File("Report_Game.txt");
    FakeSystemFacts facts;
    FakeDisplay display;
};

constexpr uint32_t kMiB = 1048576;

DisplayDeviceFacts SoftwareDevice() {
    DisplayDeviceFacts d;
    d.chipType = "Wrenfold software renderer";
    d.displayMemory = "256 MB";
    d.ddiVersion = "9";
    d.ddAcceleration = true;
    d.d3dAcceleration = true;
    d.driverFile = "wrenfold.so";
    d.driverVersion = (uint64_t{6} << 48) | (uint64_t{14} << 32) | (uint64_t{10} << 16) | 9;
    d.caps.maxTextureWidth = 4096;
    d.caps.maxTextureHeight = 2048;
    d.caps.maxTextureBlendStages = 8;
    d.caps.maxSimultaneousTextures = 4;
    d.caps.caps3 = kCaps3AlphaFullscreenFlipOrDiscard;
    d.caps.caps2 = kCaps2DynamicTextures;
    d.caps.fields = {{"DeviceType", uint32_t{1}}, {"MaxPointSize", 1.5f}, {"GuardBandLeft", -8}};
    return d;
}

// SoftwareDevice's lines in the diagnostics block: its head, its caps, both accelerations.
// "---デバイス" and "○" in code page 932.
const std::string kDevice = "---\x83\x66\x83\x6F\x83\x43\x83\x58";
const std::string kSoftwareHead =
    "Destination : Wrenfold software renderer\r\nVRAM : 256 MB\r\n"
    "Driver : wrenfold.so 6.14.0010.0009\r\nDDI : 9\r\n"
    "TextureMaxSize : (4096,2048)\r\nTextureMaxBlend : (8,4)\r\n";
const std::string kSoftwareCaps =
    "D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD\r\nD3DCAPS2_DYNAMICTEXTURES\r\n";
const std::string kBothAccelerated = "DirectDraw : \x81\x9B\r\nDirect3D : \x81\x9B\r\n";

}  // namespace

TEST_F(SystemReportTest, SystemLinesInTheirFormats) {
    facts.memory = {uint64_t{8192} * kMiB + kMiB / 2, 3 * kMiB + kMiB / 2, uint64_t{2048} * kMiB,
                    1234 * kMiB + 1};
    facts.diskFree = 5 * kMiB;
    ASSERT_EQ(ReportSystemInfo(), 1);
    EXPECT_EQ(Report(),
              "OS : Debian GNU/Linux 12 (bookworm) Linux 6.1.0-18-amd64 PID 3 Build 0\r\n"
              "CPU : GenuineIntel Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz 1799\r\n"
              "Mem Total : 8192.500MB\r\n"
              "Mem Free :   4MB\r\n"  // 3.5 rounds to even
              "Vir Total : 2048.000MB\r\n"
              "Vir Free : 1234MB\r\n"
              "HD Free :   5MB\r\n");
    EXPECT_EQ(facts.clockMeasurements, 1);
    EXPECT_EQ(facts.askedDir, "");  // the game folder
}

TEST_F(SystemReportTest, MissingFactsWriteEmptyTextsAndZeros) {
    facts.os = {};
    facts.cpu = {};
    facts.clockHz = 0;
    ASSERT_EQ(ReportSystemInfo(), 1);
    EXPECT_EQ(Report(),
              "OS :   PID 3 Build 0\r\n"
              "CPU :   0\r\n"
              "Mem Total : 0.000MB\r\n"
              "Mem Free :   0MB\r\n"
              "Vir Total : 0.000MB\r\n"
              "Vir Free :   0MB\r\n"
              "HD Free :   0MB\r\n");
}

TEST_F(SystemReportTest, FreeDiskIsClampedBelowTwoGigabytes) {
    struct Case {
        std::optional<uint64_t> bytes;
        uint32_t expected;
        const char* line;
    };
    const Case cases[] = {{std::nullopt, 0, "HD Free :   0MB"},
                          {2047 * kMiB, 2047 * kMiB, "HD Free : 2047MB"},
                          {2147483647, 2147483647, "HD Free : 2048MB"},
                          {2147483648, 2147483647, "HD Free : 2048MB"},
                          {uint64_t{500} << 30, 2147483647, "HD Free : 2048MB"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        facts.diskFree = c.bytes;
        EXPECT_EQ(GetDiskFreeBytes(nullptr), c.expected);
        ASSERT_EQ(ReportOpen(report.c_str()), 1);
        ASSERT_EQ(ReportSystemInfo(), 1);
        const std::string text = Report();
        EXPECT_EQ(text.substr(text.rfind("HD")), std::string(c.line) + "\r\n");
    }
    EXPECT_EQ(GetDiskFreeBytes("data\\stg4"), 2147483647u);
    EXPECT_EQ(facts.askedDir, "data\\stg4");
}

TEST_F(SystemReportTest, OsVersionIsThatOfAnUnknownPlatform) {
    struct Case {
        int major, minor, expected;
    };
    for (const Case& c : {Case{4, 9, 1}, Case{5, 1, 1}, Case{5, 2, 0}, Case{6, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << c.major << "." << c.minor);
        EXPECT_EQ(IsOSVersionAtLeast(c.major, c.minor), c.expected);
    }
    int major = 0, minor = 0;
    GetOSVersionString(nullptr, &major, &minor);
    EXPECT_EQ(major, 5);
    EXPECT_EQ(minor, 1);
    std::string text;
    GetOSVersionString(&text, nullptr, nullptr);
    EXPECT_EQ(text, "Debian GNU/Linux 12 (bookworm) Linux 6.1.0-18-amd64 PID 3 Build 0");
    GetOSVersionString(nullptr, nullptr, nullptr);  // nothing to write, nothing written
}

TEST_F(SystemReportTest, NullRecordsAndNoReportFileWriteNothing) {
    GetCpuInfo(nullptr);
    GetMemoryStatus(nullptr);
    DDGetVideoMemory(nullptr, nullptr);
    EXPECT_EQ(facts.clockMeasurements, 0);  // no record, no one-second measurement
    CpuInfo cpu;
    GetCpuInfo(&cpu);
    EXPECT_EQ(cpu.vendor, "GenuineIntel");
    EXPECT_DOUBLE_EQ(cpu.clockHz, 1799999999.9);

    ResetLogsForTest();
    display.display = {DrawingMode::DirectDraw, true, 16, 0, 0, 60, 0};
    EXPECT_EQ(ReportSystemInfo(), 0);
    EXPECT_EQ(ReportDisplayInfo(1), 0);
    EXPECT_EQ(Report(), "");
}

TEST_F(SystemReportTest, DirectDrawBlockHasVideoMemoryAndRefreshRateOnly) {
    display.display = {DrawingMode::DirectDraw, false, 8, 64 * kMiB, 48 * kMiB + kMiB / 4, 75, 0};
    display.diag.devices.push_back(SoftwareDevice());  // never read in this mode
    ASSERT_EQ(ReportDisplayInfo(1), 1);
    EXPECT_EQ(Report(),
              "Mode : Fullscreen\r\n"
              "Bpp : 8\r\n"
              "VRAM Total : 64.000MB\r\n"
              "VRAM Free : 48.250MB\r\n"
              "RR : 75\r\n");
    int freeMB = -1, totalMB = -1;
    DDGetVideoMemory(&freeMB, &totalMB);
    EXPECT_EQ(freeMB, 48);
    EXPECT_EQ(totalMB, 64);
}

TEST_F(SystemReportTest, OtherModesHaveNoVideoMemory) {
    for (DrawingMode mode : {DrawingMode::NotStarted, DrawingMode::Direct3D}) {
        display.display = {mode, true, 32, 64 * kMiB, 48 * kMiB, 60, 0};
        int freeMB = -1, totalMB = -1;
        DDGetVideoMemory(&freeMB, &totalMB);
        EXPECT_EQ(freeMB, 0);
        EXPECT_EQ(totalMB, 0);
    }
    SetDisplayFactsSource(nullptr);
    ASSERT_EQ(ReportDisplayInfo(1), 1);
    EXPECT_EQ(Report(), "Mode : Fullscreen\r\nBpp : 0\r\n");
}

TEST_F(SystemReportTest, Direct3DBlockWithoutDetail) {
    display.display = {DrawingMode::Direct3D, true, 32, 0, 0, 0, 300 * kMiB + 5};
    display.diag.directXVersion = "DirectX 9.0c (4.09.0000.0904)";
    display.diag.devices.push_back(SoftwareDevice());
    ASSERT_EQ(ReportDisplayInfo(0), 1);
    EXPECT_EQ(
        Report(),
        "Mode : Window\r\nBpp : 32\r\nDirectX 9.0c (4.09.0000.0904)\r\nTextureMem : 300MB\r\n" +
            kDevice + "0\r\n" + kSoftwareHead + kSoftwareCaps + kBothAccelerated);
}

TEST_F(SystemReportTest, Direct3DBlockWithDetailAndMissingProperties) {
    display.display = {DrawingMode::Direct3D, false, 16, 0, 0, 0, 64 * kMiB};
    DisplayDeviceFacts second = SoftwareDevice();
    second.chipType.reset();
    second.displayMemory.reset();
    second.ddiVersion.reset();
    second.ddAcceleration = false;
    second.d3dAcceleration.reset();
    second.agp = false;
    second.caps = {};
    second.caps.textureCaps = kTextureCapsPow2 | kTextureCapsSquareOnly;
    second.driverVersion = 0;
    display.diag.devices = {SoftwareDevice(), second};
    display.formats[{0, 0x2, 1}] = FormatCheck::NotAvailable;    // DE-SU
    display.formats[{0, 0x4000, 3}] = FormatCheck::InvalidCall;  // DM-TE
    display.formats[{0, 0x100, 1}] = FormatCheck::OtherError;    // NP-SU
    display.formats[{1, 0x1, 3}] = FormatCheck::NotAvailable;    // RE-TE, second device
    ASSERT_EQ(ReportDisplayInfo(1), 1);

    const std::string ok = "\x81\x9B ", no = "\x81\x7E ", bad = "\x81\x48 ", other = "\x81\x7C ";
    // Format rows in their order; every cell is ○ unless a device's marks name it.
    auto table = [&](std::map<std::string, std::string> marks) {
        std::string text;
        for (const char* row : {"AU", "DE", "DM", "DO", "DY", "NP", "PO", "RT", "RE", "SO", "WR"})
            for (const char* column : {"-SU", "-TE"}) {
                const std::string cell = std::string(row) + column;
                text += cell + (marks.count(cell) ? marks[cell] : ok) +
                        (column[1] == 'T' ? "\r\n" : "");
            }
        return text;
    };
    const std::string expected =
        "Mode : Fullscreen\r\nBpp : 16\r\nTextureMem : 64MB\r\n" + kDevice + "0\r\n" +
        kSoftwareHead + "DeviceType : 1\r\nMaxPointSize : 1.5\r\nGuardBandLeft : -8\r\n" +
        kSoftwareCaps + table({{"DE-SU", no}, {"DM-TE", bad}, {"NP-SU", other}}) +
        kBothAccelerated + kDevice + "1\r\n" +
        "Driver : wrenfold.so 0.00.0000.0000\r\nTextureMaxSize : (0,0)\r\n"
        "TextureMaxBlend : (0,0)\r\nD3DPTEXTURECAPS_POW2\r\nD3DPTEXTURECAPS_SQUAREONLY\r\n" +
        table({{"RE-TE", no}}) + "DirectDraw : \x81\x7E\r\nAGP : \x81\x7E\r\n";
    EXPECT_EQ(Report(), expected);
}

TEST_F(SystemReportTest, UnreadableDiagnosticsSkipTheirBlock) {
    display.display = {DrawingMode::Direct3D, true, 32, 0, 0, 0, 64 * kMiB};
    display.diagReadable = false;
    ASSERT_EQ(ReportDisplayInfo(1), 1);
    EXPECT_EQ(Report(), "Mode : Window\r\nBpp : 32\r\n");
    std::vector<std::string> lines;
    EXPECT_EQ(ReportDxDiag(lines, 1), 1);
    display.display.mode = DrawingMode::DirectDraw;
    EXPECT_EQ(ReportDxDiag(lines, 1), 0);
    EXPECT_TRUE(lines.empty());
}

TEST_F(SystemReportTest, DiagnosticsTextsAreCutAtNinetyNineBytesBetweenCharacters) {
    display.display = {DrawingMode::Direct3D, true, 32, 0, 0, 0, 0};
    // 98 ASCII bytes and then a two-byte character: it would end at byte 100.
    display.diag.directXVersion = std::string(98, 'a') + "\x83\x66" + "tail";
    DisplayDeviceFacts device = SoftwareDevice();
    device.chipType = std::string(120, 'c');
    display.diag.devices = {device};
    std::vector<std::string> lines;
    ASSERT_EQ(ReportDxDiag(lines, 0), 1);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], std::string(98, 'a'));
    EXPECT_EQ(lines[3], "Destination : " + std::string(99, 'c'));
}

TEST_F(SystemReportTest, DdiVersionFromTheFirstDevicesLeadingDigits) {
    struct Case {
        std::optional<std::string> ddi;
        int expected;
    };
    const Case cases[] = {{"9", 9},
                          {"10 (or higher)", 10},
                          {"11.1", 11},
                          {"", 99999},
                          {"0", 99999},
                          {"Unknown", 99999},
                          {std::nullopt, 99999},
                          {"99999999999999999999", 2147483647}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ddi.value_or("(missing)"));
        DisplayDeviceFacts first = SoftwareDevice(), second = SoftwareDevice();
        first.ddiVersion = c.ddi;
        second.ddiVersion = "12";
        display.diag.devices = {first, second};
        EXPECT_EQ(GetDxDiagDDIVersion(), c.expected);
    }
    // Nothing to ask: the Direct3D start's check passes.
    display.diag.devices.clear();
    EXPECT_EQ(GetDxDiagDDIVersion(), 99999);
    display.diagReadable = false;
    EXPECT_EQ(GetDxDiagDDIVersion(), 99999);
    SetDisplayFactsSource(nullptr);
    EXPECT_EQ(GetDxDiagDDIVersion(), 99999);
}
