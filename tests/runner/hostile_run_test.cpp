#include <gtest/gtest.h>

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "base/data_file_names.hpp"
#include "support/shell_session.hpp"

// The show as a user runs it from an interactive shell, with its standard streams closed
// or redirected, and with data files that are not what they should be.

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string show_directory = TEXTSHOW_BINARY_DIR "/bin";
const std::string show_program = show_directory + "/textshow";

// Started from the shell with `command_line`, the show takes the terminal over, Escape
// ends it with 42, and the shell has its terminal back.
void expect_show_runs_and_escape_ends_it(shell_session& shell, const std::string& command_line) {
    shell.type(command_line + "; echo status=$?");
    ASSERT_TRUE(shell.wait_for([&] { return shell.screen().alternate_screen(); }))
        << "the show never took the terminal over\n"
        << shell.screen().text();
    // Keys are read once the show draws its frames.
    ASSERT_TRUE(shell.wait_for([&] { return shell.terminal().frames_begun() > 0; }))
        << shell.screen().text();
    shell.press("\x1b");
    EXPECT_EQ(shell.status(), 42) << shell.screen().text();
    EXPECT_FALSE(shell.screen().alternate_screen());
    EXPECT_TRUE(shell.screen().cursor_visible());
}

// A second of FLAC whose header then claims 2^36 - 1 samples, the most its 36-bit field
// holds: a few kilobytes that promise 128 GiB of samples.
void write_flac_claiming_too_much(const fs::path& path) {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    const std::vector<short> samples(44100);
    sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
    // "fLaC", a 4-byte block header, then STREAMINFO; its total-samples field is the low
    // nibble of byte 21 and bytes 22 to 25.
    std::fstream bytes(path, std::ios::in | std::ios::out | std::ios::binary);
    bytes.seekg(21);
    const auto byte_21 = static_cast<char>(bytes.get() | 0x0F);
    bytes.seekp(21);
    bytes.put(byte_21);
    const char all_ones[4] = {'\xff', '\xff', '\xff', '\xff'};
    bytes.write(all_ones, sizeof all_ones);
}

}  // namespace

TEST(show_run, closed_or_redirected_standard_streams_change_nothing) {
    for (const std::string redirection :
         {"2>&-", "<&- >&- 2>&-", ">/dev/null 2>/dev/null", "</dev/null", "2>&1 >&-"}) {
        SCOPED_TRACE(redirection);
        shell_session shell(show_directory);
        expect_show_runs_and_escape_ends_it(shell, "./textshow " + redirection);
    }
}

// Nothing in the show's data can hang it or bring it down: what cannot be used is named
// in one line once the terminal is back, and the show goes on without it.
TEST(show_run, data_files_that_cannot_be_used_are_named_and_the_show_goes_on) {
    struct bad_file {
        std::string name;
        std::function<void(const fs::path&)> make;
        std::string said;
    };
    const auto make_fifo = [](const fs::path& path) { ASSERT_EQ(mkfifo(path.c_str(), 0644), 0); };
    const auto make_folder = [](const fs::path& path) { fs::create_directory(path); };
    for (const bad_file& bad :
         {bad_file{soundtrack_file_name, make_fifo,
                   soundtrack_file_name + std::string(": is a FIFO, not a regular file")},
          bad_file{screen_a_file_name, make_fifo,
                   screen_a_file_name + std::string(": is a FIFO, not a regular file")},
          bad_file{soundtrack_file_name, make_folder,
                   soundtrack_file_name + std::string(": is a folder, not a regular file")},
          bad_file{screen_b_file_name,
                   [](const fs::path& path) { fs::create_symlink("/dev/zero", path); },
                   screen_b_file_name + std::string(": is a device, not a regular file")},
          bad_file{soundtrack_file_name, write_flac_claiming_too_much,
                   "claims 68719476735 sample frames"}}) {
        SCOPED_TRACE(bad.said);
        const fs::path folder =
            fs::temp_directory_path() / ("textshow-" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        bad.make(folder / bad.name);
        shell_session shell(folder.string(), 160, 25);
        expect_show_runs_and_escape_ends_it(shell, show_program);
        EXPECT_TRUE(shell.screen().shows(bad.said)) << shell.screen().text();
        fs::remove_all(folder);
    }
}
