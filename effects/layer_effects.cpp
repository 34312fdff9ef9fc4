#include "effects/layer_effects.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "effects/show_rand.hpp"
#include "platform/data_files.hpp"
#include "platform/file_kind.hpp"
#include "platform/process.hpp"

namespace {

failure problem_line(const char* file_name, const std::string& what) {
    return failure(std::string(file_name) + ": " + what);
}

}  // namespace

result<> load_screen_file(const char* name, screen_buffer& screen) {
    const std::string path = data_file_path(name);
    const char* file_name = path.c_str();
    if (const result<> regular = check_regular_file(file_name); !regular) {
        return problem_line(file_name, regular.error());
    }
    std::FILE* file = std::fopen(file_name, "rb");
    if (file == nullptr) {
        return problem_line(file_name, std::strerror(errno));
    }
    const std::size_t got = std::fread(screen.data(), 1, screen.size(), file);
    result<> problem;
    if (std::ferror(file) != 0) {
        // errno still holds the failed read's reason: nothing has been called since.
        problem = problem_line(file_name, std::strerror(errno));
    } else if (got < screen.size()) {
        problem = problem_line(
            file_name, std::to_string(got) + " bytes, expected " + std::to_string(screen.size()));
    } else if (std::fgetc(file) != EOF) {
        problem =
            problem_line(file_name, "longer than " + std::to_string(screen.size()) + " bytes");
    }
    std::fclose(file);
    return problem;
}

image_effect::image_effect(const char* file_name) {
    // The show goes on with whatever was read; the user learns why once the terminal is
    // theirs again.
    if (const result<> loaded = load_screen_file(file_name, screen); !loaded) {
        report_at_exit(loaded.error());
    }
}

void image_effect::render(std::int32_t) {
    *target = screen;
}

void clear_effect::render(std::int32_t) {
    target->fill(0);
}

overlay_effect::overlay_effect(effect& base, effect& overlay, std::uint8_t key)
    : base_child(base), overlay_child(overlay), key_char(key) {}

void overlay_effect::render(std::int32_t) {
    screen_buffer& out = *target;
    render_child(base_child, now_ticks, out);
    render_child(overlay_child, now_ticks, overlay_buffer);
    // Only the character decides transparency: a key character of any colour is a hole.
    for (std::size_t at = 0; at < out.size(); at += 2) {
        if (overlay_buffer[at] != key_char) {
            out[at] = overlay_buffer[at];
            out[at + 1] = overlay_buffer[at + 1];
        }
    }
}

random_switch_effect::random_switch_effect(effect& first, effect& second, double threshold_value)
    : first_child(first), second_child(second), threshold(threshold_value) {}

void random_switch_effect::render(std::int32_t) {
    // The child not chosen is left alone, so its clock starts only when it is first shown.
    effect& chosen = static_cast<double>(show_rand()) > threshold ? first_child : second_child;
    render_child(chosen, now_ticks, *target);
}

void end_effect::render(std::int32_t) {
    exit_process(23);
}
