#include "terminal/escape_bytes.hpp"

namespace {

// The attribute's colour bits run blue, green, red; ANSI numbers them red, green, blue.
constexpr int ansi_colour[8] = {0, 4, 2, 6, 1, 5, 3, 7};

int fg_code(int attribute) {
    return ansi_colour[attribute & 7] + ((attribute & 0x08) != 0 ? 90 : 30);
}

int bg_code(int attribute) {
    return ansi_colour[(attribute >> 4) & 7] + ((attribute & 0x80) != 0 ? 100 : 40);
}

struct colour_change {
    bool fg = false;
    bool bg = false;
};

colour_change colours_to_set(int from, int to) {
    return {from < 0 || ((from ^ to) & 0x0F) != 0, from < 0 || ((from ^ to) & 0xF0) != 0};
}

}  // namespace

int decimal_digits(int value) {
    int count = 1;
    while (value >= 10) {
        value /= 10;
        ++count;
    }
    return count;
}

void append_number(int value, std::string& out) {
    char text[12];
    int length = 0;
    do {
        text[length++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (length > 0) {
        out += text[--length];
    }
}

int csi_cost(int n) {
    return 3 + (n == 1 ? 0 : decimal_digits(n));
}

void append_csi(int n, char final, std::string& out) {
    out += "\x1b[";
    if (n != 1) {
        append_number(n, out);
    }
    out += final;
}

// The foreground is always two digits, the background two or, bright, three.
int sgr_cost(int from, int to) {
    if (from == to) {
        return 0;
    }
    const colour_change change = colours_to_set(from, to);
    const int bg_digits = (to & 0x80) != 0 ? 3 : 2;
    return 3 + (change.fg ? 2 : 0) + (change.bg ? bg_digits : 0) + (change.fg && change.bg ? 1 : 0);
}

void append_sgr(int from, int to, std::string& out) {
    if (from == to) {
        return;
    }
    const colour_change change = colours_to_set(from, to);
    char text[12] = {'\x1b', '['};
    int length = 2;
    if (change.fg) {
        const int fg = fg_code(to);
        text[length++] = static_cast<char>('0' + fg / 10);
        text[length++] = static_cast<char>('0' + fg % 10);
    }
    if (change.fg && change.bg) {
        text[length++] = ';';
    }
    if (change.bg) {
        const int bg = bg_code(to);
        if (bg >= 100) {
            text[length++] = '1';
        }
        text[length++] = static_cast<char>('0' + bg / 10 % 10);
        text[length++] = static_cast<char>('0' + bg % 10);
    }
    text[length++] = 'm';
    out.append(text, static_cast<std::size_t>(length));
}

std::string sgr_for_attribute(std::uint8_t attribute) {
    std::string out;
    append_number(fg_code(attribute), out);
    out += ';';
    append_number(bg_code(attribute), out);
    return out;
}

int repeat_cost(int count) {
    return 3 + (count == 1 ? 0 : decimal_digits(count));
}
