#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "sound/audio_output.hpp"
#include "sound/block_source.hpp"
#include "sound/dsp_unit.hpp"
#include "sound/play_clock.hpp"
#include "sound/sample_feed.hpp"

// A stream: where its samples come from, its DSP chain, where playback stands, and the
// output playing it. The show's thread creates, starts and reads it; the output's thread pulls
// blocks from it.
class fsound_stream final : public block_source {
  public:
    fsound_stream(std::unique_ptr<sample_feed> feed, int frames_per_second);
    fsound_stream(std::vector<std::int16_t> samples, int frames_per_second);
    ~fsound_stream();

    fsound_stream(const fsound_stream&) = delete;
    fsound_stream& operator=(const fsound_stream&) = delete;

    int frames_per_second() const { return frames_per_second_; }

    fsound_dsp_unit* add_dsp(fsound_dsp_callback callback, int priority, void* user_data);

    // Before play: the music starts `frames` frames in, and the position counts from the
    // music's start.
    void start_at(std::int64_t frames);

    // Takes the output and starts it; a stream plays once, so a second call does nothing.
    void play(std::unique_ptr<audio_output> output);
    bool playing() const { return output_ != nullptr; }
    void stop();

    std::int64_t position_ns(std::int64_t now_ns) { return clock_.position_ns(now_ns); }

    void fill(std::int16_t* block, int frames) override;
    void heard(std::int64_t position_ns, std::int64_t at_ns) override;
    void held(std::int64_t position_ns) override;
    void heard_not_playing(std::int64_t position_ns, std::int64_t at_ns,
                           std::int64_t taken_ns) override;
    void lost() override;
    bool finished() const override;

  private:
    void run_dsp_chain(std::int16_t* block, int frames);

    const std::unique_ptr<sample_feed> feed_;
    const int frames_per_second_;
    play_clock clock_;

    // Guards the feed and the chain: units may be added while the output runs.
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<fsound_dsp_unit>> chain_;
    std::vector<std::int16_t> dry_block_;
    std::int64_t next_frame_ = 0;
    bool end_handed_over_ = false;

    std::unique_ptr<audio_output> output_;
};
