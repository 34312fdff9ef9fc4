#include "platform/write_all.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <csignal>
#include <string>
#include <thread>

namespace {

// A pipe whose writing end does not block, as the terminal is written.
struct pipe_pair {
    int read_end = -1;
    int write_end = -1;
    pipe_pair() {
        int ends[2];
        EXPECT_EQ(pipe(ends), 0);
        read_end = ends[0];
        write_end = ends[1];
        fcntl(write_end, F_SETFL, fcntl(write_end, F_GETFL) | O_NONBLOCK);
    }
    ~pipe_pair() {
        close(read_end);
        if (write_end >= 0) {
            close(write_end);
        }
    }
};

std::string pattern(std::size_t length) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<char>(i * 7 % 251);
    }
    return bytes;
}

}  // namespace

// A full descriptor that does not block takes part of the bytes now; write_all waits for
// room and delivers every byte in order; a descriptor nobody reads any more is refused.
TEST(write_all, takes_what_fits_waits_for_the_rest_and_reports_a_refusal) {
    const std::string bytes = pattern(1 << 20);
    {
        pipe_pair full;
        const long taken = write_now(full.write_end, bytes.data(), bytes.size());
        EXPECT_GT(taken, 0);
        EXPECT_LT(taken, static_cast<long>(bytes.size()));
    }
    {
        pipe_pair slow;
        std::string arrived;
        std::thread reader([&] {
            char chunk[4096];
            for (ssize_t got; (got = read(slow.read_end, chunk, sizeof chunk)) > 0;) {
                arrived.append(chunk, static_cast<std::size_t>(got));
            }
        });
        EXPECT_TRUE(write_all(slow.write_end, bytes.data(), bytes.size()));
        close(slow.write_end);
        slow.write_end = -1;
        reader.join();
        EXPECT_TRUE(arrived == bytes) << arrived.size() << " of " << bytes.size() << " bytes";
    }
    {
        pipe_pair closed;
        close(closed.read_end);
        closed.read_end = open("/dev/null", O_RDONLY);
        const auto before = std::signal(SIGPIPE, SIG_IGN);
        EXPECT_FALSE(write_all(closed.write_end, bytes.data(), 10));
        EXPECT_EQ(write_now(closed.write_end, bytes.data(), 10), -1);
        std::signal(SIGPIPE, before);
    }
}
