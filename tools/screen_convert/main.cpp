// Turns a screen kept in its readable text form into the 4000 raw bytes the show loads.
// A source that is not exactly one screen is refused, naming the line at fault, so that a
// slip in an editor stops the build instead of shifting half a picture.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "show/screen_text.hpp"
#include "tools/tool_arguments.hpp"

namespace {

constexpr const char* usage =
    "usage: screen-convert SOURCE.txt SCREEN\n"
    "Turns a screen in its readable text form (25 lines of glyphs, then the foreground\n"
    "and background grids) into the 4000 raw bytes the show loads.\n";

}  // namespace

int main(int argc, char** argv) {
    if (const int refused = take_file_arguments(argc, argv, 2, "screen-convert",
                                                "a source file and a screen file", usage);
        refused >= 0) {
        return refused;
    }
    const char* source_path = argv[1];
    const char* screen_path = argv[2];
    std::ifstream in(source_path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "screen-convert: %s: cannot read\n", source_path);
        return 1;
    }
    std::ostringstream source;
    source << in.rdbuf();
    const result<screen_buffer> read = screen_from_text(source.str());
    if (!read) {
        std::fprintf(stderr, "screen-convert: %s: %s\n", source_path, read.error().c_str());
        return 1;
    }
    const screen_buffer& screen = *read;
    errno = 0;
    std::ofstream out(screen_path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(screen.data()),
              static_cast<std::streamsize>(screen.size()));
    out.close();
    if (!out) {
        // The stream keeps no reason of its own; the failed open, write or close left it
        // in errno.
        std::fprintf(stderr, "screen-convert: %s: cannot write: %s\n", screen_path,
                     errno != 0 ? std::strerror(errno) : "write failed");
        std::remove(screen_path);
        return 1;
    }
    return 0;
}
