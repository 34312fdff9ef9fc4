#include "terminal/input_decoder.hpp"

#include <limits>

namespace {

constexpr unsigned char esc = 0x1B;
constexpr std::size_t longest_parameters = 64;
// Keys with no character of their own get a code that is not Escape; the frame loop only
// tells Escape from everything else.
constexpr std::uint16_t vk_other = 0xFF;
constexpr std::size_t most_events = 256;

std::uint16_t virtual_key_for_byte(unsigned char byte) {
    if (byte >= 'a' && byte <= 'z') {
        return static_cast<std::uint16_t>(byte - 'a' + 'A');
    }
    if (byte == 0x7F) {
        return 0x08;
    }
    if (byte == '\n') {
        return 0x0D;
    }
    if (byte < 0x20 || (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
        byte == ' ') {
        return byte;
    }
    return vk_other;
}

std::uint16_t virtual_key_for_final(unsigned char final_byte) {
    switch (final_byte) {
        case 'A':
            return 0x26;
        case 'B':
            return 0x28;
        case 'C':
            return 0x27;
        case 'D':
            return 0x25;
        case 'H':
            return 0x24;
        case 'F':
            return 0x23;
        default:
            return vk_other;
    }
}

}  // namespace

void input_decoder::emit_key(std::uint16_t virtual_key, char ascii) {
    // A flood of input between two frames must not grow without bound; the oldest keys
    // are the ones that matter least once that many are waiting.
    if (events_.size() >= most_events) {
        events_.pop_front();
    }
    input_record record;
    record.event_type = key_event_type;
    record.key.key_down = true;
    record.key.repeat_count = 1;
    record.key.virtual_key_code = virtual_key;
    record.key.ascii_char = ascii;
    events_.push_back(record);
}

void input_decoder::feed(const char* bytes, std::size_t length, std::int64_t now_ns) {
    advance(now_ns);
    for (std::size_t i = 0; i < length; ++i) {
        take(static_cast<unsigned char>(bytes[i]));
    }
    if (length > 0) {
        last_byte_ns_ = now_ns;
    }
}

void input_decoder::advance(std::int64_t now_ns) {
    const std::int64_t quiet = now_ns - last_byte_ns_;
    // An ESC that could have begun the end of a string is the Escape key all the same
    // when nothing follows it: keys typed ahead (Alt+P, then Escape) look just like that.
    if ((state_ == state::escape || state_ == state::string_escape) && quiet >= escape_wait_ns) {
        emit_key(vk_escape, static_cast<char>(esc));
        state_ = state::ground;
    } else if (state_ != state::ground && state_ != state::escape && quiet >= stale_sequence_ns) {
        state_ = state::ground;
    }
}

void input_decoder::take(unsigned char byte) {
    switch (state_) {
        case state::ground:
            if (byte == esc) {
                state_ = state::escape;
            } else if (byte >= 0xC0 && byte < 0xF8) {
                // The first byte of a UTF-8 character: one key, whatever its length.
                remaining_ = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
                state_ = state::utf8;
                emit_key(vk_other, 0);
            } else if (byte < 0x80) {
                emit_key(virtual_key_for_byte(byte), static_cast<char>(byte));
            }
            return;
        case state::utf8:
            if ((byte & 0xC0) == 0x80 && --remaining_ > 0) {
                return;
            }
            state_ = state::ground;
            if ((byte & 0xC0) != 0x80) {
                take(byte);
            }
            return;
        case state::escape:
            parameters_.clear();
            if (byte == '[') {
                state_ = state::csi;
            } else if (byte == 'O') {
                state_ = state::ss3;
            } else if (byte == ']' || byte == 'P' || byte == '_' || byte == '^' || byte == 'X') {
                state_ = state::string;
            } else if (byte == esc) {
                // Two ESC bytes in one read are two taps of Escape (or keys typed ahead
                // over a slow link): the first is Escape, the second waits like any ESC.
                emit_key(vk_escape, static_cast<char>(esc));
            } else {
                // ESC and another key together are an Alt chord.
                state_ = state::ground;
                emit_key(vk_other, 0);
            }
            return;
        case state::csi:
            if (byte == esc) {
                state_ = state::escape;
            } else if (byte >= 0x40 && byte <= 0x7E) {
                finish_csi(byte);
            } else if (byte < 0x20 || byte > 0x7E) {
                // Control bytes inside a sequence abort it (CAN, SUB) or are ignored.
                if (byte == 0x18 || byte == 0x1A || byte > 0x7E) {
                    state_ = state::ground;
                }
            } else if (parameters_.size() < longest_parameters) {
                parameters_ += static_cast<char>(byte);
            }
            return;
        case state::csi_mouse:
            if (--remaining_ == 0) {
                state_ = state::ground;
            }
            return;
        case state::ss3:
            if (byte == esc) {
                // ESC O was Alt+O, and a new ESC begins.
                state_ = state::escape;
                emit_key(vk_other, 0);
                return;
            }
            state_ = state::ground;
            emit_key(virtual_key_for_final(byte), 0);
            return;
        case state::string:
            if (byte == 0x07) {
                state_ = state::ground;
            } else if (byte == esc) {
                state_ = state::string_escape;
            }
            return;
        case state::string_escape:
            // ESC \ ends the string; any other byte means the string was cut off and a
            // new sequence began.
            state_ = state::ground;
            if (byte != '\\') {
                state_ = state::escape;
                take(byte);
            }
            return;
    }
}

void input_decoder::finish_csi(unsigned char final_byte) {
    state_ = state::ground;
    if (final_byte == 'M' && parameters_.empty()) {
        // An old-style mouse report: three raw bytes follow the M.
        remaining_ = 3;
        state_ = state::csi_mouse;
        return;
    }
    if (final_byte == 'u' && (parameters_ == "27" || parameters_.starts_with("27;"))) {
        emit_key(vk_escape, static_cast<char>(esc));
        return;
    }
    if ((final_byte == 'n' && parameters_ == "0") ||
        (final_byte == 'c' && parameters_.starts_with("?"))) {
        ++answers_;
        return;
    }
    if (final_byte == 'I' || final_byte == 'O' || final_byte == 'R' || final_byte == 'c' ||
        final_byte == 'n' || final_byte == 'y' || final_byte == 't' ||
        parameters_.starts_with("<")) {
        // Focus changes, mouse reports and replies to queries are not keys.
        return;
    }
    emit_key(virtual_key_for_final(final_byte), 0);
}

std::int64_t input_decoder::wake_at() const {
    if (state_ == state::ground || state_ == state::utf8) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (state_ == state::escape || state_ == state::string_escape) {
        return last_byte_ns_ + escape_wait_ns;
    }
    return last_byte_ns_ + stale_sequence_ns;
}

std::size_t input_decoder::take_answers() {
    const std::size_t answers = answers_;
    answers_ = 0;
    return answers;
}

bool input_decoder::pop(input_record& out) {
    if (events_.empty()) {
        return false;
    }
    out = events_.front();
    events_.pop_front();
    return true;
}
