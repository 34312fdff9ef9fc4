#include <gtest/gtest.h>

#include <sys/wait.h>
#include <chrono>
#include <iostream>

#include "support/private_sshd.hpp"
#include "support/pty_process.hpp"
#include "support/tcp_relay.hpp"

namespace {

using namespace std::chrono_literals;

const std::string show_directory = TEXTSHOW_BINARY_DIR "/bin";

}  // namespace

// The show started over SSH on a slow, distant link: the SSH server takes everything the
// show writes at once, so only the show itself can keep its output from piling up on
// the way, ahead of the restore bytes.
TEST(ssh_session,
     at_64_kb_s_and_50_ms_escape_gives_the_terminal_back_at_once_and_42_comes_through) {
    private_sshd server;
    ASSERT_TRUE(server.ready()) << server.log();
    tcp_relay relay(server.port(), 64 * 1024, 50ms);
    const std::string remote = "cd " + show_directory +
                               " && PULSE_SERVER=unix:/nonexistent/textshow/native "
                               "LC_ALL=C.UTF-8 TERM=xterm-256color exec ./textshow";
    pty_process client(server.client(relay.port(), remote), show_directory, 80, 25);
    client.screen().on_answer(
        [&](const char* bytes, std::size_t length) { client.send(std::string(bytes, length)); });
    ASSERT_TRUE(client.pump_until([&] { return client.screen().alternate_screen(); }, 20s))
        << server.log();
    // Long enough for a backlog to build, had the show one.
    client.pump_for(10s);

    client.send("\x1b");
    const auto typed = std::chrono::steady_clock::now();
    EXPECT_TRUE(client.pump_until(
        [&] { return !client.screen().alternate_screen() && client.screen().cursor_visible(); },
        30s));
    const auto back = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - typed);
    std::cout << "terminal back " << back.count() << " ms after Escape\n";
    // Frames queued on the way held the terminal for 3 s at this rate; a busy machine can
    // make the relay itself half a second late.
    EXPECT_LE(back, 1000ms);
    const auto status = client.wait_exit(10s);
    ASSERT_TRUE(status && WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 42);
}
