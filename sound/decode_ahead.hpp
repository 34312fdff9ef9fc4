#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "sound/sample_feed.hpp"
#include "sound/sound_file.hpp"

// Decodes a sound file on a thread of its own into a ring a few seconds long, so the
// output's thread only copies samples and the music needs the same memory whatever the
// file's length. Playback can start as soon as the first chunk is decoded instead of
// after the whole file.
class decode_ahead final : public sample_feed {
  public:
    explicit decode_ahead(std::unique_ptr<sound_file> file);
    ~decode_ahead() override;

    decode_ahead(const decode_ahead&) = delete;
    decode_ahead& operator=(const decode_ahead&) = delete;

    int read(std::int16_t* out, int frames) override;
    bool at_end() override;
    void skip(std::int64_t frames) override;

  private:
    void run();

    const std::unique_ptr<sound_file> file_;
    std::vector<std::int16_t> ring_;

    // Guards the ring's fill state; the decoder waits for room, the reader for samples.
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t read_at_ = 0;
    std::size_t count_ = 0;
    bool file_ended_ = false;
    bool closing_ = false;
    std::thread thread_;
};
