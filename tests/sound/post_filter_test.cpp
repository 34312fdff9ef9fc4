#include "sound/post_filter.hpp"

#include <sndfile.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Level n comes out as n/12 - 1, formed in double and stored as float.
static float level_output(int n) {
    return static_cast<float>(n * double{0.0833333358f} - 1.0);
}

TEST(quantiser, delays_by_one_sample_starting_at_minus_one_with_silence_just_above_zero) {
    quantiser_state state;
    const float below_full_scale = static_cast<float>(-32768 * double{3.0518509e-5f});
    ASSERT_LT(below_full_scale, -1.0f);
    std::array<float, 6> block = {1.0f, 0.5f, -0.25f, below_full_scale, 0.0f, 0.0f};
    quantise_block(state, block.data(), 6);
    EXPECT_EQ(block, (std::array<float, 6>{-1.0f, level_output(24), level_output(18),
                                           level_output(9), level_output(0), level_output(12)}));
    EXPECT_NEAR(level_output(12), 2.98e-8, 1e-10);
    EXPECT_EQ(state.level, 12);
    EXPECT_EQ(state.sum, 0.0f);
}

TEST(ladder_filter, outputs_silence_for_unknown_modes_while_its_state_runs_on) {
    for (int mode : {0, 4, -1}) {
        ladder_state silent_state;
        ladder_state lowpass_state;
        std::array<float, 16> silent{};
        for (int i = 0; i < 16; ++i) {
            silent[i] = (i % 4 < 2) ? 0.9f : -0.9f;
        }
        std::array<float, 16> lowpass = silent;
        ladder_filter_block(silent_state, {mode, 0.328f, 0.0021f}, silent.data(), 16);
        ladder_filter_block(lowpass_state, {1, 0.328f, 0.0021f}, lowpass.data(), 16);
        EXPECT_EQ(silent, (std::array<float, 16>{})) << "mode " << mode;
        EXPECT_NE(silent_state.pole4, 0.0f);
        EXPECT_EQ(silent_state.pole4, lowpass_state.pole4);
        EXPECT_EQ(silent_state.last_input, lowpass_state.last_input);
    }
}

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

TEST(post_filter, carries_its_state_from_block_to_block_and_skips_empty_blocks) {
    std::vector<std::int16_t> whole;
    for (int i = 0; i < 1000; ++i) {
        whole.push_back(static_cast<std::int16_t>((i * 37) % 50'000 - 25'000));
    }
    std::vector<std::int16_t> halves = whole;
    post_filter_state one;
    post_filter_state two;
    post_filter_block(one, whole.data(), 1000);
    post_filter_block(two, halves.data(), 500);
    post_filter_block(two, halves.data(), 0);
    post_filter_block(two, halves.data() + 500, -1);
    post_filter_block(two, halves.data() + 500, 500);
    EXPECT_EQ(whole, halves);

    std::int16_t other = 7;
    EXPECT_EQ(post_filter(&other, halves.data(), 0, nullptr), halves.data());
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
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("post-filter-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string in_path = folder / "in.wav";
    const std::string out_path = folder / "out.wav";
    std::vector<std::int16_t> samples(5000);
    std::mt19937 random(7);
    for (auto& sample : samples) {
        sample = static_cast<std::int16_t>(static_cast<int>(random() % 60000) - 30000);
    }
    SF_INFO in_info{};
    in_info.samplerate = 22050;
    in_info.channels = 1;
    in_info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* in = sf_open(in_path.c_str(), SFM_WRITE, &in_info);
    ASSERT_NE(in, nullptr);
    sf_writef_short(in, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(in);

    const std::string tool = TEXTSHOW_BINARY_DIR "/bin/post-filter";
    ASSERT_EQ(std::system((tool + " " + in_path + " " + out_path).c_str()), 0);
    SF_INFO out_info{};
    SNDFILE* out = sf_open(out_path.c_str(), SFM_READ, &out_info);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out_info.samplerate, 22050);
    EXPECT_EQ(out_info.channels, 1);
    EXPECT_EQ(out_info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    std::vector<std::int16_t> written(samples.size() + 1);
    written.resize(static_cast<std::size_t>(
        sf_readf_short(out, written.data(), static_cast<sf_count_t>(written.size()))));
    sf_close(out);

    post_filter_state state;
    post_filter_block(state, samples.data(), static_cast<int>(samples.size()));
    EXPECT_EQ(written, samples);

    const std::string missing = (folder / "missing.wav").string();
    const std::string said = folder / "said.txt";
    EXPECT_NE(std::system((tool + " " + missing + " " + out_path + " 2>" + said).c_str()), 0);
    std::ifstream said_file(said);
    std::string line;
    std::getline(said_file, line);
    EXPECT_EQ(line, "post-filter: cannot read " + missing + ": No such file or directory");
    std::filesystem::remove_all(folder);
}
