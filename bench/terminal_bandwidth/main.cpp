// Bytes the console layer writes per frame over the whole show at 60 frames per second,
// side by side with ncursesw on a pseudo-terminal and with a writer that repaints every
// cell, and the time our encoder takes per frame. The show is rendered once into memory;
// every writer then draws the same frames, run after run, and the report gives the
// median of each figure over the runs. The first run also feeds every writer's bytes to
// libvterm and checks each frame cell for cell, so no writer wins by drawing wrong.
//
// --kinds sorts the bytes by what they do (cursor moves, colours, glyphs, ...), per writer
// and, with --scenes, per timeline row for our encoder.
//
//   bench-terminal-bandwidth [--runs N] [--scenes] [--kinds] [--no-verify]

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "asciigui/ag_console.hpp"
#include "bench/terminal_bandwidth/byte_kinds.hpp"
#include "bench/terminal_bandwidth/ncurses_writer.hpp"
#include "composition/show_composition.hpp"
#include "show/effect.hpp"
#include "show/screen_buffer.hpp"
#include "show/show_ticks.hpp"
#include "show/timeline.hpp"
#include "support/show_screens_present.hpp"
#include "support/vterm_screen.hpp"
#include "terminal/cp437.hpp"
#include "terminal/escape_bytes.hpp"
#include "terminal/frame_encoder.hpp"

namespace {

constexpr int cols = screen_cols;
constexpr int rows = screen_rows;

struct show_frames {
    std::vector<std::vector<char_info>> pictures;
    std::vector<int> scene_rows;  // the timeline row each frame shows
};

// The frame loop's pictures at 60 frames per second, up to the row that ends the show.
// A scheduler of our own picks the rows exactly as the show's does, so the end row can be
// recognised before it ends the process.
show_frames render_show() {
    show_compose();
    timeline_scheduler scheduler(show_timeline);
    static screen_buffer buffer{};
    show_frames frames;
    for (std::int64_t k = 0;; ++k) {
        const std::int32_t t = show_frame_tick(k, 60);
        const timeline_entry& row = scheduler.select(t);
        if (dynamic_cast<end_effect*>(row.scene) != nullptr) {
            break;
        }
        if (row.scene != nullptr) {
            render_child(*row.scene, t, buffer);
        }
        std::vector<char_info> picture(screen_cells);
        ag_picture_cells(buffer, picture.data());
        frames.pictures.push_back(std::move(picture));
        frames.scene_rows.push_back(scheduler.current_index());
    }
    return frames;
}

// Every cell, every frame: a cursor move at the start of each row, then each cell's
// colours and glyph.
void encode_naive(const char_info* picture, std::string& out) {
    char utf8[4];
    for (int y = 0; y < rows; ++y) {
        out += "\x1b[";
        out += std::to_string(y + 1);
        out += ";1H";
        for (int x = 0; x < cols; ++x) {
            const char_info& cell = picture[y * cols + x];
            out += "\x1b[";
            out += sgr_for_attribute(static_cast<std::uint8_t>(cell.attributes));
            out += 'm';
            out.append(utf8,
                       encode_utf8(cp437_code_point(static_cast<std::uint8_t>(cell.ch)), utf8));
        }
    }
}

// libvterm as the terminal: counts the frames whose cells differ from the picture.
class emulator_check {
  public:
    emulator_check() : screen_(cols, rows) {}

    void feed(const std::string& bytes, const char_info* picture) {
        screen_.feed(bytes);
        int wrong = 0;
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < cols; ++x) {
                const char_info& want = picture[y * cols + x];
                const auto attribute = static_cast<std::uint8_t>(want.attributes);
                const auto got = screen_.at(x, y);
                if (got.glyph != cp437_code_point(static_cast<std::uint8_t>(want.ch)) ||
                    got.fg != palette_index_of(attribute & 15) ||
                    got.bg != palette_index_of(attribute >> 4)) {
                    ++wrong;
                }
            }
        }
        wrong_cells_ += wrong;
        wrong_frames_ += wrong > 0 ? 1 : 0;
    }

    long wrong_frames() const { return wrong_frames_; }
    long wrong_cells() const { return wrong_cells_; }

  private:
    vterm_screen screen_;
    long wrong_frames_ = 0;
    long wrong_cells_ = 0;
};

