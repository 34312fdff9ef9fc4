#include "tools/composer/ogg_writer.hpp"

#include <sndfile.h>

#include <algorithm>
#include <memory>

namespace {
struct sndfile_closer {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
}  // namespace

result<> write_ogg_vorbis(const std::string& path, std::span<const float> samples, int rate,
                          double quality) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    std::unique_ptr<SNDFILE, sndfile_closer> file(sf_open(path.c_str(), SFM_WRITE, &info));
    if (!file) {
        return failure("cannot open " + path + " for writing: " + sf_strerror(nullptr));
    }
    // The encoder takes its quality before the first sample is written.
    double setting = quality;
    if (sf_command(file.get(), SFC_SET_VBR_ENCODING_QUALITY, &setting, sizeof(setting)) !=
        SF_TRUE) {
        return failure("cannot set the encoding quality of " + path);
    }
    // The encoder is fed in modest blocks: the whole piece in one call crashed inside
    // libvorbis.
    constexpr std::size_t block = 4096;
    for (std::size_t done = 0; done < samples.size(); done += block) {
        const auto frames = static_cast<sf_count_t>(std::min(block, samples.size() - done));
        if (sf_writef_float(file.get(), samples.data() + done, frames) != frames) {
            return failure("cannot write " + path + ": " + sf_strerror(file.get()));
        }
    }
    return {};
}
