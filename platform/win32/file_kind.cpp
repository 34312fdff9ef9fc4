#include "platform/file_kind.hpp"

#include <filesystem>
#include <string>
#include <system_error>

result<> check_regular_file(const char* path) {
    std::error_code failed;
    // The status alone, without opening: opening a pipe or a device can wait.
    const std::filesystem::file_status status = std::filesystem::status(path, failed);
    if (failed || std::filesystem::is_regular_file(status)) {
        return {};
    }
    const char* kind =
        std::filesystem::is_directory(status) ? "a folder"
        : std::filesystem::is_fifo(status)    ? "a pipe"
        : std::filesystem::is_character_file(status) || std::filesystem::is_block_file(status)
            ? "a device"
            : "something else";
    return failure(std::string("is ") + kind + ", not a regular file");
}