struct frame_figures {
    std::vector<std::size_t> bytes;
    std::vector<double> encode_us;
};

struct summary {
    double mean = 0;
    double p95 = 0;
    double max = 0;
    double encode_us = 0;
};

summary summarise(const frame_figures& figures) {
    summary s;
    std::vector<std::size_t> sorted = figures.bytes;
    std::sort(sorted.begin(), sorted.end());
    double total = 0;
    for (const std::size_t b : sorted) {
        total += static_cast<double>(b);
    }
    s.mean = total / static_cast<double>(sorted.size());
    // Nearest rank: the smallest value that at least 95 % of the frames stay at or below.
    const std::size_t rank = (sorted.size() * 95 + 99) / 100;
    s.p95 = static_cast<double>(sorted[std::max<std::size_t>(rank, 1) - 1]);
    s.max = static_cast<double>(sorted.back());
    double time = 0;
    for (const double us : figures.encode_us) {
        time += us;
    }
    s.encode_us = time / static_cast<double>(figures.encode_us.size());
    return s;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double microseconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
        .count();
}

enum writer_index { ours = 0, ncurses = 1, naive = 2, writer_count = 3 };
constexpr const char* writer_names[writer_count] = {"ours (frame_encoder)", "ncursesw 6.4",
                                                    "naive repaint"};

struct run_result {
    frame_figures writers[writer_count];
};

struct check_result {
    long wrong_frames[writer_count] = {};
    long wrong_cells[writer_count] = {};
    byte_kind_totals kinds[writer_count];
    std::vector<byte_kind_totals> our_kinds_by_row;
};

bool run_once(const show_frames& frames, bool verify, run_result& result, check_result& check,
              std::string& ncurses_note) {
    const std::size_t count = frames.pictures.size();
    for (auto& writer : result.writers) {
        writer.bytes.reserve(count);
        writer.encode_us.reserve(count);
    }
    std::string out;
    out.reserve(1 << 17);

    {
        frame_encoder encoder;
        encoder.set_terminal_size(cols, rows);
        emulator_check emulator;
        std::size_t frame = 0;
        for (const auto& picture : frames.pictures) {
            out.clear();
            const auto start = std::chrono::steady_clock::now();
            encoder.encode(picture.data(), cols, rows, out);
            result.writers[ours].encode_us.push_back(microseconds_since(start));
            result.writers[ours].bytes.push_back(out.size());
            if (verify) {
                emulator.feed(out, picture.data());
                check.kinds[ours].add(out);
                const auto row = static_cast<std::size_t>(frames.scene_rows[frame]);
                check.our_kinds_by_row.resize(std::max(check.our_kinds_by_row.size(), row + 1));
                check.our_kinds_by_row[row].add(out);
            }
            ++frame;
        }
        check.wrong_frames[ours] = emulator.wrong_frames();
        check.wrong_cells[ours] = emulator.wrong_cells();
    }
    {
        emulator_check emulator;
        for (const auto& picture : frames.pictures) {
            out.clear();
            const auto start = std::chrono::steady_clock::now();
            encode_naive(picture.data(), out);
            result.writers[naive].encode_us.push_back(microseconds_since(start));
            result.writers[naive].bytes.push_back(out.size());
            if (verify) {
                emulator.feed(out, picture.data());
                check.kinds[naive].add(out);
            }
        }
        check.wrong_frames[naive] = emulator.wrong_frames();
        check.wrong_cells[naive] = emulator.wrong_cells();
    }
    {
        auto opened = ncurses_writer::open(cols, rows);
        if (!opened) {
            std::fprintf(stderr, "bench-terminal-bandwidth: ncurses: %s\n", opened.error().c_str());
            return false;
        }
        ncurses_writer& writer = **opened;
        ncurses_note = writer.colour_note() + "; " + std::to_string(writer.setup_bytes()) +
                       " bytes before the first frame, not counted";
        emulator_check emulator;
        for (const auto& picture : frames.pictures) {
            out.clear();
            const auto start = std::chrono::steady_clock::now();
            const std::size_t bytes = writer.draw(picture.data(), verify ? &out : nullptr);
            // Includes the writes to the pseudo-terminal and the hand-over from the
            // thread that reads them, so it is not comparable with an encoder's time.
            result.writers[ncurses].encode_us.push_back(microseconds_since(start));
            result.writers[ncurses].bytes.push_back(bytes);
            if (verify) {
                emulator.feed(out, picture.data());
                check.kinds[ncurses].add(out);
            }
        }
        check.wrong_frames[ncurses] = emulator.wrong_frames();
        check.wrong_cells[ncurses] = emulator.wrong_cells();
    }
    return true;
}

