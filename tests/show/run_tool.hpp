#pragma once

// Runs the show's command-line tools from build/bin, in that folder, where the converted
// screens lie as they do next to the show.

#include <sys/wait.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "show/screen_buffer.hpp"

namespace run_tool {

inline const std::string bin_dir = std::string(TEXTSHOW_BINARY_DIR) + "/bin";

struct result {
    int exit_code = -1;
    std::string error_output;
    std::vector<screen_buffer> frames;
};

// A fresh folder in the build's tests folder, removed again when the scope ends.
class scratch_dir {
  public:
    scratch_dir() {
        std::string pattern = std::filesystem::absolute("show-tool-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string("/nonexistent");
    }
    ~scratch_dir() { std::filesystem::remove_all(path_); }
    scratch_dir(const scratch_dir&) = delete;
    scratch_dir& operator=(const scratch_dir&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

inline std::string read_file(const std::string& path) {
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}

inline screen_buffer to_screen(const std::string& bytes) {
    screen_buffer screen{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), screen.size()), screen.begin());
    return screen;
}

// Runs bin/<program> with `args`, keeping what it writes to standard error.
inline result run(const std::string& program, const std::vector<std::string>& args,
                  const scratch_dir& scratch) {
    std::string command = "cd '" + bin_dir + "' && ./" + program;
    for (const std::string& arg : args) {
        command += " '" + arg + "'";
    }
    const std::string error_path = scratch.path() + "/stderr.txt";
    const int status = std::system((command + " 2>'" + error_path + "'").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(error_path), {}};
}

// Runs show-frames over `ticks` with any further options and reads back the frames it
// wrote, in order, up to the first index without a file.
inline result show_frames(const std::vector<std::int32_t>& ticks,
                          const std::vector<std::string>& options = {}) {
    scratch_dir scratch;
    const std::string tick_path = scratch.path() + "/ticks.txt";
    std::ofstream tick_file(tick_path);
    for (const std::int32_t t : ticks) {
        tick_file << t << '\n';
    }
    tick_file.close();
    const std::string out_dir = scratch.path() + "/frames";
    std::vector<std::string> args{"--ticks-file", tick_path, "--out", out_dir};
    args.insert(args.end(), options.begin(), options.end());
    result out = run("show-frames", args, scratch);
    char name[32];
    for (std::size_t index = 0;; ++index) {
        std::snprintf(name, sizeof name, "/frame-%05zu.bin", index);
        if (!std::filesystem::exists(out_dir + name)) {
            return out;
        }
        out.frames.push_back(to_screen(read_file(out_dir + name)));
    }
}

// The frame a shared effect shows on its own after being rendered at each of `ticks`.
inline screen_buffer effect_frame(const std::string& name, const std::vector<std::int32_t>& ticks) {
    const result out = show_frames(ticks, {"--effect", name});
    if (out.exit_code != 0 || out.frames.size() != ticks.size()) {
        ADD_FAILURE() << "show-frames --effect " << name << ": " << out.error_output;
        return screen_buffer{};
    }
    return out.frames.back();
}

}  // namespace run_tool
