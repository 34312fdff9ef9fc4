#include "sound/fsound.hpp"

#include <algorithm>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "sound/decode_ahead.hpp"
#include "sound/fsound_backend.hpp"
#include "sound/sound_stream.hpp"
#include "sound/system_backend.hpp"

// The calls come from the show's one thread; only the streams themselves are shared with
// the outputs' threads, and they guard what they share.

namespace {

// The stream played in place of one that could not be opened has no samples, so its clock
// runs on real time from the play call; its rate only sets the silent output's pace.
constexpr int stand_in_frames_per_second = 44100;

struct fsound_state {
    sound_backend* chosen_backend = nullptr;
    std::unique_ptr<system_backend> owned_backend;
    sound_backend* backend = nullptr;
    std::vector<std::unique_ptr<fsound_stream>> streams;
    std::unique_ptr<fsound_stream> stand_in;
    std::string last_error;
};

fsound_state& state() {
    static fsound_state s;
    return s;
}

fsound_stream* stand_in_for(fsound_stream* stream) {
    return stream != nullptr ? stream : state().stand_in.get();
}

}  // namespace

void fsound_use_backend(sound_backend* backend) {
    state().chosen_backend = backend;
}

const char* fsound_last_error() {
    return state().last_error.c_str();
}

bool FSOUND_Init(int, int, unsigned int) {
    fsound_state& s = state();
    if (s.backend == nullptr) {
        if (s.chosen_backend != nullptr) {
            s.backend = s.chosen_backend;
        } else {
            s.owned_backend = std::make_unique<system_backend>();
            s.backend = s.owned_backend.get();
        }
    }
    return true;
}

fsound_stream* FSOUND_Stream_OpenFile(const char* name, unsigned int, int) {
    fsound_state& s = state();
    if (name == nullptr) {
        s.last_error = "no file name";
        return nullptr;
    }
    result<std::unique_ptr<sound_file>> file = sound_file::open(name);
    if (!file) {
        s.last_error = std::move(file).error();
        return nullptr;
    }
    s.last_error.clear();
    const int rate = (*file)->frames_per_second();
    s.streams.push_back(
        std::make_unique<fsound_stream>(std::make_unique<decode_ahead>(std::move(*file)), rate));
    return s.streams.back().get();
}

fsound_dsp_unit* FSOUND_Stream_CreateDSP(fsound_stream* stream, fsound_dsp_callback callback,
                                         int priority, void* user_data) {
    if (stream == nullptr || callback == nullptr) {
        return nullptr;
    }
    return stream->add_dsp(callback, priority, user_data);
}

bool FSOUND_DSP_SetActive(fsound_dsp_unit* unit, bool active) {
    if (unit == nullptr) {
        return false;
    }
    unit->active = active;
    return true;
}

void fsound_start_at(fsound_stream* stream, std::int32_t ms) {
    if (stream == nullptr || ms <= 0) {
        return;
    }
    // Rounded up, so that the time read right at the start is never before `ms`.
    const std::int64_t rate = stream->frames_per_second();
    stream->start_at((static_cast<std::int64_t>(ms) * rate + 999) / 1000);
}

int FSOUND_Stream_Play(int channel, fsound_stream* stream) {
    fsound_state& s = state();
    if (s.backend == nullptr) {
        return -1;
    }
    if (stream == nullptr && !s.stand_in) {
        s.stand_in = std::make_unique<fsound_stream>(std::vector<std::int16_t>{},
                                                     stand_in_frames_per_second);
    }
    fsound_stream* target = stand_in_for(stream);
    if (!target->playing()) {
        target->play(
            s.backend->open_output(*target, target->frames_per_second(), stream != nullptr));
    }
    return stream != nullptr ? std::max(channel, 0) : -1;
}

std::int32_t FSOUND_Stream_GetTime(fsound_stream* stream) {
    fsound_state& s = state();
    fsound_stream* target = stand_in_for(stream);
    if (target == nullptr || s.backend == nullptr) {
        return 0;
    }
    const std::int64_t ms = target->position_ns(s.backend->time().now_ns()) / 1'000'000;
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(ms, std::numeric_limits<std::int32_t>::max()));
}

bool FSOUND_Stream_Close(fsound_stream* stream) {
    fsound_state& s = state();
    if (stream == nullptr) {
        s.stand_in.reset();
        return false;
    }
    auto found = std::find_if(s.streams.begin(), s.streams.end(),
                              [stream](const auto& owned) { return owned.get() == stream; });
    if (found == s.streams.end()) {
        return false;
    }
    s.streams.erase(found);
    return true;
}

void FSOUND_Close() {
    fsound_state& s = state();
    s.streams.clear();
    s.stand_in.reset();
    s.backend = nullptr;
    s.owned_backend.reset();
}
