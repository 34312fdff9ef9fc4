// Every program of ours explains itself on --help and refuses what it does not take with
// a word on what it expected, before it touches the terminal or any file; and what the
// libraries report for a program reaches the user under that program's own name.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <filesystem>
#include <string>

#include "base/data_file_names.hpp"

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

// Runs `program_path` with `argument` in `folder` (the build's programs folder unless
// told otherwise).
outcome run(const std::string& program_path, const std::string& argument,
            const std::string& folder = TEXTSHOW_BINARY_DIR "/bin") {
    const std::string base =
        std::filesystem::temp_directory_path() / ("textshow-programs-" + std::to_string(getpid()));
    const std::string command = "cd " + folder + " && " + program_path + " " + argument +
                                " </dev/null >" + base + ".out 2>" + base + ".err";
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
        const std::string path = std::string("./") + program;
        const outcome help = run(path, "--help");
        EXPECT_EQ(help.exit_code, 0);
        EXPECT_TRUE(help.out.starts_with(std::string("usage: ") + program)) << help.out;
        EXPECT_EQ(help.err, "");

        const outcome bad = run(path, "--no-such-option x y z");
        EXPECT_EQ(bad.exit_code, 2);
        EXPECT_TRUE(bad.err.starts_with(std::string(program) + ": ")) << bad.err;
        EXPECT_NE(bad.err.find("usage: "), std::string::npos) << bad.err;
        EXPECT_EQ(bad.out, "");
    }
}

// A copy of a renderer alone in a folder finds neither screen: the line the effects report
// reaches the user under the name of the program that was run, whichever it is.
TEST(programs, name_themselves_in_front_of_what_their_libraries_report) {
    char made[] = "/tmp/textshow-programs-alone-XXXXXX";
    ASSERT_NE(mkdtemp(made), nullptr);
    const std::string alone = made;
    struct renderer {
        const char* program;
        const char* argument;
    };
    for (const renderer& each : {renderer{"show-frames", "--ticks 0 --out frames"},
                                 renderer{"show-export", "--cast --fps 1 show.cast"}}) {
        SCOPED_TRACE(each.program);
        const std::filesystem::path built =
            std::filesystem::path(TEXTSHOW_BINARY_DIR "/bin") / each.program;
        if (!std::filesystem::exists(built)) {
            continue;  // show-export is left out of builds without FFmpeg
        }
        std::filesystem::copy_file(built, alone + "/" + each.program,
                                   std::filesystem::copy_options::overwrite_existing);
        const outcome said = run(std::string("./") + each.program, each.argument, alone);
        for (const char* screen : {screen_a_file_name, screen_b_file_name}) {
            const std::string line =
                std::string(each.program) + ": " + screen + ": No such file or directory\n";
            EXPECT_NE(said.err.find(line), std::string::npos) << said.err;
        }
        EXPECT_EQ(said.err.find("textshow:"), std::string::npos) << said.err;
    }
    std::filesystem::remove_all(alone);
}
