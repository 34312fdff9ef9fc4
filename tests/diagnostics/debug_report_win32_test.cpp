#include "diagnostics/debug_report.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace {

const char* const log_path = "C:\\debugansi.log";

std::string read_log() {
    std::ifstream file(log_path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

// The reports run in a child process, because the log stays open for the life of the
// process, as it does in the show. A file opened in text mode would turn each line end
// into CR CR LF; one opened without appending would overwrite the earlier run.
TEST(debug_report_win32, appends_dated_crlf_lines_to_the_log_at_the_root_of_drive_c) {
    std::remove(log_path);
    std::ofstream(log_path, std::ios::binary) << "earlier run";
    EXPECT_EXIT(
        {
            debug_report(1, ".\\asciigui\\ag_raw", 136, "");
            debug_report(1, ".\\asciigui\\ag_raw", 152, "");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    const std::string stamp = "[0-9][0-9]/[0-9][0-9]/[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9] ";
    const std::string text = read_log();
    std::remove(log_path);
    EXPECT_TRUE(
        std::regex_match(text, std::regex("earlier run\r\n" + stamp + "\r\n" + stamp + "\r\n")))
        << text;
}
