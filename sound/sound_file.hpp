#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct sf_private_tag;

// A sound file open for reading, in any format libsndfile knows, judged by the file's
// content whatever its name says. It is read front to back as signed 16-bit mono at the
// file's own rate: all channels mixed down to their mean, samples beyond full scale
// clipped, so memory never depends on the file's length.
class sound_file {
  public:
    // Null when the file cannot be used; `reason` then says in a few words why.
    static std::unique_ptr<sound_file> open(const char* path, std::string& reason);
    ~sound_file();

    sound_file(const sound_file&) = delete;
    sound_file& operator=(const sound_file&) = delete;

    int frames_per_second() const { return frames_per_second_; }

    // Reads up to `frames` frames into `out`; fewer only at the end of the file.
    int read(std::int16_t* out, int frames);

  private:
    sound_file(sf_private_tag* file, int descriptor, int channels, int frames_per_second);

    sf_private_tag* const file_;
    const int descriptor_;
    const int channels_;
    const int frames_per_second_;
    std::vector<double> chunk_;
};

// Writes `count` samples as a 16-bit mono WAV file; false with `reason` set when the file
// cannot be made or written.
bool write_mono16_wav(const char* path, const std::int16_t* samples, int count,
                      int frames_per_second, std::string& reason);
