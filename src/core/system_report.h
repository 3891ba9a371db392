// The start-up system report: what the game ran on (OS, processor, memory, disk and,
// once the display is open, the drawing mode and driver facts), written to the report
// file so that a user's report tells the developers about the machine. The same facts
// answer the OS-version test and the driver check of the Direct3D start.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/sysinfo/sysinfo.h"

// ---- Facts of this machine -----------------------------------------------------------

// Where the report takes the machine's facts from. The default reads this machine;
// tests install their own so that no clock is measured.
class SystemFactsSource {
  public:
    virtual ~SystemFactsSource() = default;
    virtual platform::sysinfo::OsFacts Os() = 0;
    virtual platform::sysinfo::CpuIdentity CpuIdentity() = 0;
    // On this machine this measures for one second.
    virtual double CpuClockHz() = 0;
    virtual platform::sysinfo::MemoryFacts Memory() = 0;
    // Free bytes for the game on the drive of a game folder (Shift-JIS game path; empty
    // for the current folder, which is the game folder); nothing when unknown.
    virtual std::optional<uint64_t> DiskFreeBytes(const std::string& sjisDir) = 0;
};

// Null puts this machine's own facts back.
void SetSystemFactsSource(SystemFactsSource* source);
// This machine's own facts, the source in force until another is set.
SystemFactsSource& MachineSystemFacts();

// ---- Facts of the display --------------------------------------------------------------

// The drawing device answers these; core only reads them.
enum class DrawingMode { NotStarted, DirectDraw, Direct3D };

struct DisplayFacts {
    DrawingMode mode = DrawingMode::NotStarted;
    bool windowed = false;
    int bitsPerPixel = 0;
    // DirectDraw: the available video memory and the monitor's refresh rate.
    uint32_t videoMemoryTotalBytes = 0;
    uint32_t videoMemoryFreeBytes = 0;
    uint32_t monitorFrequencyHz = 0;
    // Direct3D: the device's available texture memory.
    uint32_t textureMemoryBytes = 0;
};

// One field of the device capability record, for the detailed report.
struct CapsField {
    std::string name;
    std::variant<uint32_t, int32_t, float> value;
};

struct DeviceCapsFacts {
    uint32_t caps2 = 0;
    uint32_t caps3 = 0;
    uint32_t textureCaps = 0;
    uint32_t maxTextureWidth = 0;
    uint32_t maxTextureHeight = 0;
    uint32_t maxTextureBlendStages = 0;
    uint32_t maxSimultaneousTextures = 0;
    // Every field of the record in its declared order.
    std::vector<CapsField> fields;
};

// Capability bits the report names.
inline constexpr uint32_t kCaps3AlphaFullscreenFlipOrDiscard = 0x20;
inline constexpr uint32_t kTextureCapsPow2 = 0x2;
inline constexpr uint32_t kTextureCapsSquareOnly = 0x20;
inline constexpr uint32_t kCaps2DynamicTextures = 0x20000000;

// The diagnostics' view of one display device and the device's own view of its
// adapter. Texts are Shift-JIS; a property the diagnostics do not have is empty and
// writes no line.
struct DisplayDeviceFacts {
    std::optional<std::string> chipType;
    std::optional<std::string> displayMemory;
    std::optional<std::string> ddiVersion;
    std::optional<bool> ddAcceleration;
    std::optional<bool> d3dAcceleration;
    std::optional<bool> agp;
    std::string driverFile;
    uint64_t driverVersion = 0;  // four 16-bit parts, most significant first
    DeviceCapsFacts caps;
};

struct DxDiagFacts {
    std::optional<std::string> directXVersion;
    std::vector<DisplayDeviceFacts> devices;
};

// Result of asking whether the display format serves a usage and resource type.
enum class FormatCheck { Available, NotAvailable, InvalidCall, OtherError };

class DisplayFactsSource {
  public:
    virtual ~DisplayFactsSource() = default;
    virtual DisplayFacts Display() = 0;
    // False when the diagnostics cannot be read (the report then skips their block
    // and the driver check passes).
    virtual bool DxDiag(DxDiagFacts& out) = 0;
    // Adapter, device type and display format are those in use.
    virtual FormatCheck CheckDeviceFormat(int adapter, uint32_t usage, uint32_t resourceType) = 0;
};

// The drawing device installs itself here; null (the default) is a display that has
// not been started.
void SetDisplayFactsSource(DisplayFactsSource* source);

// ---- The game's operations --------------------------------------------------------------

struct CpuInfo {
    std::string brand;
    std::string vendor;
    double clockHz = 0.0;
};

struct MemoryStatus {
    uint64_t totalPhys = 0;
    uint64_t availPhys = 0;
    uint64_t totalVirtual = 0;
    uint64_t availVirtual = 0;
};

// Appends the OS, CPU, memory and disk lines; 0 when the report file cannot be opened.
int ReportSystemInfo();
// Appends the display lines and, in Direct3D mode, the diagnostics block; 0 when the
// report file cannot be opened.
int ReportDisplayInfo(int detail);
// Appends the diagnostics block to lines; 0 when not in Direct3D mode.
int ReportDxDiag(std::vector<std::string>& lines, int detail);

// The driver's DDI version of display device 0; 99999 when it cannot be told.
int GetDxDiagDDIVersion();

// The OS version text and numbers. Any of the three may be null; a null one is never
// written.
void GetOSVersionString(std::string* out, int* major, int* minor);
int IsOSVersionAtLeast(int major, int minor);

void GetMemoryStatus(MemoryStatus* status);
void GetCpuInfo(CpuInfo* info);
double MeasureCpuClock();
// Free bytes on the drive of directory (null: the game folder), at most 2147483647.
uint32_t GetDiskFreeBytes(const char* directory);
// The DirectDraw device's video memory in MB (truncated), both 0 in another mode.
void DDGetVideoMemory(int* freeMB, int* totalMB);
