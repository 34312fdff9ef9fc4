#include "platform/data_files.hpp"

#include <system_error>

namespace {

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
