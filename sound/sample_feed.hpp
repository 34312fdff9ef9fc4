#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

// Where a stream's music comes from, in order: the samples of a file decoded ahead of
// playback, or samples already in memory.
class sample_feed {
  public:
    virtual ~sample_feed() = default;

    // Writes up to `frames` samples into `out`, waiting for them if they are still being
    // decoded; fewer only at the end of the music.
    virtual int read(std::int16_t* out, int frames) = 0;

    // True once every sample has been read, so the stream can tell that the block that
    // took the last ones ended the music.
    virtual bool at_end() = 0;

    // Passes over the next `frames` samples, for a stream that starts later in its music.
    // Reading them is always right; a feed that can jump does so instead.
    virtual void skip(std::int64_t frames) {
        std::vector<std::int16_t> passed(4096);
        while (frames > 0) {
            const int wanted = static_cast<int>(std::min<std::int64_t>(frames, 4096));
            const int got = read(passed.data(), wanted);
            if (got < wanted) {
                return;
            }
            frames -= got;
        }
    }
};

// Samples held in memory: the tests' streams and the silence of the stand-in stream.
class memory_feed final : public sample_feed {
  public:
    explicit memory_feed(std::vector<std::int16_t> samples) : samples_(std::move(samples)) {}

    int read(std::int16_t* out, int frames) override {
        const auto left = static_cast<std::int64_t>(samples_.size()) - next_;
        const int count = static_cast<int>(std::clamp<std::int64_t>(left, 0, frames));
        std::copy_n(samples_.begin() + next_, count, out);
        next_ += count;
        return count;
    }

    bool at_end() override { return next_ == static_cast<std::int64_t>(samples_.size()); }

  private:
    const std::vector<std::int16_t> samples_;
    std::int64_t next_ = 0;
};
