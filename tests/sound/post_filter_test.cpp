#include "sound/post_filter.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sound_test_support.hpp"

// The last stage's soft saturation folds a large pole back beyond full scale.
TEST(post_filter, clamps_output_beyond_full_scale_to_32600) {
    for (float pole : {4.0f, -4.0f}) {
        post_filter_state state;
        state.stages[3] = {0.0f, pole, pole, pole, 0.0f};
        std::int16_t sample = 0;
        post_filter_block(state, &sample, 1);
        EXPECT_EQ(sample, pole > 0 ? -32600 : 32600);
    }
}

// A swept tone, and the chain's output for it as worked out by hand for its first
// samples: pairs "input output", one per line.
TEST(post_filter, turns_a_swept_tone_into_the_golden_block) {
    std::ifstream golden(std::string(TEXTSHOW_SOURCE_DIR) + "/tests/golden/post_filter_sweep.txt");
    std::vector<std::int16_t> input;
    std::vector<std::int16_t> expected;
    for (int in = 0, out = 0; golden >> in >> out;) {
        input.push_back(static_cast<std::int16_t>(in));
        expected.push_back(static_cast<std::int16_t>(out));
    }
    ASSERT_EQ(input.size(), 384u);
    post_filter_state state;
    post_filter_block(state, input.data(), 384);
    EXPECT_EQ(input, expected);
}

// The tool end to end: a file in, the chain's output out, as a 16-bit mono WAV at the
// input's rate, over several of the tool's blocks; a missing input is refused by name.
TEST(post_filter_tool, writes_what_the_chain_makes_of_a_file_and_names_a_missing_one) {
    const std::filesystem::path folder = test_folder();
    const std::string in_path = folder / "in.wav";
    const std::string out_path = folder / "out.wav";
    std::vector<std::int16_t> samples = noise(5000);
    write_sound(in_path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, samples);

    const std::string tool = TEXTSHOW_BINARY_DIR "/bin/post-filter";
    ASSERT_EQ(std::system((tool + " " + in_path + " " + out_path).c_str()), 0);
    SF_INFO out_info{};
    SNDFILE* out = sf_open(out_path.c_str(), SFM_READ, &out_info);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out_info.samplerate, 22050);
    EXPECT_EQ(out_info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    std::vector<std::int16_t> written(samples.size() + 1);
    written.resize(static_cast<std::size_t>(
        sf_readf_short(out, written.data(), static_cast<sf_count_t>(written.size()))));
    sf_close(out);
    post_filter_state state;
    post_filter_block(state, samples.data(), static_cast<int>(samples.size()));
    EXPECT_EQ(written, samples);

    const std::string missing = folder / "missing.wav";
    const std::string said = folder / "said.txt";
    EXPECT_NE(std::system((tool + " " + missing + " " + out_path + " 2>" + said).c_str()), 0);
    std::string line;
    std::getline(std::ifstream(said), line);
    EXPECT_EQ(line, "post-filter: cannot read " + missing + ": No such file or directory");
    std::filesystem::remove_all(folder);
}
