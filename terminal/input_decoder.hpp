#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "terminal/console_records.hpp"

// Turns the bytes a terminal sends into key events. The Escape key arrives as a lone ESC
// byte, but ESC also starts every escape sequence (arrow and function keys, mouse and
// focus reports, replies to queries) and every Alt chord; a lone ESC counts as Escape
// only once escape_wait_ns pass with no byte after it. Nothing in a sequence ever
// counts as Escape, except the unambiguous key report CSI 27 u. The terminal's answers to
// a status request (CSI 0 n) or an attributes request (CSI ? ... c) come among the keys;
// they are counted apart and never taken for a key. Any byte stream is accepted: a
// malformed or endless sequence is dropped, never misread.
class input_decoder {
  public:
    static constexpr std::int64_t escape_wait_ns = 30'000'000;
    // A sequence that stops arriving half-way is forgotten after this long.
    static constexpr std::int64_t stale_sequence_ns = 250'000'000;

    void feed(const char* bytes, std::size_t length, std::int64_t now_ns);
    // Lets time pass: a waiting lone ESC becomes Escape, a stalled sequence is dropped.
    void advance(std::int64_t now_ns);

    // When advance next has something to do (a waiting ESC, a stalled sequence); the
    // largest time there is when nothing waits.
    std::int64_t wake_at() const;

    std::size_t pending() const { return events_.size(); }
    bool pop(input_record& out);
    // The answers that came since the last call.
    std::size_t take_answers();

  private:
    enum class state { ground, escape, csi, csi_mouse, ss3, string, string_escape, utf8 };

    void take(unsigned char byte);
    void finish_csi(unsigned char final_byte);
    void emit_key(std::uint16_t virtual_key, char ascii);

    state state_ = state::ground;
    std::string parameters_;
    int remaining_ = 0;
    std::int64_t last_byte_ns_ = 0;
    std::size_t answers_ = 0;
    std::deque<input_record> events_;
};
