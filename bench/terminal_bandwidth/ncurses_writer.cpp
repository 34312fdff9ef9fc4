#include "bench/terminal_bandwidth/ncurses_writer.hpp"

#include <curses.h>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/write_all.hpp"
#include "terminal/cp437.hpp"

namespace {

// A byte that UTF-8 and the escape sequences ncurses sends never contain: written after
// each update, it marks where that update's bytes end in the stream from the terminal.
constexpr char end_mark = '\xff';

// The attribute's colour bits run blue, green, red; curses numbers them red, green, blue.
constexpr short curses_colour[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                                    COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};

short colour_of(int nibble, bool bright_allowed) {
    const short base = curses_colour[nibble & 7];
    return (nibble & 8) != 0 && bright_allowed ? static_cast<short>(base + 8) : base;
}

SCREEN* as_screen(void* screen) {
    return static_cast<SCREEN*>(screen);
}

}  // namespace

ncurses_writer::ncurses_writer(int cols, int rows) : cols_(cols), rows_(rows) {}

result<std::unique_ptr<ncurses_writer>> ncurses_writer::open(int cols, int rows) {
    std::unique_ptr<ncurses_writer> writer(new ncurses_writer(cols, rows));
    if (result<> ready = writer->set_up(); !ready) {
        return failure(std::move(ready).error());
    }
    return writer;
}

result<> ncurses_writer::set_up() {
    termios raw{};
    cfmakeraw(&raw);
    winsize size{};
    size.ws_col = static_cast<unsigned short>(cols_);
    size.ws_row = static_cast<unsigned short>(rows_);
    if (openpty(&master_, &slave_, nullptr, &raw, &size) != 0) {
        return failure(std::string("openpty: ") + std::strerror(errno));
    }
    drainer_ = std::thread([this] { drain(); });

    // The size must come from the pseudo-terminal, not from a LINES or COLUMNS that the
    // calling shell happens to export.
    unsetenv("LINES");
    unsetenv("COLUMNS");
    FILE* out = fdopen(dup(slave_), "w");
    FILE* in = fdopen(dup(slave_), "r");
    out_ = out;
    in_ = in;
    if (out == nullptr || in == nullptr) {
        return failure("fdopen on the pseudo-terminal failed");
    }
    SCREEN* screen = newterm("xterm-256color", out, in);
    if (screen == nullptr) {
        return failure("newterm(xterm-256color) failed; is ncurses-base installed?");
    }
    screen_ = screen;
    set_term(screen);
    if (LINES != rows_ || COLS != cols_) {
        return failure("ncurses sees " + std::to_string(COLS) + "x" + std::to_string(LINES) +
                       " instead of " + std::to_string(cols_) + "x" + std::to_string(rows_));
    }
    if (!has_colors() || start_color() != OK) {
        return failure("no colours on xterm-256color");
    }
    // Sixteen background colours need a terminal description with at least 16 colours;
    // with fewer, bright backgrounds would be drawn in their dim colour.
    bright_backgrounds_ = COLORS >= 16;
    if (COLOR_PAIRS < 257) {
        return failure("only " + std::to_string(COLOR_PAIRS) + " colour pairs");
    }
    for (int attribute = 0; attribute < 256; ++attribute) {
        init_pair(static_cast<short>(attribute + 1), colour_of(attribute & 15, true),
                  colour_of(attribute >> 4, bright_backgrounds_));
    }
    colour_note_ = "COLORS=" + std::to_string(COLORS) +
                   ", COLOR_PAIRS=" + std::to_string(COLOR_PAIRS) +
                   ", pairs 1-256 = attribute + 1, " +
                   (bright_backgrounds_ ? "bright backgrounds as colours 8-15 (setab 100-107)"
                                        : "bright backgrounds shown dim (fewer than 16 colours)");
    // Nothing waits for input and the cursor is left wherever the update ends, as our
    // console does; typeahead checks would otherwise let pending input cut an update short.
    typeahead(-1);
    leaveok(stdscr, TRUE);
    scrollok(stdscr, FALSE);
    fflush(out);
    setup_bytes_ = end_of_output(nullptr);
    return {};
}

ncurses_writer::~ncurses_writer() {
    if (screen_ != nullptr) {
        endwin();
        delscreen(as_screen(screen_));
    }
    if (out_ != nullptr) {
        std::fclose(static_cast<FILE*>(out_));
    }
    if (in_ != nullptr) {
        std::fclose(static_cast<FILE*>(in_));
    }
    if (slave_ >= 0) {
        close(slave_);
    }
    // With every slave descriptor closed, reading the master fails and the drain ends.
    if (drainer_.joinable()) {
        drainer_.join();
    }
    if (master_ >= 0) {
        close(master_);
    }
}

std::size_t ncurses_writer::draw(const char_info* picture, std::string* copy) {
    std::vector<cchar_t> line(static_cast<std::size_t>(cols_));
    for (int y = 0; y < rows_; ++y) {
        for (int x = 0; x < cols_; ++x) {
            const char_info& cell = picture[y * cols_ + x];
            const wchar_t glyph[2] = {
                static_cast<wchar_t>(cp437_code_point(static_cast<std::uint8_t>(cell.ch))), L'\0'};
            const short pair = static_cast<short>((cell.attributes & 0xFF) + 1);
            setcchar(&line[static_cast<std::size_t>(x)], glyph, A_NORMAL, pair, nullptr);
        }
        mvadd_wchnstr(y, 0, line.data(), cols_);
    }
    wnoutrefresh(stdscr);
    doupdate();
    std::fflush(static_cast<FILE*>(out_));
    return end_of_output(copy);
}

std::size_t ncurses_writer::end_of_output(std::string* copy) {
    // Written to the same terminal after ncurses' own bytes, the mark arrives after them.
    if (!write_all(slave_, &end_mark, 1)) {
        return 0;
    }
    std::unique_lock lock(mutex_);
    arrived_.wait(lock, [this] { return !updates_.empty(); });
    std::string bytes = std::move(updates_.front());
    updates_.pop_front();
    if (copy != nullptr) {
        copy->append(bytes);
    }
    return bytes.size();
}

void ncurses_writer::drain() {
    std::string current;
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(master_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        const char* at = buffer;
        const char* const end = buffer + got;
        while (at < end) {
            const char* mark = static_cast<const char*>(
                std::memchr(at, end_mark, static_cast<std::size_t>(end - at)));
            if (mark == nullptr) {
                current.append(at, end);
                break;
            }
            current.append(at, mark);
            {
                std::lock_guard lock(mutex_);
                updates_.push_back(std::move(current));
            }
            arrived_.notify_one();
            current.clear();
            at = mark + 1;
        }
    }
}
