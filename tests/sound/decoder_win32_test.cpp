#include "sound/decoder.hpp"

#include "base/data_file_names.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

void put_le(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

// A WAV file of the given form whose data chunk comes after an odd-sized chunk that a
// reader must skip, padding byte included.
std::string wav_file(int format, int channels, int bits, const std::string& data) {
    std::string fmt;
    put_le(fmt, static_cast<std::uint32_t>(format), 2);
    put_le(fmt, static_cast<std::uint32_t>(channels), 2);
    put_le(fmt, 22050, 4);
    put_le(fmt, static_cast<std::uint32_t>(22050 * channels * bits / 8), 4);
    put_le(fmt, static_cast<std::uint32_t>(channels * bits / 8), 2);
    put_le(fmt, static_cast<std::uint32_t>(bits), 2);
    std::string body = "WAVEfmt ";
    put_le(body, 16, 4);
    body += fmt;
    body += "note";
    put_le(body, 3, 4);
    body += "abc";
    body += '\0';
    body += "data";
    put_le(body, static_cast<std::uint32_t>(data.size()), 4);
    body += data;
    std::string file = "RIFF";
    put_le(file, static_cast<std::uint32_t>(body.size()), 4);
    return file + body;
}

std::vector<std::int16_t> decode(const std::string& bytes, const char* name = "sound.ogg") {
    std::ofstream(name, std::ios::binary) << bytes;
    const result<decoded_sound> sound = decode_mono16(name);
    std::remove(name);
    EXPECT_TRUE(sound.has_value()) << sound.error();
    if (!sound) {
        return {};
    }
    EXPECT_EQ(sound->frames_per_second, 22050);
    return sound->samples;
}

std::string samples(std::initializer_list<std::uint32_t> values, int bytes) {
    std::string data;
    for (const std::uint32_t value : values) {
        put_le(data, value, bytes);
    }
    return data;
}

}  // namespace

// The file's name says Ogg; its content, WAV, decides. Channels are averaged and rounded
// half away from zero, as the Linux decoder does.
TEST(decoder_win32, reads_wav_forms_by_content_and_mixes_channels_down) {
    const std::uint32_t minus_1000 = 0x10000 - 1000;
    const std::uint32_t minus_3001 = 0x10000 - 3001;
    EXPECT_EQ(decode(wav_file(1, 2, 16, samples({1000, 3001, minus_1000, minus_3001}, 2))),
              (std::vector<std::int16_t>{2001, -2001}));
    // 8-bit WAV is unsigned around 128.
    EXPECT_EQ(decode(wav_file(1, 1, 8, samples({0x90, 0x70}, 1))),
              (std::vector<std::int16_t>{4096, -4096}));
    // 24-bit keeps its top 16 bits, sign included.
    EXPECT_EQ(decode(wav_file(1, 1, 24, samples({0x123456, 0xFEDCBA}, 3))),
              (std::vector<std::int16_t>{0x1234, -0x0124}));
    // 32-bit float, clipped at full scale.
    EXPECT_EQ(decode(wav_file(3, 1, 32, samples({0x3F000000, 0xC0000000}, 4))),
              (std::vector<std::int16_t>{16384, -32767}));
}

TEST(decoder_win32, decodes_the_soundtrack_as_ogg_vorbis_and_says_why_it_cannot) {
    const result<decoded_sound> soundtrack =
        decode_mono16((std::string(TEXTSHOW_BINARY_DIR "/bin/") + soundtrack_file_name).c_str());
    ASSERT_TRUE(soundtrack.has_value()) << soundtrack.error();
    EXPECT_EQ(soundtrack->frames_per_second, 44100);
    // The show ends at 82.8 s of music; the soundtrack lasts past that.
    EXPECT_GT(soundtrack->samples.size(), 83u * 44100u);

    const result<decoded_sound> missing = decode_mono16("no-such-file.ogg");
    EXPECT_FALSE(missing.has_value());
    EXPECT_EQ(missing.error(), "No such file or directory");
    std::ofstream("text.ogg") << "just some text, not a sound";
    const result<decoded_sound> text = decode_mono16("text.ogg");
    std::remove("text.ogg");
    EXPECT_FALSE(text.has_value());
    EXPECT_EQ(text.error(), "neither Ogg Vorbis nor WAV");
}
