// The link to the editor that started the player for test play: one datagram per
// notice to a local socket named by an environment variable. Without the variable
// nothing is sent.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform::editor {

// The variable that names the editor's socket: a file-system path, or "@name" for a
// name in the abstract namespace.
constexpr const char* kSocketVariable = "WRENFOLD_EDITOR_SOCKET";

// What the editor learns of one notice: the copy-data number, the one 32-bit payload
// and the window the notice came from (0 once it is gone).
struct Notice {
    uint64_t window = 0;
    uint32_t data = 0;
    uint32_t payload = 0;
};

// The datagram, 24 bytes little-endian: "WFED", the window (u64), the data number
// (u32), the payload length 4 (u32), the payload (u32).
constexpr size_t kNoticeSize = 24;
std::vector<uint8_t> EncodeNotice(const Notice& notice);
std::optional<Notice> DecodeNotice(std::span<const uint8_t> bytes);

// True when the variable names a socket (or a test socket is set).
bool LinkConfigured();
// Sends one notice; false when no link is configured or the datagram could not be
// sent (no editor listening). Never blocks.
bool SendNotice(const Notice& notice);

// Tests: notices go to this connected socket instead (-1: back to the variable).
void SetSocketForTest(int fd);

}  // namespace platform::editor
