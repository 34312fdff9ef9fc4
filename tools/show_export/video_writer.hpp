#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/result.hpp"
#include "picture/frame_picture.hpp"
#include "tools/show_export/encoder_settings.hpp"
#include "tools/show_export/export_options.hpp"

// One video file with a sound track, written through FFmpeg's libraries: H.264 and AAC in
// MP4, VP9 and Opus in WebM, or FFV1 and FLAC in Matroska where every pixel and every
// sample must survive. Pictures come one per frame; the sound is given whole at the start
// and laid under the pictures from time 0, cut or padded with silence to end with them.
class video_writer {
  public:
    struct sound {
        std::vector<std::int16_t> samples;  // mono
        int frames_per_second = 0;
    };

    video_writer();
    ~video_writer();
    video_writer(const video_writer&) = delete;
    video_writer& operator=(const video_writer&) = delete;

    // Opens `path` for pictures of width x height at `fps`, encoded with `settings`.
    result<> open(const std::string& path, video_format format, int fps, int width, int height,
                  sound music, const encoder_settings& settings);

    // Adds the next picture, and the sound that plays up to its end.
    result<> add_frame(const frame_picture& picture);

    // Adds the sound up to the last picture's end and completes the file.
    result<> finish();

  private:
    struct state;
    std::unique_ptr<state> state_;
};

// The encoders a format uses, by FFmpeg's names.
struct format_codecs {
    const char* container;
    const char* video;
    const char* audio;
};
format_codecs codecs_for(video_format format);
