// Every program of ours explains itself on --help and refuses what it does not take with
// a word on what it expected, before it touches the terminal or any file.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

struct outcome {
    int exit_code = -1;
    std::string out;
    std::string err;
};

std::string slurp(const std::string& path) {
    std::string text;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        for (int c; (c = std::fgetc(file)) != EOF;) {
            text += static_cast<char>(c);
        }
        std::fclose(file);
    }
    return text;
}

outcome run(const std::string& program, const std::string& argument) {
    const std::string base =
        std::filesystem::temp_directory_path() / ("textshow-programs-" + std::to_string(getpid()));
    const std::string command = std::string(TEXTSHOW_BINARY_DIR "/bin/") + program + " " +
                                argument + " </dev/null >" + base + ".out 2>" + base + ".err";
    const int status = std::system(command.c_str());
    outcome result;
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = slurp(base + ".out");
    result.err = slurp(base + ".err");
    std::filesystem::remove(base + ".out");
    std::filesystem::remove(base + ".err");
    return result;
}

}  // namespace

TEST(programs, answer_help_and_refuse_an_unknown_argument_saying_what_they_take) {
    for (const char* program :
         {"textshow", "show-frames", "post-filter", "screen-convert", "soundtrack-composer"}) {
        SCOPED_TRACE(program);
        const outcome help = run(program, "--help");
        EXPECT_EQ(help.exit_code, 0);
        EXPECT_TRUE(help.out.starts_with(std::string("usage: ") + program)) << help.out;
        EXPECT_EQ(help.err, "");

        const outcome bad = run(program, "--no-such-option x y z");
        EXPECT_EQ(bad.exit_code, 2);
        EXPECT_TRUE(bad.err.starts_with(std::string(program) + ": ")) << bad.err;
        EXPECT_NE(bad.err.find("usage: "), std::string::npos) << bad.err;
        EXPECT_EQ(bad.out, "");
    }
}
