#pragma once

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

// Runs `argv` with `environment` added, standard output into the file `output` and
// standard error into `errors`, and returns its id.
inline pid_t spawn_process(const std::vector<std::string>& argv,
                           const std::vector<std::pair<std::string, std::string>>& environment,
                           const std::string& output, const std::string& errors) {
    const pid_t pid = fork();
    if (pid == 0) {
        for (const auto& [name, value] : environment) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        dup2(open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644), STDOUT_FILENO);
        dup2(open(errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644), STDERR_FILENO);
        std::vector<char*> args;
        for (const auto& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

// Whether a server listens on the Unix socket at `path`: the socket's file appears when it
// is bound, a moment before the server listens.
inline bool socket_answers(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool answered =
        fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) {
        close(fd);
    }
    return answered;
}

// Whether `done` comes true within `patience`.
template <typename condition>
bool wait_until(condition done, std::chrono::seconds patience = std::chrono::seconds(15)) {
    const auto give_up = std::chrono::steady_clock::now() + patience;
    while (!done()) {
        if (std::chrono::steady_clock::now() > give_up) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

inline void end_process(pid_t pid, int signal) {
    if (pid > 0) {
        kill(pid, signal);
        waitpid(pid, nullptr, 0);
    }
}

// A PulseAudio server of the test's own: runtime folder, state and socket live in a fresh
// temporary folder, and no desktop session is needed. It plays into a null sink
// `textshow_test` at 44.1 kHz 16-bit mono, so a stream in that form reaches the sink's
// monitor untouched. Clients of this process find it through PULSE_SERVER and
// PULSE_SINK. A server that does not start fails the test (the project's set-up
// installs it), and failure() says why, in the server's own words.
class private_pulse_server {
  public:
    private_pulse_server() {
        char pattern[] = "/tmp/textshow_sound_XXXXXX";
        folder_ = mkdtemp(pattern);
        environment_ = {{"HOME", folder_},
                        {"XDG_RUNTIME_DIR", folder_},
                        {"PULSE_STATE_PATH", folder_ + "/state"},
                        {"PULSE_RUNTIME_PATH", folder_ + "/pulse"},
                        {"PULSE_SERVER", ""}};
        socket_ = folder_ + "/pulse/native";
        ready_ = start_pulseaudio();
        if (ready_) {
            setenv("PULSE_SERVER", ("unix:" + socket_).c_str(), 1);
            setenv("PULSE_SINK", "textshow_test", 1);
        }
    }

    ~private_pulse_server() {
        unsetenv("PULSE_SERVER");
        unsetenv("PULSE_SINK");
        end_process(pid_, SIGTERM);
        std::filesystem::remove_all(folder_);
    }

    private_pulse_server(const private_pulse_server&) = delete;
    private_pulse_server& operator=(const private_pulse_server&) = delete;

    bool ready() const { return ready_; }
    const std::string& folder() const { return folder_; }
    static constexpr const char* monitor = "textshow_test.monitor";

    // How the start failed, followed by what the server wrote.
    std::string failure() const {
        std::string text = failure_;
        for (const std::string& path : {log_path(), output_path()}) {
            std::ifstream in(path);
            text += "\n--- " + path + ":\n" + std::string(std::istreambuf_iterator<char>(in), {});
        }
        return text;
    }

  private:
    // A sink that rewinds to mix in a new stream hands its monitor the silence it had
    // queued and then the stream from wherever the rewind left it, so the recording would
    // miss the music's first moments that a listener at a real device hears; without
    // rewinds the new stream simply follows what was queued.
    static constexpr const char* null_sink =
        "module-null-sink sink_name=textshow_test rate=44100 channels=1 format=s16le norewinds=1";

    std::string log_path() const { return folder_ + "/server.log"; }
    // What the server prints before its log is open, such as a complaint about an argument.
    std::string output_path() const { return folder_ + "/server.out"; }

    // Whether the server answers on its socket; failure_ says how it did not. On a machine
    // whose cores are busy the start can take many seconds, so the wait is long, and it
    // ends early when the server gives up.
    bool start_pulseaudio() {
        std::filesystem::create_directories(folder_ + "/pulse");
        // As root the server warns that it is meant for a user session and runs anyway.
        // The log goes to a file at the level that says what each module did.
        pid_ = spawn_process(
            {"pulseaudio", "-n", "--daemonize=no", "--system=false", "--exit-idle-time=-1",
             "--disallow-exit", "--use-pid-file=no", "--disable-shm=yes", "--log-level=info",
             "--log-target=file:" + log_path(), "-L", null_sink, "-L",
             "module-native-protocol-unix auth-anonymous=1 socket=" + socket_},
            environment_, output_path(), output_path());
        int status = 0;
        bool exited = false;
        const bool answered = wait_until(
            [&] {
                exited = waitpid(pid_, &status, WNOHANG) == pid_;
                return exited || socket_answers(socket_);
            },
            start_patience);
        if (answered && !exited) {
            return true;
        }
        if (!exited) {
            failure_ = "it did not answer on " + socket_ + " within " +
                       std::to_string(start_patience.count()) + " s";
            return false;
        }
        pid_ = -1;
        failure_ = WIFSIGNALED(status)
                       ? "it died of signal " + std::to_string(WTERMSIG(status))
                       : "it exited with code " + std::to_string(WEXITSTATUS(status));
        return false;
    }

    static constexpr std::chrono::seconds start_patience{120};

    std::string folder_;
    std::string socket_;
    std::vector<std::pair<std::string, std::string>> environment_;
    pid_t pid_ = -1;
    bool ready_ = false;
    std::string failure_;
};

// Records the server's null sink, as 44.1 kHz 16-bit mono, into a raw file until it is
// stopped.
class monitor_recording {
  public:
    explicit monitor_recording(const private_pulse_server& server)
        : path_(server.folder() + "/recording.raw"),
          pid_(spawn_process(
              {"parec", std::string("--device=") + private_pulse_server::monitor, "--format=s16le",
               "--rate=44100", "--channels=1", "--raw", "--latency-msec=50"},
              {}, path_, "/dev/null")) {}

    ~monitor_recording() { end_process(pid_, SIGKILL); }

    // The sink plays silence while nothing else plays; once some of it is in the file the
    // recorder is sure to hear the start of what comes next.
    bool wait_until_it_records() const {
        return wait_until([&] {
            std::error_code missing;
            return std::filesystem::file_size(path_, missing) >= 8'192 && !missing;
        });
    }

    std::vector<std::int16_t> stop() {
        end_process(pid_, SIGINT);
        pid_ = -1;
        std::ifstream in(path_, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        std::vector<std::int16_t> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }

  private:
    std::string path_;
    pid_t pid_;
};
