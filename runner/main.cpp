#include "platform/process.hpp"
#include "runner/show_run.hpp"
#include "composition/show_composition.hpp"

int main() {
    // The show is built before anything touches the terminal, as it always has been:
    // the screens are read and the timeline filled before the entry routine runs.
    show_compose();
    exit_process(show_entry());
}
