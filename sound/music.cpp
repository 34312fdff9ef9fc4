#include "sound/music.hpp"

#include <string>

#include "platform/data_files.hpp"
#include "platform/process.hpp"
#include "sound/fsound.hpp"
#include "sound/post_filter.hpp"

bool post_filter_enabled = false;
std::int32_t music_start_ms = 0;

namespace {

// Sixteen-bit signed mono: the only form the post-filter reads.
constexpr unsigned int stream_mode = 0x10 | 0x20 | 0x100;

fsound_stream* music_stream = nullptr;

}  // namespace

void music_start() {
    FSOUND_Init(44100, 1, 2);
    const std::string path = data_file_path(soundtrack_file_name);
    music_stream = FSOUND_Stream_OpenFile(path.c_str(), stream_mode, 0);
    if (music_stream == nullptr) {
        // The show goes on in silence; the user learns why once the terminal is back.
        report_at_exit(std::string("cannot play ") + path + ": " + fsound_last_error());
    }
    if (post_filter_enabled) {
        FSOUND_DSP_SetActive(FSOUND_Stream_CreateDSP(music_stream, &post_filter, 0, nullptr), true);
    }
    fsound_start_at(music_stream, music_start_ms);
    FSOUND_Stream_Play(0, music_stream);
}

std::int32_t show_clock() {
    return show_ticks_from_ms(FSOUND_Stream_GetTime(music_stream));
}

void music_close() {
    FSOUND_Stream_Close(music_stream);
    FSOUND_Close();
    music_stream = nullptr;
}
