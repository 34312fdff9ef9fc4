#include "platform/exit_line.hpp"

#include "platform/process.hpp"

namespace {

// Set once by the program's main, before anything can report.
const char* program_name = nullptr;

}  // namespace

void report_as(const char* name) {
    program_name = name;
}

std::string exit_line(std::string_view line) {
    std::string text;
    if (program_name != nullptr) {
        text += program_name;
        text += ": ";
    }
    text.append(line);
    text += '\n';
    return text;
}
