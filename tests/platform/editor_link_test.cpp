// The editor link's datagrams: their bytes, damaged ones refused, and delivery to a
// socket named by the environment (and nothing without it).
#include "platform/editor/editor_link.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "support/hex.h"
#include "support/temp_dir.h"

namespace {

namespace ed = platform::editor;

TEST(EditorLink, NoticesEncodeToTheirBytesAndDamageIsRefused) {
    const ed::Notice n{0x1122334455667788ull, 1, 0xA0B0C0D0};
    const std::vector<uint8_t> bytes = ed::EncodeNotice(n);
    EXPECT_EQ(bytes, wftest::Hex("57464544 88776655 44332211 01000000 04000000 D0C0B0A0"));
    const auto back = ed::DecodeNotice(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->window, n.window);
    EXPECT_EQ(back->data, 1u);
    EXPECT_EQ(back->payload, 0xA0B0C0D0u);
    for (size_t at : {size_t{0}, size_t{16}}) {
        std::vector<uint8_t> bad = bytes;
        bad[at] ^= 1;
        EXPECT_FALSE(ed::DecodeNotice(bad)) << at;
    }
    EXPECT_FALSE(ed::DecodeNotice(std::span(bytes).first(20)));
}

TEST(EditorLink, SendsToTheSocketTheVariableNamesAndNowhereWithoutIt) {
    wftest::TempDir dir;
    const std::string name = dir.File("editor.sock");
    const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, name.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    unsetenv(ed::kSocketVariable);
    EXPECT_FALSE(ed::LinkConfigured());
    EXPECT_FALSE(ed::SendNotice({7, 0, 1}));

    setenv(ed::kSocketVariable, name.c_str(), 1);
    EXPECT_TRUE(ed::LinkConfigured());
    ASSERT_TRUE(ed::SendNotice({7, 0, 1}));
    uint8_t buffer[64];
    const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    ASSERT_EQ(n, static_cast<ssize_t>(ed::kNoticeSize));
    const auto got = ed::DecodeNotice({buffer, static_cast<size_t>(n)});
    ASSERT_TRUE(got);
    EXPECT_EQ(got->window, 7u);
    EXPECT_EQ(got->payload, 1u);

    // Nobody listening: the notice is lost quietly.
    close(fd);
    EXPECT_FALSE(ed::SendNotice({7, 0, 1}));
    unsetenv(ed::kSocketVariable);
}

}  // namespace
