#pragma once

// Runs the show's tools in build/bin, where the converted screens lie as next to the show.

#include <sys/wait.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "show/screen_buffer.hpp"

namespace run_tool {

// A fresh folder in the build's tests folder, removed again when the scope ends.
struct scratch_dir {
    std::string path = std::filesystem::absolute("show-tool-XXXXXX");
    scratch_dir() { EXPECT_NE(mkdtemp(path.data()), nullptr); }
    ~scratch_dir() { std::filesystem::remove_all(path); }
    // Writes `text` to source.txt in the folder and returns that file's path.
    std::string write(const std::string& text) const {
        std::ofstream(path + "/source.txt", std::ios::binary) << text;
        return path + "/source.txt";
    }
};

inline std::string read_file(const std::string& path) {
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}

inline screen_buffer read_screen(const std::string& path) {
    screen_buffer screen{};
    std::ifstream(path, std::ios::binary)
        .read(reinterpret_cast<char*>(screen.data()), screen_bytes);
    return screen;
}

struct result {
    int exit_code = -1;
    std::string error_output;
    std::vector<screen_buffer> frames;
};

// Runs "bin/<command line>" through the shell, keeping only what it writes to stderr.
inline result run(const std::string& command_line) {
    const std::string command = "cd " TEXTSHOW_BINARY_DIR "/bin && ./" + command_line;
    FILE* pipe = popen((command + " 2>&1 >/dev/null").c_str(), "r");
    result out;
    for (int c; (c = std::fgetc(pipe)) != EOF;) {
        out.error_output += static_cast<char>(c);
    }
    const int status = pclose(pipe);
    out.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

// Runs show-frames over `ticks` (and any options) and reads back the frames it wrote,
// in order, up to the first index without a file.
inline result show_frames(const std::vector<std::int32_t>& ticks, const std::string& options = "") {
    const scratch_dir scratch;
    std::string list;
    for (const std::int32_t t : ticks) {
        if (!list.empty()) {
            list += ',';
        }
        list += std::to_string(t);
    }
    result out = run("show-frames --ticks " + list + " --out " + scratch.path + " " + options);
    char name[32];
    for (std::size_t index = 0;; ++index) {
        std::snprintf(name, sizeof name, "/frame-%05zu.bin", index);
        if (!std::filesystem::exists(scratch.path + name)) {
            return out;
        }
        out.frames.push_back(read_screen(scratch.path + name));
    }
}

// The frame a shared effect shows on its own after being rendered at each of `ticks`.
inline screen_buffer effect_frame(const std::string& name, const std::vector<std::int32_t>& ticks) {
    const result out = show_frames(ticks, "--effect " + name);
    EXPECT_EQ(out.frames.size(), ticks.size()) << name << ": " << out.error_output;
    return out.frames.empty() ? screen_buffer{} : out.frames.back();
}

}  // namespace run_tool
