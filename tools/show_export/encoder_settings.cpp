#include "tools/show_export/encoder_settings.hpp"

encoder_settings encoder_settings_for(video_format format, video_size size) {
    const bool small = size == video_size::small;
    switch (format) {
        case video_format::mp4:
            return {
                {{"preset", "veryfast"}, {"x264-params", "psy-rd=0,0:aq-mode=2:bframes=5:ref=4"}},
                600,
                small ? 820'000 : 2'070'000,
                small ? 64'000 : 128'000};
        case video_format::webm:
            return {{{"deadline", "realtime"},
                     {"cpu-used", "8"},
                     {"row-mt", "1"},
                     {"tile-columns", "2"},
                     {"tune-content", "screen"}},
                    600,
                    small ? 820'000 : 2'070'000,
                    small ? 64'000 : 128'000};
        case video_format::lossless:
            break;
    }
    // Every frame a key frame: a decoder can start anywhere, as the tests do.
    return {{{"slices", "4"}}, 1, 0, 0};
}
