#include "sound/sound_stream.hpp"

#include <algorithm>
#include <cstring>

fsound_stream::fsound_stream(std::unique_ptr<sample_feed> feed, int frames_per_second)
    : feed_(std::move(feed)), frames_per_second_(frames_per_second), clock_(frames_per_second) {}

fsound_stream::fsound_stream(std::vector<std::int16_t> samples, int frames_per_second)
    : fsound_stream(std::make_unique<memory_feed>(std::move(samples)), frames_per_second) {}

fsound_stream::~fsound_stream() {
    stop();
}

fsound_dsp_unit* fsound_stream::add_dsp(fsound_dsp_callback callback, int priority,
                                        void* user_data) {
    auto unit = std::make_unique<fsound_dsp_unit>();
    unit->callback = callback;
    unit->priority = priority;
    unit->user_data = user_data;
    fsound_dsp_unit* handle = unit.get();

    std::lock_guard lock(mutex_);
    auto after = std::upper_bound(chain_.begin(), chain_.end(), priority,
                                  [](int p, const auto& u) { return p < u->priority; });
    chain_.insert(after, std::move(unit));
    return handle;
}

void fsound_stream::start_at(std::int64_t frames) {
    std::lock_guard lock(mutex_);
    if (output_ || frames <= 0) {
        return;
    }
    feed_->skip(frames);
    next_frame_ = frames;
    clock_.start_at(frames);
}

void fsound_stream::play(std::unique_ptr<audio_output> output) {
    if (output_ || !output) {
        return;
    }
    output_ = std::move(output);
    output_->start();
}

void fsound_stream::stop() {
    if (output_) {
        output_->stop();
        output_.reset();
    }
}

void fsound_stream::fill(std::int16_t* block, int frames) {
    frames = std::max(frames, 0);
    std::lock_guard lock(mutex_);
    const int music = end_handed_over_ ? 0 : feed_->read(block, frames);
    std::fill(block + music, block + frames, std::int16_t{0});
    next_frame_ += music;
    if (music > 0) {
        run_dsp_chain(block, music);
    }
    if (!end_handed_over_) {
        end_handed_over_ = music < frames || feed_->at_end();
        clock_.handed_over(next_frame_, end_handed_over_);
    }
}

void fsound_stream::heard(std::int64_t position_ns, std::int64_t at_ns) {
    clock_.heard(position_ns, at_ns);
}

void fsound_stream::held(std::int64_t position_ns) {
    clock_.hold(position_ns);
}

void fsound_stream::heard_not_playing(std::int64_t position_ns, std::int64_t at_ns,
                                      std::int64_t taken_ns) {
    clock_.heard_not_playing(position_ns, at_ns, taken_ns);
}

void fsound_stream::lost() {
    clock_.run_on();
}

bool fsound_stream::finished() const {
    std::lock_guard lock(mutex_);
    return end_handed_over_;
}

void fsound_stream::run_dsp_chain(std::int16_t* block, int frames) {
    if (std::none_of(chain_.begin(), chain_.end(),
                     [](const auto& u) { return u->active.load(); })) {
        return;
    }
    // Every unit may look at the block as it was decoded; the copy is kept between calls
    // so that the audio thread allocates only when blocks grow.
    if (dry_block_.size() < static_cast<std::size_t>(frames)) {
        dry_block_.resize(static_cast<std::size_t>(frames));
    }
    std::copy_n(block, frames, dry_block_.begin());
    for (const auto& unit : chain_) {
        if (!unit->active.load()) {
            continue;
        }
        void* result = unit->callback(dry_block_.data(), block, frames, unit->user_data);
        if (result != nullptr && result != block) {
            std::memmove(block, result, static_cast<std::size_t>(frames) * sizeof(std::int16_t));
        }
    }
}
