#pragma once

#include <cstdint>

// The records a text console trades in, the cells it shows and the key events it
// reports, in the shapes the console calls take them. The terminal's byte work turns
// them into bytes and back, so they live below both it and the console.

// One cell as the console takes it: the low byte of ch is the code page 437 character;
// attributes are the show's attribute byte bit for bit (foreground blue, green, red,
// intensity, then the same for the background).
struct char_info {
    std::uint16_t ch = 0;
    std::uint16_t attributes = 0;
};

inline constexpr std::uint16_t key_event_type = 1;
inline constexpr std::uint16_t vk_escape = 27;

struct key_event_record {
    bool key_down = false;
    std::uint16_t repeat_count = 0;
    std::uint16_t virtual_key_code = 0;
    char ascii_char = 0;
};

struct input_record {
    std::uint16_t event_type = 0;
    key_event_record key;
};
