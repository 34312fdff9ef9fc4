// post-filter IN OUT: runs a sound file through the music's post-filter chain, the way the
// show would hear it with the chain switched on, and writes the result as a 16-bit mono
// WAV at the input's rate. For listening to the chain without running the show.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "sound/decoder.hpp"
#include "sound/post_filter.hpp"
#include "tools/post_filter/wav_file.hpp"
#include "tools/tool_arguments.hpp"

namespace {

constexpr const char* usage =
    "usage: post-filter IN OUT\n"
    "Runs a sound file through the show's lo-fi post-filter chain and writes the result\n"
    "as a 16-bit mono WAV at the input's rate.\n";

// The block size only matters for speed: the chain carries its state across blocks.
constexpr int block_frames = 1024;

int fail(const char* what, const char* path, const std::string& reason) {
    std::fprintf(stderr, "post-filter: cannot %s %s: %s\n", what, path, reason.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int refused =
            take_file_arguments(argc, argv, 2, "post-filter", "an input and an output file", usage);
        refused >= 0) {
        return refused;
    }
    const char* in_path = argv[1];
    const char* out_path = argv[2];

    result<decoded_sound> sound = decode_mono16(in_path);
    if (!sound) {
        return fail("read", in_path, sound.error());
    }

    post_filter_state state;
    const int length = static_cast<int>(sound->samples.size());
    for (int start = 0; start < length; start += block_frames) {
        post_filter_block(state, sound->samples.data() + start,
                          std::min(block_frames, length - start));
    }

    if (const result<> written =
            write_wav_mono16(out_path, sound->samples, sound->frames_per_second);
        !written) {
        return fail("write", out_path, written.error());
    }
    return 0;
}
