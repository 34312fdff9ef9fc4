#include "sound/sound_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
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
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return failure(std::strerror(errno != 0 ? errno : ENOENT));
    }
    // Read in one go: a character at a time takes a good part of a second in a page.
    in.seekg(0, std::ios::end);
    std::vector<unsigned char> file(
        static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)));
    in.seekg(0, std::ios::beg);
    in.read(reinterpret_cast<char*>(file.data()), static_cast<std::streamsize>(file.size()));
    if (!in) {
        return failure(std::strerror(errno != 0 ? errno : EIO));
    }
    return file;
}
