#include "terminal/input_decoder.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t ms = 1'000'000;

std::vector<std::uint16_t> keys_of(input_decoder& decoder) {
    std::vector<std::uint16_t> keys;
    input_record record;
    while (decoder.pop(record)) {
        EXPECT_EQ(record.event_type, key_event_type);
        keys.push_back(record.key.virtual_key_code);
    }
    return keys;
}

std::vector<std::uint16_t> decode(const std::string& bytes, std::int64_t settle = 100 * ms) {
    input_decoder decoder;
    decoder.feed(bytes.data(), bytes.size(), 0);
    decoder.advance(settle);
    return keys_of(decoder);
}

}  // namespace

TEST(input_decoder, a_lone_escape_counts_once_the_line_is_quiet) {
    input_decoder decoder;
    decoder.feed("\x1b", 1, 0);
    decoder.advance(29 * ms);
    EXPECT_EQ(decoder.pending(), 0U);
    decoder.advance(30 * ms);
    EXPECT_EQ(keys_of(decoder), std::vector<std::uint16_t>{vk_escape});
}

TEST(input_decoder, sequences_and_chords_are_never_escape) {
    for (const std::string bytes : {
             "\x1b[A", "\x1b[B", "\x1bOP", "\x1b[15~", "\x1b[1;5C",  // keys
             "\x1b[I", "\x1b[O",                                     // focus
             "\x1b[<0;12;7M", "\x1b[<0;12;7m", "\x1b[M !!",          // mouse
             "\x1b]11;rgb:0000/0000/0000\x07", "\x1bP1$r0m\x1b\\",   // replies
             "\x1bx", "\x1b\x7f",                                    // Alt chords
         }) {
        for (const auto key : decode(bytes)) {
            EXPECT_NE(key, vk_escape) << "from bytes of length " << bytes.size();
        }
    }
    EXPECT_EQ(decode("\x1b[A").size(), 1U);
    EXPECT_TRUE(decode("\x1b[I").empty());
    EXPECT_TRUE(decode("\x1b[M\x1b\x1b\x1b").empty()) << "raw mouse bytes are not keys";
}

TEST(input_decoder, a_sequence_split_across_reads_is_still_one_key) {
    input_decoder decoder;
    decoder.feed("\x1b", 1, 0);
    decoder.feed("[", 1, 10 * ms);
    decoder.advance(60 * ms);
    decoder.feed("A", 1, 70 * ms);
    decoder.advance(200 * ms);
    EXPECT_EQ(keys_of(decoder), std::vector<std::uint16_t>{0x26});
}

TEST(input_decoder, other_keys_give_other_codes_one_per_key) {
    EXPECT_EQ(decode("a1 \r"), (std::vector<std::uint16_t>{'A', '1', ' ', 0x0D}));
    EXPECT_EQ(decode("\xc3\xa4\xe2\x82\xac").size(), 2U) << "two UTF-8 characters";
    EXPECT_EQ(decode("x\x1b"), (std::vector<std::uint16_t>{'X', vk_escape}));
    EXPECT_EQ(decode("\x1b\x1b"), (std::vector<std::uint16_t>{vk_escape, vk_escape}))
        << "a double tap arriving in one read";
    EXPECT_EQ(decode("\x1b\x1b[A"), (std::vector<std::uint16_t>{vk_escape, 0x26}));
    for (const std::string report : {"\x1b[27u", "\x1b[27;1u"}) {
        EXPECT_EQ(decode(report, 0), std::vector<std::uint16_t>{vk_escape})
            << "the unambiguous Escape report counts at once, plain or with modifiers";
    }
}

// An ESC at the end of a read is the Escape key once the line has been quiet for the
// usual wait, whatever the read held before it: a double tap, keys typed ahead, a
// sequence, or something that looked like the start of one.
TEST(input_decoder, a_trailing_escape_counts_after_the_wait_whatever_came_before) {
    for (const std::string before : {"", "\x1b", "x", "\x1b[A", "\x1bO", "\x1bP", "\x1b[0n"}) {
        input_decoder decoder;
        const std::string bytes = before + "\x1b";
        decoder.feed(bytes.data(), bytes.size(), 0);
        decoder.advance(29 * ms);
        const auto early = keys_of(decoder);
        EXPECT_EQ(std::count(early.begin(), early.end(), vk_escape), before == "\x1b" ? 1 : 0)
            << "before the wait, after " << before.size() << " bytes";
        decoder.advance(30 * ms);
        EXPECT_EQ(keys_of(decoder), std::vector<std::uint16_t>{vk_escape})
            << "after the wait, after " << before.size() << " bytes";
    }
}

// The terminal's answers to status and attribute requests, however the reads cut them
// and whatever keys come with them, are counted once each and are never keys.
TEST(input_decoder, answers_count_once_however_split_and_are_never_keys) {
    const std::string bytes = "a\x1b[0nb\x1b[?1;2c\x1b[0n";
    for (std::size_t split = 0; split <= bytes.size(); ++split) {
        input_decoder decoder;
        decoder.feed(bytes.data(), split, 0);
        decoder.feed(bytes.data() + split, bytes.size() - split, ms);
        decoder.advance(100 * ms);
        EXPECT_EQ(keys_of(decoder), (std::vector<std::uint16_t>{'A', 'B'})) << "cut at " << split;
        EXPECT_EQ(decoder.take_answers(), 3U) << "cut at " << split;
        EXPECT_EQ(decoder.take_answers(), 0U);
    }
}

TEST(input_decoder, a_stalled_sequence_is_dropped_and_later_keys_still_count) {
    input_decoder decoder;
    decoder.feed("\x1b]unterminated", 14, 0);
    decoder.advance(300 * ms);
    decoder.feed("\x1b", 1, 300 * ms);
    decoder.advance(400 * ms);
    EXPECT_EQ(keys_of(decoder), std::vector<std::uint16_t>{vk_escape});
}

TEST(input_decoder, survives_any_byte_stream) {
    std::mt19937 random(20261206);
    input_decoder decoder;
    std::int64_t now = 0;
    std::size_t most_pending = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string bytes(random() % 24, '\0');
        for (auto& byte : bytes) {
            // Escape, sequence introducers and terminators often, so every state is hit.
            const unsigned pick = random() % 8;
            byte = pick == 0   ? '\x1b'
                   : pick == 1 ? "[O]P_\\\x07~u;"[random() % 11]
                               : static_cast<char>(random() % 256);
        }
        now += static_cast<std::int64_t>(random() % 50) * ms;
        decoder.feed(bytes.data(), bytes.size(), now);
        most_pending = std::max(most_pending, decoder.pending());
        if (random() % 4 == 0) {
            keys_of(decoder);
        }
    }
    EXPECT_LE(most_pending, 256U) << "the queue stays bounded";

    // After all that the decoder still reads a plain Escape.
    keys_of(decoder);
    decoder.advance(now + 1000 * ms);
    keys_of(decoder);
    decoder.feed("\x1b", 1, now + 2000 * ms);
    decoder.advance(now + 2100 * ms);
    EXPECT_EQ(keys_of(decoder), std::vector<std::uint16_t>{vk_escape});
}
