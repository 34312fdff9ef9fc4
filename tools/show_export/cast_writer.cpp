#include "tools/show_export/cast_writer.hpp"

#include <cerrno>
#include <cstring>

#include "asciigui/ag_console.hpp"
#include "platform/console.hpp"
#include "platform/terminal_description.hpp"
#include "terminal/terminal_sequences.hpp"

void append_json_string(const std::string& bytes, std::string& out) {
    static constexpr char hex[] = "0123456789abcdef";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\u00";
            out += hex[byte >> 4];
            out += hex[byte & 0x0F];
        } else {
            out += c;
        }
    }
}

cast_writer::~cast_writer() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

result<> cast_writer::open(const std::string& path, int fps) {
    fps_ = fps;
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
        return failure(std::strerror(errno));
    }
    // The recording is for that terminal, whatever this one is; a recording is UTF-8.
    result<terminal_caps> described = read_terminal_caps_of(terminal_name, -1);
    if (!described) {
        return failure(std::move(described).error());
    }
    terminal_caps& caps = *described;
    caps.glyphs = utf8_glyphs();
    encoder_.set_terminal_size(screen_cols, screen_rows);
    encoder_.suit(caps);
    std::string header = "{\"version\": 2, \"width\": " + std::to_string(screen_cols) +
                         ", \"height\": " + std::to_string(screen_rows) + ", \"title\": \"";
    append_json_string(ag_console::window_title, header);
    header += "\", \"env\": {\"TERM\": \"";
    header += terminal_name;
    header += "\"}}\n";
    if (std::fputs(header.c_str(), file_) < 0) {
        return failure(std::strerror(errno));
    }
    // The show's start, as the console sends it before the first frame: take-over, title,
    // hidden cursor, then the blank show buffer presented once.
    bytes_ = terminal_take_over_sequence(caps);
    if (caps.titles) {
        bytes_ += terminal_title_sequence(ag_console::window_title);
    }
    bytes_ += caps.hide_cursor;
    char_info cells[screen_cells];
    ag_picture_cells(screen_buffer{}, cells);
    encoder_.encode(cells, screen_cols, screen_rows, bytes_);
    return {};
}

result<> cast_writer::add_frame(const screen_buffer& frame) {
    char_info cells[screen_cells];
    ag_picture_cells(frame, cells);
    encoder_.encode(cells, screen_cols, screen_rows, bytes_);
    result<> written = write_event(static_cast<double>(frames_) / fps_, bytes_);
    bytes_.clear();
    ++frames_;
    return written;
}

result<> cast_writer::write_event(double seconds, const std::string& bytes) {
    char time[32];
    std::snprintf(time, sizeof time, "[%.6f, \"o\", \"", seconds);
    line_ = time;
    append_json_string(bytes, line_);
    line_ += "\"]\n";
    if (std::fwrite(line_.data(), 1, line_.size(), file_) != line_.size()) {
        return failure(std::strerror(errno));
    }
    return {};
}

result<> cast_writer::finish() {
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) {
        return failure(std::strerror(errno));
    }
    return {};
}
