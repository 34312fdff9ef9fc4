#include "tools/post_filter/wav_file.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

void put_le(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

struct file_closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

result<> write_wav_mono16(const char* path, const std::vector<std::int16_t>& samples,
                          int frames_per_second) {
    const auto data_bytes = static_cast<std::uint32_t>(samples.size() * 2);
    const auto rate = static_cast<std::uint32_t>(frames_per_second);
    std::string bytes = "RIFF";
    put_le(bytes, 36 + data_bytes, 4);
    bytes += "WAVEfmt ";
    put_le(bytes, 16, 4);
    put_le(bytes, 1, 2);  // integer PCM
    put_le(bytes, 1, 2);  // one channel
    put_le(bytes, rate, 4);
    put_le(bytes, rate * 2, 4);
    put_le(bytes, 2, 2);
    put_le(bytes, 16, 2);
    bytes += "data";
    put_le(bytes, data_bytes, 4);
    bytes.reserve(bytes.size() + data_bytes);
    for (const std::int16_t sample : samples) {
        put_le(bytes, static_cast<std::uint16_t>(sample), 2);
    }

    errno = 0;
    std::unique_ptr<std::FILE, file_closer> file(std::fopen(path, "wb"));
    if (!file) {
        return failure(std::strerror(errno));
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    const int write_error = errno;
    if (std::fclose(file.release()) != 0 || !written) {
        return failure(std::strerror(write_error != 0 ? write_error : errno));
    }
    return {};
}
