#include "diagnostics/debug_report.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace {

// Each case runs in a child process, because the log stays open for the life of the
// process, as it does in the show.
std::string fresh_state_directory() {
    char pattern[] = "/tmp/textshow-log-XXXXXX";
    const char* made = mkdtemp(pattern);
    EXPECT_NE(made, nullptr);
    return made != nullptr ? made : "";
}

std::string read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

const std::string stamp = "[0-9][0-9]/[0-9][0-9]/[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9] ";

}  // namespace

TEST(debug_report, writes_dated_lines_with_crlf_after_a_fresh_line) {
    const std::string directory = fresh_state_directory();
    const std::string log = directory + "/debugansi.log";
    std::ofstream(log, std::ios::binary) << "earlier run";
    chmod(log.c_str(), 0600);
    EXPECT_EXIT(
        {
            setenv("XDG_STATE_HOME", directory.c_str(), 1);
            debug_report(1, ".\\asciigui\\ag_raw", 136, "");
            debug_report(1, ".\\asciigui\\ag_raw", 152, "");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), (stamp + "\n" + stamp + "\n").c_str());
    const std::string text = read_file(log);
    EXPECT_TRUE(
        std::regex_match(text, std::regex("earlier run\r\n" + stamp + "\r\n" + stamp + "\r\n")))
        << text;
}

TEST(debug_report, dates_a_line_month_day_year_then_the_time_and_cuts_it) {
    const local_time date{2026, 11, 30, 23, 59, 58};
    const local_time time{2026, 12, 1, 7, 8, 9};
    EXPECT_EQ(debug_report_line(date, time, "lock"), "11/30/26 07:08:09 lock");
    const std::string cut = debug_report_line(date, time, std::string(2000, 'x').c_str());
    EXPECT_EQ(cut.size(), 1023U);
}

TEST(debug_report, without_xdg_state_home_logs_in_local_state_made_for_the_user_alone) {
    const std::string home = fresh_state_directory();
    const std::string state = home + "/.local/state";
    EXPECT_EXIT(
        {
            setenv("HOME", home.c_str(), 1);
            unsetenv("XDG_STATE_HOME");
            debug_report(1, "", 0, "said");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "said");
    struct stat info {};
    for (const std::string& folder : {home + "/.local", state}) {
        ASSERT_EQ(stat(folder.c_str(), &info), 0) << folder;
        EXPECT_EQ(info.st_mode & 0777, 0700U) << folder;
    }
    ASSERT_EQ(stat((state + "/debugansi.log").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600U);
    EXPECT_TRUE(std::regex_match(read_file(state + "/debugansi.log"),
                                 std::regex("\r\n" + stamp + "said\r\n")));
}

TEST(debug_report, refuses_a_symbolic_link_in_place_of_the_log_and_still_reports) {
    const std::string directory = fresh_state_directory();
    const std::string victim = directory + "/victim";
    { std::ofstream(victim) << ""; }
    ASSERT_EQ(symlink(victim.c_str(), (directory + "/debugansi.log").c_str()), 0);
    EXPECT_EXIT(
        {
            setenv("XDG_STATE_HOME", directory.c_str(), 1);
            debug_report(1, "", 0, "still said");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "still said");
    EXPECT_EQ(read_file(victim), "");
}
