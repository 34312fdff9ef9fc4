// What a soundtrack costs before and while it plays: the time from opening the file to
// the music playing (the show draws its first picture right after), and the process's
// peak memory over a stretch of play, reading the clock once a frame as the show does.
// The music goes to the sound server where one answers, else it plays silently.
//
//   bench-music-start FILE [SECONDS]     (default 20 s of play)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "sound/fsound.hpp"

namespace {

// The kernel's figure for the process's peak resident memory, in kB.
long peak_resident_kb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

double ms_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        std::puts("usage: bench-music-start FILE [SECONDS]");
        return 0;
    }
    if (argc < 2) {
        std::fprintf(
            stderr,
            "bench-music-start: expected a sound file\nusage: bench-music-start FILE [SECONDS]\n");
        return 2;
    }
    const double seconds = argc > 2 ? std::atof(argv[2]) : 20.0;
    const long before_kb = peak_resident_kb();

    const auto start = std::chrono::steady_clock::now();
    FSOUND_Init(44100, 1, 2);
    fsound_stream* stream = FSOUND_Stream_OpenFile(argv[1], 0x130, 0);
    if (stream == nullptr) {
        std::fprintf(stderr, "bench-music-start: %s: %s\n", argv[1], fsound_last_error());
        return 1;
    }
    FSOUND_Stream_Play(0, stream);
    const double start_ms = ms_since(start);

    std::int32_t position = 0;
    while (ms_since(start) < seconds * 1000) {
        position = FSOUND_Stream_GetTime(stream);
        std::this_thread::sleep_for(std::chrono::microseconds(16'667));
    }
    FSOUND_Close();
    std::printf(
        "music playing %.2f ms after the open call; heard %d ms after %.0f s; "
        "peak memory %ld kB (%ld kB before the music)\n",
        start_ms, position, seconds, peak_resident_kb(), before_kb);
    return 0;
}
