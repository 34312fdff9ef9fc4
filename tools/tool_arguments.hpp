#pragma once

#include <cstdio>
#include <cstring>

// The arguments of a tool that takes file names alone: "--help" prints the usage and ends
// the tool with 0; another count than `files`, or a name that starts like an option, is
// refused with the tool's name, what it expected and the usage, and ends it with 2.
// Returns that exit code, or -1 when the tool goes on with argv[1] to argv[files].
inline int take_file_arguments(int argc, char** argv, int files, const char* program,
                               const char* expected, const char* usage) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(usage, stdout);
        return 0;
    }
    bool refused = argc != files + 1;
    for (int i = 1; i < argc && !refused; ++i) {
        refused = argv[i][0] == '-';
    }
    if (refused) {
        std::fprintf(stderr, "%s: expected %s\n%s", program, expected, usage);
        return 2;
    }
    return -1;
}
