#include "platform/file_kind.hpp"

#include <sys/stat.h>

std::string not_a_regular_file(const char* path) {
    struct stat status {};
    // stat, not open: opening a FIFO for reading waits for a writer.
    if (stat(path, &status) != 0 || S_ISREG(status.st_mode)) {
        return {};
    }
    const char* kind = S_ISDIR(status.st_mode)                              ? "a folder"
                       : S_ISFIFO(status.st_mode)                           ? "a FIFO"
                       : S_ISSOCK(status.st_mode)                           ? "a socket"
                       : S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode) ? "a device"
                                                                            : "something else";
    return std::string("is ") + kind + ", not a regular file";
}
