#include "sound/decoder.hpp"

#include "sound/sound_file.hpp"

result<decoded_sound> decode_mono16(const char* path) {
    result<std::unique_ptr<sound_file>> opened = sound_file::open(path);
    if (!opened) {
        return failure(std::move(opened).error());
    }
    const std::unique_ptr<sound_file>& file = *opened;
    decoded_sound sound;
    sound.frames_per_second = file->frames_per_second();
    constexpr int step = 65536;
    for (;;) {
        const std::size_t before = sound.samples.size();
        sound.samples.resize(before + step);
        const int got = file->read(sound.samples.data() + before, step);
        sound.samples.resize(before + static_cast<std::size_t>(got));
        if (got < step) {
            break;
        }
    }
    return sound;
}
