#pragma once

#include <vterm.h>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "terminal/cp437.hpp"

// The palette index a terminal should show for one colour nibble of a show attribute
// byte. The nibble holds blue, green, red and intensity from bit 0 up, while the palette
// counts red, green, blue from bit 0 up; intensity selects the bright half.
inline int palette_index_of(int nibble) {
    return ((nibble & 4) != 0 ? 1 : 0) | ((nibble & 2) != 0 ? 2 : 0) | ((nibble & 1) != 0 ? 4 : 0) |
           ((nibble & 8) != 0 ? 8 : 0);
}

// A real terminal emulator for tests: bytes go in, and every cell's character and
// colours can be read back, along with the alternate-screen and cursor-visible modes.
// Its answers to requests (device status, attributes) come out of answers().
class vterm_screen {
  public:
    vterm_screen(int cols, int rows) : cols_(cols), rows_(rows) {
        vt_ = vterm_new(rows, cols);
        vterm_set_utf8(vt_, 1);
        screen_ = vterm_obtain_screen(vt_);
        callbacks_.settermprop = &vterm_screen::on_termprop;
        vterm_screen_set_callbacks(screen_, &callbacks_, this);
        vterm_screen_enable_altscreen(screen_, 1);
        vterm_screen_reset(screen_, 1);
    }
    ~vterm_screen() { vterm_free(vt_); }
    vterm_screen(const vterm_screen&) = delete;
    vterm_screen& operator=(const vterm_screen&) = delete;

    void feed(const std::string& bytes) { vterm_input_write(vt_, bytes.data(), bytes.size()); }

    // What the emulator has said back since the last call.
    std::string answers() {
        std::string out(vterm_output_get_buffer_current(vt_), '\0');
        out.resize(vterm_output_read(vt_, out.data(), out.size()));
        return out;
    }

    struct cell {
        char32_t glyph = 0;
        int fg = -1;  // palette index 0-15, or -1 for the terminal's default colour
        int bg = -1;
    };

    cell at(int x, int y) const {
        VTermScreenCell c{};
        vterm_screen_get_cell(screen_, VTermPos{y, x}, &c);
        cell out;
        out.glyph = c.chars[0] == 0 ? U' ' : static_cast<char32_t>(c.chars[0]);
        out.fg = VTERM_COLOR_IS_INDEXED(&c.fg) ? c.fg.indexed.idx : -1;
        out.bg = VTERM_COLOR_IS_INDEXED(&c.bg) ? c.bg.indexed.idx : -1;
        return out;
    }

    // The terminal was resized: the emulator follows, as a real one would.
    void resize(int cols, int rows) {
        cols_ = cols;
        rows_ = rows;
        vterm_set_size(vt_, rows, cols);
    }

    // Every row's glyphs as UTF-8, one line each.
    std::string text() const {
        std::string out;
        char utf8[4];
        for (int y = 0; y < rows_; ++y) {
            for (int x = 0; x < cols_; ++x) {
                out.append(utf8, encode_utf8(at(x, y).glyph, utf8));
            }
            out += '\n';
        }
        return out;
    }

    bool shows(const std::string& fragment) const {
        return text().find(fragment) != std::string::npos;
    }

    // What the terminal answers to the program (device status and attribute reports)
    // goes to `answer`; without one, answers are dropped, as a program that never asks
    // for them would never see them.
    void on_answer(std::function<void(const char*, std::size_t)> answer) {
        answer_ = std::move(answer);
        vterm_output_set_callback(vt_, &vterm_screen::on_output, this);
    }

    bool alternate_screen() const { return alternate_; }
    bool cursor_visible() const { return cursor_visible_; }
    int cols() const { return cols_; }
    int rows() const { return rows_; }

  private:
    static int on_termprop(VTermProp prop, VTermValue* value, void* user) {
        auto* self = static_cast<vterm_screen*>(user);
        if (prop == VTERM_PROP_ALTSCREEN) {
            self->alternate_ = value->boolean != 0;
        } else if (prop == VTERM_PROP_CURSORVISIBLE) {
            self->cursor_visible_ = value->boolean != 0;
        }
        return 1;
    }

    static void on_output(const char* bytes, std::size_t length, void* user) {
        static_cast<vterm_screen*>(user)->answer_(bytes, length);
    }

    int cols_;
    int rows_;
    std::function<void(const char*, std::size_t)> answer_;
    VTerm* vt_ = nullptr;
    VTermScreen* screen_ = nullptr;
    VTermScreenCallbacks callbacks_{};
    bool alternate_ = false;
    bool cursor_visible_ = true;
};
