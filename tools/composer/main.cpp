#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "tools/composer/ogg_writer.hpp"
#include "tools/composer/renderer.hpp"
#include "tools/composer/score.hpp"
#include "tools/composer/timing.hpp"
#include "tools/tool_arguments.hpp"

namespace {

constexpr const char* usage =
    "usage: soundtrack-composer OUTPUT.avi.txt\n"
    "Renders the show's soundtrack from its score and writes it as Ogg Vorbis.\n";

}  // namespace

// Renders the show's soundtrack to the file named on the command line.
int main(int argc, char** argv) {
    if (const int refused =
            take_file_arguments(argc, argv, 1, "soundtrack-composer", "one output file", usage);
        refused >= 0) {
        return refused;
    }
    const auto started = std::chrono::steady_clock::now();
    const rendering music = render_score(show_score());
    for (const std::string& problem : music.problems) {
        std::fprintf(stderr, "soundtrack-composer: the score: %s\n", problem.c_str());
    }
    if (!music.problems.empty()) {
        return 1;
    }
    const auto rendered = std::chrono::steady_clock::now();
    // Written under a temporary name and renamed when complete, so that a failed run never
    // leaves a truncated soundtrack that the build would take for up to date.
    const std::string target = argv[1];
    const std::string partial = target + ".part";
    const result<> written =
        write_ogg_vorbis(partial, music.samples, sample_rate, soundtrack_quality);
    std::error_code renaming;
    if (written) {
        std::filesystem::rename(partial, target, renaming);
    }
    if (!written || renaming) {
        std::fprintf(stderr, "soundtrack-composer: cannot write %s: %s\n", target.c_str(),
                     written ? renaming.message().c_str() : written.error().c_str());
        std::filesystem::remove(partial, renaming);
        return 1;
    }
    const std::chrono::duration<double> rendering_time = rendered - started;
    const std::chrono::duration<double> encoding_time = std::chrono::steady_clock::now() - rendered;
    std::printf("soundtrack: %.1f s of music, rendered in %.2f s, encoded in %.2f s to %s\n",
                seconds_from_samples(static_cast<std::int64_t>(music.samples.size())),
                rendering_time.count(), encoding_time.count(), target.c_str());
    return 0;
}
