#include "platform/file_kind.hpp"

#include <sys/stat.h>

#include <string>

result<> check_regular_file(const char* path) {
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
    return failure(std::string("is ") + kind + ", not a regular file");
}
