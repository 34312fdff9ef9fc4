#include "platform/data_files.hpp"

#include <system_error>

std::filesystem::path program_folder() {
    std::error_code failed;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", failed);
    return failed ? std::filesystem::path() : exe.parent_path();
}
