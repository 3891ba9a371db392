// Datagrams to the editor's local socket.
#include "platform/editor/editor_link.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/diag.h"

namespace platform::editor {
namespace {

std::atomic<int> g_testSocket{-1};

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t Get32(std::span<const uint8_t> b, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(b[at + i]) << (8 * i);
    return v;
}

const char* SocketName() {
    const char* name = std::getenv(kSocketVariable);
    return name && *name ? name : nullptr;
}

bool SendTo(const char* name, const std::vector<uint8_t>& bytes) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const size_t length = std::strlen(name);
    if (length >= sizeof address.sun_path) {
        DiagOnce("editor-socket-name", DiagLevel::Warn, "editor", "socket name too long: %s", name);
        return false;
    }
    std::memcpy(address.sun_path, name, length);
    socklen_t size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length + 1);
    if (name[0] == '@') {
        address.sun_path[0] = '\0';  // abstract name: no terminating zero counted
        size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length);
    }
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const ssize_t sent = sendto(fd, bytes.data(), bytes.size(), MSG_DONTWAIT,
                                reinterpret_cast<const sockaddr*>(&address), size);
    const int err = errno;
    close(fd);
    if (sent != static_cast<ssize_t>(bytes.size())) {
        Diag(DiagLevel::Info, "editor", "no editor at %s: %s", name, std::strerror(err));
        return false;
    }
    return true;
}

}  // namespace

std::vector<uint8_t> EncodeNotice(const Notice& notice) {
    std::vector<uint8_t> out{'W', 'F', 'E', 'D'};
    Put32(out, static_cast<uint32_t>(notice.window));
    Put32(out, static_cast<uint32_t>(notice.window >> 32));
    Put32(out, notice.data);
    Put32(out, 4);
    Put32(out, notice.payload);
    return out;
}

std::optional<Notice> DecodeNotice(std::span<const uint8_t> bytes) {
    if (bytes.size() != kNoticeSize || std::memcmp(bytes.data(), "WFED", 4) != 0 ||
        Get32(bytes, 16) != 4)
        return std::nullopt;
    Notice n;
    n.window = Get32(bytes, 4) | static_cast<uint64_t>(Get32(bytes, 8)) << 32;
    n.data = Get32(bytes, 12);
    n.payload = Get32(bytes, 20);
    return n;
}

bool LinkConfigured() {
    return g_testSocket.load() >= 0 || SocketName() != nullptr;
}

bool SendNotice(const Notice& notice) {
    const std::vector<uint8_t> bytes = EncodeNotice(notice);
    if (const int fd = g_testSocket.load(); fd >= 0)
        return send(fd, bytes.data(), bytes.size(), MSG_DONTWAIT) ==
               static_cast<ssize_t>(bytes.size());
    const char* name = SocketName();
    return name != nullptr && SendTo(name, bytes);
}

void SetSocketForTest(int fd) {
    g_testSocket.store(fd);
}

}  // namespace platform::editor
