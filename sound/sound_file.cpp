#include "sound/sound_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/file_kind.hpp"

result<std::unique_ptr<sound_file>> sound_file::open(const char* path) {
    // A FIFO, a pipe or a device could keep the open or a read waiting for ever.
    if (result<> regular = check_regular_file(path); !regular) {
        return failure(std::move(regular).error());
    }
    return open_regular(path);
}

result<std::vector<unsigned char>> sound_file::read_whole(const char* path) {
    // The C library's own file calls, not the stream classes: those would bring their
    // locale machinery into the page's program, a good part of what the page downloads.
    std::FILE* in = std::fopen(path, "rb");
    if (in == nullptr) {
        return failure(std::strerror(errno != 0 ? errno : ENOENT));
    }
    // Read in one go: a character at a time takes a good part of a second in a page.
    std::fseek(in, 0, SEEK_END);
    std::vector<unsigned char> file(static_cast<std::size_t>(std::max(std::ftell(in), 0L)));
    std::fseek(in, 0, SEEK_SET);
    const std::size_t read = std::fread(file.data(), 1, file.size(), in);
    const bool failed = std::ferror(in) != 0 || read != file.size();
    std::fclose(in);
    if (failed) {
        return failure(std::strerror(errno != 0 ? errno : EIO));
    }
    return file;
}
