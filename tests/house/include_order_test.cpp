// The house's folders depend on each other in one direction only: a file may include
// from its own folder and from folders below it, never from one above. A line that needs
// to reach up belongs in another room. And each folder's targets link exactly the folders
// whose headers its files include: a link nothing needs hides a dependency the code does
// not have, a missing one works only while another target brings it along.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// From the bottom up; the README draws the same order.
const std::vector<std::string> house_order = {
    "base",  "terminal", "platform", "diagnostics", "show",  "picture", "effects", "composition",
    "sound", "asciigui", "runner",   "web",         "tools", "support", "bench",   "tests",
};

// Each system's own files: only their own folder (and the tests and benchmarks that look
// at them) may include them, or the code that does would not build for another system.
const std::regex system_folder_include(R"(^\s*#\s*include\s*"([A-Za-z0-9_]+)/(posix|win32|web)/)");

int rank_of(const std::string& folder) {
    const auto found = std::find(house_order.begin(), house_order.end(), folder);
    return found == house_order.end() ? -1 : static_cast<int>(found - house_order.begin());
}

struct upward_include {
    std::string file;
    std::string line;
};

std::vector<upward_include> upward_includes(const std::filesystem::path& root) {
    const std::regex include_line(R"(^\s*#\s*include\s*"([A-Za-z0-9_]+)/)");
    std::vector<upward_include> found;
    for (const std::string& folder : house_order) {
        const std::filesystem::path base = root / folder;
        if (!std::filesystem::is_directory(base)) {
            continue;
        }
        for (const auto& entry : std::filesystem::recursive_directory_iterator(base)) {
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".hpp")) {
                continue;
            }
            std::ifstream source(entry.path());
            for (std::string line; std::getline(source, line);) {
                std::smatch match;
                if ((std::regex_search(line, match, include_line) &&
                     rank_of(match[1]) > rank_of(folder)) ||
                    (std::regex_search(line, match, system_folder_include) && match[1] != folder &&
                     folder != "tests" && folder != "bench")) {
                    found.push_back({std::filesystem::relative(entry.path(), root), line});
                }
            }
        }
    }
    return found;
}

using folder_sets = std::map<std::string, std::set<std::string>>;

// The folders the build's house targets link, folder by folder, as the build wrote them
// ("folder: linked folders", a line a target).
folder_sets linked_folders(const std::string& path) {
    folder_sets links;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        std::istringstream words(line);
        std::string folder;
        words >> folder;
        if (folder.empty() || folder.back() != ':') {
            continue;
        }
        folder.pop_back();
        std::set<std::string>& linked = links[folder];
        for (std::string other; words >> other;) {
            linked.insert(other);
        }
    }
    return links;
}

// The folder of `links` a path lies in: the longest one that holds it, or "" for none.
std::string owning_folder(const std::string& path, const folder_sets& links) {
    std::string best;
    for (const auto& [folder, linked] : links) {
        if (path.starts_with(folder + "/") && folder.size() > best.size()) {
            best = folder;
        }
    }
    return best;
}

// The other folders of `links` whose headers the files of each folder include.
folder_sets included_folders(const std::filesystem::path& root, const folder_sets& links) {
    const std::regex include_line(R"re(^\s*#\s*include\s*"([^"]+)")re");
    folder_sets included;
    for (const auto& [folder, linked] : links) {
        included[folder];
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
            const std::string extension = entry.path().extension().string();
            const std::string file = std::filesystem::relative(entry.path(), root).string();
            if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".hpp") ||
                owning_folder(file, links) != folder) {
                continue;
            }
            std::ifstream source(entry.path());
            for (std::string line; std::getline(source, line);) {
                std::smatch match;
                if (std::regex_search(line, match, include_line)) {
                    const std::string other = owning_folder(match[1], links);
                    if (!other.empty() && other != folder) {
                        included[folder].insert(other);
                    }
                }
            }
        }
    }
    return included;
}

}  // namespace

TEST(house, every_folder_links_exactly_the_folders_it_includes) {
    const folder_sets links = linked_folders(TEXTSHOW_HOUSE_LINKS);
    ASSERT_FALSE(links.empty()) << "the build wrote no links to " << TEXTSHOW_HOUSE_LINKS;
    const folder_sets included = included_folders(TEXTSHOW_SOURCE_DIR, links);
    for (const auto& [folder, linked] : links) {
        const std::set<std::string>& needed = included.at(folder);
        for (const std::string& other : linked) {
            if (other != folder && !needed.contains(other)) {
                ADD_FAILURE() << folder << " links " << other
                              << " but includes none of its headers";
            }
        }
        for (const std::string& other : needed) {
            if (!linked.contains(other)) {
                ADD_FAILURE() << folder << " includes " << other << "/ but does not link it";
            }
        }
    }
}

TEST(house, every_include_points_down_the_order_of_the_folders) {
    const std::filesystem::path root = TEXTSHOW_SOURCE_DIR;
    for (const std::string& folder : house_order) {
        EXPECT_TRUE(std::filesystem::is_directory(root / folder))
            << folder << " is in the order but not in the tree";
    }
    for (const upward_include& include : upward_includes(root)) {
        ADD_FAILURE() << include.file << " reaches up: " << include.line;
    }
}

TEST(house, a_folder_missing_from_the_order_is_noticed) {
    // A new folder must be placed in the order before its includes can be judged.
    const std::filesystem::path root = TEXTSHOW_SOURCE_DIR;
    for (const auto& entry : std::filesystem::directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_directory() || name.starts_with(".") || name.starts_with("build")) {
            continue;
        }
        const bool holds_code = std::any_of(
            std::filesystem::recursive_directory_iterator(entry.path()),
            std::filesystem::recursive_directory_iterator(), [](const auto& file) {
                return file.path().extension() == ".cpp" || file.path().extension() == ".hpp";
            });
        if (holds_code) {
            EXPECT_GE(rank_of(name), 0) << name << "/ holds code but has no place in the order";
        }
    }
}