// Mean bytes per frame of each kind, for each writer and, with scenes, for each of our
// timeline rows.
void print_kinds(const check_result& check, const show_frames& frames, std::size_t count,
                 bool scenes) {
    const auto print_header = [](const char* first) {
        std::printf("%-22s", first);
        for (int k = 0; k < byte_kind_count; ++k) {
            std::printf(" %8s", byte_kind_name(static_cast<byte_kind>(k)));
        }
        std::printf("\n");
    };
    const auto print_totals = [](const byte_kind_totals& totals, double frames_in) {
        for (const std::size_t bytes : totals.bytes) {
            std::printf(" %8.1f", static_cast<double>(bytes) / frames_in);
        }
        std::printf("\n");
    };
    std::printf("\nmean bytes per frame by kind (run 1)\n");
    print_header("writer");
    for (int w = 0; w < writer_count; ++w) {
        std::printf("%-22s", writer_names[w]);
        print_totals(check.kinds[w], static_cast<double>(count));
    }
    if (!scenes) {
        return;
    }
    std::printf("\nours, mean bytes per frame by kind and timeline row (run 1)\n");
    print_header("row");
    for (std::size_t row = 0; row < check.our_kinds_by_row.size(); ++row) {
        const auto n =
            std::count(frames.scene_rows.begin(), frames.scene_rows.end(), static_cast<int>(row));
        if (n > 0) {
            std::printf("%-22zu", row);
            print_totals(check.our_kinds_by_row[row], static_cast<double>(n));
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    bool scenes = false;
    bool kinds = false;
    bool verify = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--scenes") == 0) {
            scenes = true;
        } else if (std::strcmp(argv[i], "--kinds") == 0) {
            kinds = true;
        } else if (std::strcmp(argv[i], "--no-verify") == 0) {
            verify = false;
        } else {
            const bool help = std::strcmp(argv[i], "--help") == 0;
            if (!help) {
                std::fprintf(stderr, "bench-terminal-bandwidth: unknown argument %s\n", argv[i]);
            }
            std::fputs(
                "usage: bench-terminal-bandwidth [--runs N] [--scenes] [--kinds] [--no-verify]\n",
                help ? stdout : stderr);
            return help ? 0 : 2;
        }
    }
    // ncurses sends UTF-8 only under a UTF-8 locale.
    if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) {
        std::fprintf(stderr, "bench-terminal-bandwidth: no C.UTF-8 locale\n");
        return 1;
    }
    if (!show_screens_present("bench-terminal-bandwidth")) {
        return 1;
    }
    const show_frames frames = render_show();
    const std::size_t count = frames.pictures.size();

    std::vector<run_result> results(static_cast<std::size_t>(runs));
    check_result check;
    std::string ncurses_note;
    for (int run = 0; run < runs; ++run) {
        check_result this_check;
        if (!run_once(frames, verify && run == 0, results[static_cast<std::size_t>(run)],
                      this_check, ncurses_note)) {
            return 1;
        }
        if (run == 0) {
            check = this_check;
        }
    }

    std::printf(
        "terminal bandwidth: the whole show, %zu frames at 60 fps (tick k*22050/60), "
        "%dx%d terminal; medians of %d runs\n",
        count, cols, rows, runs);
    std::printf("ncurses: newterm(\"xterm-256color\") on a pseudo-terminal; %s\n\n",
                ncurses_note.c_str());
    std::printf("%-22s %12s %12s %12s %14s\n", "writer", "mean B/frame", "p95 B/frame",
                "max B/frame", "us/frame");
    summary medians[writer_count];
    for (int w = 0; w < writer_count; ++w) {
        std::vector<double> mean, p95, max, us;
        for (const auto& result : results) {
            const summary s = summarise(result.writers[w]);
            mean.push_back(s.mean);
            p95.push_back(s.p95);
            max.push_back(s.max);
            us.push_back(s.encode_us);
        }
        medians[w] = {median(mean), median(p95), median(max), median(us)};
        std::printf("%-22s %12.1f %12.0f %12.0f %14.2f%s\n", writer_names[w], medians[w].mean,
                    medians[w].p95, medians[w].max, medians[w].encode_us,
                    w == ncurses ? " (update incl. pty write)" : "");
    }
    std::vector<double> to_ncurses, to_naive;
    for (const auto& result : results) {
        const double ours_mean = summarise(result.writers[ours]).mean;
        to_ncurses.push_back(ours_mean / summarise(result.writers[ncurses]).mean);
        to_naive.push_back(ours_mean / summarise(result.writers[naive]).mean);
    }
    std::printf("\nmean bytes, ours / ncursesw: %.3f   ours / naive: %.3f\n", median(to_ncurses),
                median(to_naive));
    // A show that paces itself by the terminal's answers asks for one (CSI 5 n, four
    // bytes) after every frame it sends; ncurses sends no such thing.
    constexpr double status_request_bytes = 4;
    std::printf(
        "with a status request after each frame: ours %.1f B/frame, ours / ncursesw: %.3f\n",
        medians[ours].mean + status_request_bytes,
        (medians[ours].mean + status_request_bytes) / medians[ncurses].mean);
    std::printf("total bytes over the show: ours %.0f, ncursesw %.0f, naive %.0f\n",
                medians[ours].mean * static_cast<double>(count),
                medians[ncurses].mean * static_cast<double>(count),
                medians[naive].mean * static_cast<double>(count));
    if (verify) {
        std::printf("libvterm check, every frame of run 1:");
        for (int w = 0; w < writer_count; ++w) {
            std::printf("  %s %ld wrong frames (%ld cells)%s",
                        w == ours      ? "ours"
                        : w == ncurses ? "ncursesw"
                                       : "naive",
                        check.wrong_frames[w], check.wrong_cells[w],
                        w + 1 < writer_count ? "," : "\n");
        }
    }

    if (kinds && verify) {
        print_kinds(check, frames, count, scenes);
    }
    if (scenes) {
        const run_result& last = results.back();
        std::printf("\nmean bytes per frame by timeline row (last run)\n");
        std::printf("%4s %7s %12s %12s %12s %8s\n", "row", "frames", "ours", "ncursesw", "naive",
                    "ours/nc");
        const int last_row = *std::max_element(frames.scene_rows.begin(), frames.scene_rows.end());
        for (int row = 0; row <= last_row; ++row) {
            double sums[writer_count] = {};
            long n = 0;
            for (std::size_t f = 0; f < count; ++f) {
                if (frames.scene_rows[f] == row) {
                    ++n;
                    for (int w = 0; w < writer_count; ++w) {
                        sums[w] += static_cast<double>(last.writers[w].bytes[f]);
                    }
                }
            }
            if (n == 0) {
                continue;
            }
            std::printf("%4d %7ld %12.1f %12.1f %12.1f %8.3f\n", row, n, sums[ours] / n,
                        sums[ncurses] / n, sums[naive] / n,
                        sums[ncurses] > 0 ? sums[ours] / sums[ncurses] : 0.0);
        }
    }
    const bool clean = !verify || (check.wrong_frames[ours] == 0 && check.wrong_frames[naive] == 0);
    return clean ? 0 : 1;
}
