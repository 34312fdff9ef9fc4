#include <cstdio>
#include <cstring>

#include "composition/show_composition.hpp"
#include "platform/process.hpp"
#include "runner/show_run.hpp"

namespace {

constexpr const char* usage =
    "usage: textshow\n"
    "Plays the show in this terminal, with its music: about 83 seconds.\n"
    "Escape ends it at once (exit 42), Ctrl+C ends it in order (exit 0), and at its last\n"
    "scene it ends by itself (exit 23). Ctrl+Z suspends it as any program.\n";

}  // namespace

int main(int argc, char** argv) {
    report_as("textshow");
    // The show has no options; only a request for help is answered, and anything else is
    // refused before the terminal is touched.
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (argc > 1) {
        std::fprintf(stderr, "textshow: unknown argument %s; the show takes no arguments\n%s",
                     argv[1], usage);
        return 2;
    }
    // The show is built before anything touches the terminal, as it always has been:
    // the screens are read and the timeline filled before the entry routine runs.
    show_compose();
    exit_process(show_entry());
}
