#include "tools/show_export/encoder_settings.hpp"

// Text-mode pictures are flat colours with hard edges, yet most of the show is plasma and
// dithered shade glyphs that change a third of the pixels every frame, often returning to
// what an earlier frame showed. Measured on the whole show (bench-export-show candidates):
//
// - H.264: x264's fastest presets keep the export within half the show's length; many
//   reference frames and B-frames find the returning pictures; psychovisual sharpening
//   only adds noise to flat colours, and the quantiser adapting to structure is what
//   keeps SSIM up. A constant quality, capped by a bit rate: quiet scenes cost little,
//   busy ones are held to the cap, and the whole file to its budget. x264's one-pass
//   average bit rate mode instead spent the budget early and starved the last scenes.
// - VP9: libvpx's real-time mode cannot get down to these rates on the busy scenes (it
//   overshot the small budget more than twice); its good-quality mode for screen
//   content does, and keeps the pictures nearly exact, at several times the time.
//
// The rates leave room for the sound and the container within 25 MB and 10 MB for the
// show's 82.8 s: 2.07 + 0.128 Mbit/s and 0.82 + 0.064 Mbit/s.
encoder_settings encoder_settings_for(video_format format, video_size size) {
    const bool small = size == video_size::small;
    switch (format) {
        case video_format::mp4:
            return {{{"preset", "superfast"},
                     {"crf", "20"},
                     {"x264-params", "psy-rd=0,0:aq-mode=2:bframes=8:ref=8:chroma-qp-offset=-4"}},
                    600,
                    0,
                    small ? 820'000 : 2'070'000,
                    small ? 64'000 : 128'000};
        case video_format::webm:
            return {{{"deadline", "good"},
                     {"cpu-used", "5"},
                     {"row-mt", "1"},
                     {"tile-columns", "2"},
                     {"tune-content", "screen"}},
                    600,
                    small ? 820'000 : 2'070'000,
                    0,
                    small ? 64'000 : 128'000};
        case video_format::lossless:
            break;
    }
    // Every frame a key frame: a decoder can start anywhere, as the tests do.
    return {{{"slices", "4"}}, 1, 0, 0, 0};
}
