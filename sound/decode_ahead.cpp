#include "sound/decode_ahead.hpp"

#include <algorithm>

namespace {

// About three seconds at 44.1 kHz: far more than any device asks for at once, so a
// decoder held up for a moment by a busy machine is still ahead, and 256 KiB whatever
// the file's length.
constexpr std::size_t ring_frames = std::size_t{1} << 17;

// The decoder works in chunks of this many frames, decoded outside the lock.
constexpr int chunk_frames = 8192;

}  // namespace

decode_ahead::decode_ahead(std::unique_ptr<sound_file> file)
    : file_(std::move(file)), ring_(ring_frames), thread_([this] { run(); }) {}

decode_ahead::~decode_ahead() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void decode_ahead::run() {
    std::vector<std::int16_t> chunk(chunk_frames);
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock,
                          [this] { return closing_ || ring_.size() - count_ >= chunk_frames; });
            if (closing_) {
                return;
            }
        }
        const int got = file_->read(chunk.data(), chunk_frames);
        std::lock_guard lock(mutex_);
        for (int i = 0; i < got; ++i) {
            ring_[(read_at_ + count_ + static_cast<std::size_t>(i)) % ring_.size()] =
                chunk[static_cast<std::size_t>(i)];
        }
        count_ += static_cast<std::size_t>(got);
        if (got < chunk_frames) {
            file_ended_ = true;
        }
        changed_.notify_all();
        if (file_ended_) {
            return;
        }
    }
}

int decode_ahead::read(std::int16_t* out, int frames) {
    int done = 0;
    std::unique_lock lock(mutex_);
    while (done < frames) {
        changed_.wait(lock, [this] { return count_ > 0 || file_ended_; });
        if (count_ == 0) {
            break;
        }
        const std::size_t take = std::min(count_, static_cast<std::size_t>(frames - done));
        for (std::size_t i = 0; i < take; ++i) {
            out[static_cast<std::size_t>(done) + i] = ring_[(read_at_ + i) % ring_.size()];
        }
        read_at_ = (read_at_ + take) % ring_.size();
        count_ -= take;
        done += static_cast<int>(take);
        changed_.notify_all();
    }
    return done;
}

bool decode_ahead::at_end() {
    std::unique_lock lock(mutex_);
    // The decoder may not have found the end yet when the last samples were taken.
    changed_.wait(lock, [this] { return count_ > 0 || file_ended_; });
    return count_ == 0;
}

// The ring holds what the thread has decoded already, so the samples passed over are read
// through it like any others.
void decode_ahead::skip(std::int64_t frames) {
    sample_feed::skip(frames);
}
