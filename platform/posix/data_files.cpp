#include "platform/data_files.hpp"

#include <unistd.h>
#include <filesystem>
#include <system_error>

namespace {

// The program's own folder, found through the kernel rather than argv[0], which a
// shell's PATH search leaves without a folder.
std::filesystem::path program_folder() {
    std::error_code failed;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", failed);
    return failed ? std::filesystem::path() : exe.parent_path();
}

bool is_there(const std::filesystem::path& path) {
    std::error_code failed;
    return std::filesystem::exists(path, failed);
}

}  // namespace

std::string data_file_path(const char* name) {
    if (is_there(name)) {
        return name;
    }
    const std::filesystem::path folder = program_folder();
    if (folder.empty()) {
        return name;
    }
    for (const std::filesystem::path& candidate :
         {folder / name, folder / TEXTSHOW_DATA_FROM_PROGRAM / name}) {
        if (is_there(candidate)) {
            return candidate.lexically_normal().string();
        }
    }
    return name;
}
