#include "platform/data_files.hpp"

#include <windows.h>

#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path program_folder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return std::filesystem::path(path).parent_path();
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
    // The Windows package keeps the data files beside the program; the installed layout
    // of the POSIX build (bin/../share/textshow) is looked at too, so that a tree made by
    // `cmake --install` plays as well.
    for (const std::filesystem::path& candidate :
         {folder / name, folder / TEXTSHOW_DATA_FROM_PROGRAM / name}) {
        if (is_there(candidate)) {
            return candidate.lexically_normal().string();
        }
    }
    return name;
}
