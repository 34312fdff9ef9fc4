// post-filter IN OUT: runs a sound file through the music's post-filter chain, the way the
// show would hear it with the chain switched on, and writes the result as a 16-bit mono
// WAV at the input's rate. For listening to the chain without running the show.

#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "sound/decoder.hpp"
#include "sound/post_filter.hpp"

namespace {

constexpr const char* usage =
    "usage: post-filter IN OUT\n"
    "Runs a sound file through the show's lo-fi post-filter chain and writes the result\n"
    "as a 16-bit mono WAV at the input's rate.\n";

// The block size only matters for speed: the chain carries its state across blocks.
constexpr int block_frames = 1024;

// libsndfile words system errors as "System error : <reason>."; the user needs the reason.
std::string tidy(std::string reason) {
    const std::string system_prefix = "System error : ";
    if (reason.rfind(system_prefix, 0) == 0) {
        reason.erase(0, system_prefix.size());
    }
    if (!reason.empty() && reason.back() == '.') {
        reason.pop_back();
    }
    return reason;
}

int fail(const char* what, const char* path, const std::string& reason) {
    std::fprintf(stderr, "post-filter: cannot %s %s: %s\n", what, path, reason.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "post-filter: expected an input and an output file\n%s", usage);
        return 2;
    }
    const char* in_path = argv[1];
    const char* out_path = argv[2];

    std::string reason;
    auto sound = decode_mono16(in_path, reason);
    if (!sound) {
        return fail("read", in_path, reason);
    }

    post_filter_state state;
    const int length = static_cast<int>(sound->samples.size());
    for (int start = 0; start < length; start += block_frames) {
        post_filter_block(state, sound->samples.data() + start,
                          std::min(block_frames, length - start));
    }

    SF_INFO info{};
    info.samplerate = sound->frames_per_second;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    // Opened here so that a bad path is reported with the system's own reason.
    const int descriptor = open(out_path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        return fail("write", out_path, std::strerror(errno));
    }
    SNDFILE* out = sf_open_fd(descriptor, SFM_WRITE, &info, SF_FALSE);
    if (out == nullptr) {
        close(descriptor);
        return fail("write", out_path, tidy(sf_strerror(nullptr)));
    }
    const sf_count_t written = sf_writef_short(out, sound->samples.data(), length);
    const std::string write_error = sf_strerror(out);
    const bool closed = sf_close(out) == 0 && close(descriptor) == 0;
    if (!closed || written != length) {
        return fail("write", out_path, tidy(write_error));
    }
    return 0;
}
