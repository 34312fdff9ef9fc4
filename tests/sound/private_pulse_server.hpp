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
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

// Runs `argv` with standard output into the file `output` and returns its id.
inline pid_t spawn_process(const std::vector<std::string>& argv, const std::string& output) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int nowhere = open("/dev/null", O_WRONLY);
        dup2(out, STDOUT_FILENO);
        dup2(nowhere, STDERR_FILENO);
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

inline void end_process(pid_t pid, int signal) {
    if (pid > 0) {
        kill(pid, signal);
        waitpid(pid, nullptr, 0);
    }
}

// A PulseAudio server of the test's own: its runtime folder, state and socket live in a
// fresh temporary folder, it needs no desktop session, and it plays into a null sink
// `textshow_test` at 44.1 kHz 16-bit mono, so a stream in that form reaches the sink's
// monitor untouched. Clients of this process find it through PULSE_SERVER. A server
// that does not start fails the test: the project's set-up installs it.
class private_pulse_server {
  public:
    private_pulse_server() {
        char pattern[] = "/tmp/textshow_pulse_XXXXXX";
        folder_ = mkdtemp(pattern);
        socket_ = folder_ + "/native";
        pid_ = fork();
        if (pid_ == 0) {
            const int log = open((folder_ + "/server.log").c_str(), O_WRONLY | O_CREAT, 0644);
            dup2(log, STDOUT_FILENO);
            dup2(log, STDERR_FILENO);
            for (const char* name : {"HOME", "XDG_RUNTIME_DIR", "PULSE_RUNTIME_PATH",
                                     "PULSE_STATE_PATH", "XDG_CONFIG_HOME"}) {
                setenv(name, folder_.c_str(), 1);
            }
            unsetenv("PULSE_SERVER");
            execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--system=false",
                   "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=no",
                   "--disable-shm=yes", "--log-target=stderr",
                   "-L", "module-null-sink sink_name=textshow_test rate=44100 channels=1 "
                         "format=s16le",
                   "-L", ("module-native-protocol-unix auth-anonymous=1 socket=" + socket_).c_str(),
                   nullptr);
            _exit(127);
        }
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (!answers() && std::chrono::steady_clock::now() < give_up) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ready_ = pid_ > 0 && answers();
        if (ready_) {
            setenv("PULSE_SERVER", ("unix:" + socket_).c_str(), 1);
        }
    }

    ~private_pulse_server() {
        unsetenv("PULSE_SERVER");
        end_process(pid_, SIGTERM);
        std::filesystem::remove_all(folder_);
    }

    private_pulse_server(const private_pulse_server&) = delete;
    private_pulse_server& operator=(const private_pulse_server&) = delete;

    bool ready() const { return ready_; }
    const std::string& folder() const { return folder_; }
    static constexpr const char* monitor = "textshow_test.monitor";

    // What the server said, for a test that finds it did not start.
    std::string log() const {
        std::ifstream in(folder_ + "/server.log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

  private:
    bool answers() const {
        const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket_.c_str(), sizeof(address.sun_path) - 1);
        const bool connected =
            connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        close(probe);
        return connected;
    }

    std::string folder_;
    std::string socket_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

// Records the server's null sink, as 44.1 kHz 16-bit mono, into a raw file until it is
// stopped.
class monitor_recording {
  public:
    explicit monitor_recording(const private_pulse_server& server)
        : path_(server.folder() + "/recording.raw"),
          pid_(spawn_process({"parec", std::string("--device=") + private_pulse_server::monitor,
                              "--format=s16le", "--rate=44100", "--channels=1", "--raw",
                              "--latency-msec=50"},
                             path_)) {}

    ~monitor_recording() { end_process(pid_, SIGKILL); }

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
