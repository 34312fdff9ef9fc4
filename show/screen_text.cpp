#include "show/screen_text.hpp"

#include <array>
#include <cstdint>
#include <cstdio>
#include <unordered_map>

#include "terminal/cp437.hpp"

namespace {

constexpr char32_t null_stand_in = 0x2400;
constexpr char32_t ff_stand_in = 0x237D;
constexpr int text_lines = 3 * screen_rows + 2;

char32_t text_code_point(std::uint8_t code) {
    if (code == 0x00) {
        return null_stand_in;
    }
    if (code == 0xFF) {
        return ff_stand_in;
    }
    return cp437_code_point(code);
}

const std::unordered_map<char32_t, std::uint8_t>& code_by_code_point() {
    static const auto table = [] {
        std::unordered_map<char32_t, std::uint8_t> map;
        for (int code = 0; code < 256; ++code) {
            map.emplace(text_code_point(static_cast<std::uint8_t>(code)),
                        static_cast<std::uint8_t>(code));
        }
        return map;
    }();
    return table;
}

// Decodes one UTF-8 sequence at text[pos]; false for a malformed one.
bool decode_utf8(std::string_view text, std::size_t& pos, char32_t& out) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    int length = 0;
    if (lead < 0x80) {
        out = lead;
        length = 1;
    } else if ((lead & 0xE0) == 0xC0) {
        out = lead & 0x1F;
        length = 2;
    } else if ((lead & 0xF0) == 0xE0) {
        out = lead & 0x0F;
        length = 3;
    } else {
        return false;
    }
    if (pos + static_cast<std::size_t>(length) > text.size()) {
        return false;
    }
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + static_cast<std::size_t>(i)]);
        if ((next & 0xC0) != 0x80) {
            return false;
        }
        out = (out << 6) | (next & 0x3F);
    }
    pos += static_cast<std::size_t>(length);
    return true;
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

failure line_fault(int line, const std::string& what) {
    return failure("line " + std::to_string(line) + ": " + what);
}

result<> read_glyph_line(std::string_view line, int row, screen_buffer& screen) {
    std::size_t pos = 0;
    int col = 0;
    while (pos < line.size()) {
        char32_t code_point = 0;
        if (!decode_utf8(line, pos, code_point)) {
            return line_fault(row + 1, "malformed UTF-8");
        }
        const auto found = code_by_code_point().find(code_point);
        if (found == code_by_code_point().end()) {
            char name[16];
            std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code_point));
            return line_fault(row + 1,
                              "character " + std::string(name) + " is not in code page 437");
        }
        if (col < screen_cols) {
            screen[static_cast<std::size_t>(screen_offset(col, row))] = found->second;
        }
        ++col;
    }
    if (col != screen_cols) {
        return line_fault(row + 1,
                          std::to_string(col) + " glyphs, expected " + std::to_string(screen_cols));
    }
    return {};
}

// Reads one line of colour digits into the foreground (shift 0) or background (shift 4)
// nibble of each cell's attribute.
result<> read_colour_line(std::string_view line, int line_number, int row, int shift,
                          screen_buffer& screen) {
    if (line.size() != static_cast<std::size_t>(screen_cols)) {
        return line_fault(line_number, std::to_string(line.size()) + " digits, expected " +
                                           std::to_string(screen_cols));
    }
    for (int col = 0; col < screen_cols; ++col) {
        const int value = hex_value(line[static_cast<std::size_t>(col)]);
        if (value < 0) {
            return line_fault(line_number,
                              "column " + std::to_string(col + 1) + " is not a hex digit");
        }
        auto& attribute = screen[static_cast<std::size_t>(screen_offset(col, row) + 1)];
        attribute = static_cast<std::uint8_t>(attribute | (value << shift));
    }
    return {};
}

}  // namespace

std::string screen_to_text(const screen_buffer& screen) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(static_cast<std::size_t>(screen_cells * 5 + 100));
    char utf8[4];
    for (int row = 0; row < screen_rows; ++row) {
        for (int col = 0; col < screen_cols; ++col) {
            const auto code = screen[static_cast<std::size_t>(screen_offset(col, row))];
            text.append(utf8, encode_utf8(text_code_point(code), utf8));
        }
        text += '\n';
    }
    for (const int shift : {0, 4}) {
        text += '\n';
        for (int row = 0; row < screen_rows; ++row) {
            for (int col = 0; col < screen_cols; ++col) {
                const auto attribute =
                    screen[static_cast<std::size_t>(screen_offset(col, row) + 1)];
                text += digits[(attribute >> shift) & 0x0F];
            }
            text += '\n';
        }
    }
    return text;
}

result<screen_buffer> screen_from_text(std::string_view text) {
    screen_buffer screen{};
    int line_number = 0;
    while (!text.empty() || line_number < text_lines) {
        ++line_number;
        if (text.empty()) {
            return line_fault(line_number,
                              "missing; the screen needs " + std::to_string(text_lines) + " lines");
        }
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line_number > text_lines) {
            if (!line.empty()) {
                return line_fault(line_number, "text after the last colour line");
            }
            continue;
        }
        const int index = line_number - 1;
        if (index < screen_rows) {
            if (result<> read = read_glyph_line(line, index, screen); !read) {
                return failure(std::move(read).error());
            }
        } else if (index == screen_rows || index == 2 * screen_rows + 1) {
            if (!line.empty()) {
                return line_fault(line_number, "expected an empty line between the grids");
            }
        } else if (index <= 2 * screen_rows) {
            if (result<> read =
                    read_colour_line(line, line_number, index - screen_rows - 1, 0, screen);
                !read) {
                return failure(std::move(read).error());
            }
        } else if (result<> read =
                       read_colour_line(line, line_number, index - 2 * screen_rows - 2, 4, screen);
                   !read) {
            return failure(std::move(read).error());
        }
    }
    return screen;
}
