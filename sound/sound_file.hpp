#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/result.hpp"

// A sound file open for reading, in any format libsndfile knows, judged by the file's
// content whatever its name says. It is read front to back as signed 16-bit mono at the
// file's own rate: all channels mixed down to their mean, samples beyond full scale
// clipped, so memory never depends on the file's length.
class sound_file {
  public:
    // Fails, saying in a few words why, when the file cannot be used.
    static result<std::unique_ptr<sound_file>> open(const char* path);
    ~sound_file();

    sound_file(const sound_file&) = delete;
    sound_file& operator=(const sound_file&) = delete;

    int frames_per_second() const { return frames_per_second_; }

    // Reads up to `frames` frames into `out`; fewer only at the end of the file.
    int read(std::int16_t* out, int frames);

    // Moves `frames` frames on without reading them; false when that passes the end.
    bool skip(std::int64_t frames);

  private:
    // Each system's decoder opens the file, once it is known to be a regular one.
    static result<std::unique_ptr<sound_file>> open_regular(const char* path);
    // The whole of a regular file, for the decoders that take a file in one piece.
    static result<std::vector<unsigned char>> read_whole(const char* path);

    // What the platform's decoder keeps of an open file: libsndfile's handle where there is
    // libsndfile, the decoded samples where there is not.
    struct decoder_state;
    sound_file(std::unique_ptr<decoder_state> state, int frames_per_second);

    const std::unique_ptr<decoder_state> state_;
    const int frames_per_second_;
};
