#pragma once

#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "support/tcp_relay.hpp"

// An SSH server of our own on a free loopback port, in a scratch folder with its own host
// key, configuration and one client key, for the user running the tests (root in CI, so
// root may log in with a key). It is stopped and its folder removed when this ends.
class private_sshd {
  public:
    private_sshd() {
        char made[] = "/tmp/textshow-sshd-XXXXXX";
        if (mkdtemp(made) == nullptr) {
            return;
        }
        folder_ = made;
        // The server's privilege separation wants its empty folder, which a system where
        // sshd never ran as a service has not made.
        mkdir("/run/sshd", 0755);
        if (!run("ssh-keygen -q -t ed25519 -N '' -f " + path("host_key")) ||
            !run("ssh-keygen -q -t ed25519 -N '' -f " + path("client_key")) ||
            !run("cp " + path("client_key.pub") + " " + path("authorized_keys"))) {
            return;
        }
        port_ = free_port();
        std::ofstream(path("sshd_config"))
            << "Port " << port_ << "\nListenAddress 127.0.0.1\nHostKey " << path("host_key")
            << "\nPidFile " << path("sshd.pid") << "\nAuthorizedKeysFile "
            << path("authorized_keys")
            << "\nUsePAM no\nStrictModes no\nPermitRootLogin prohibit-password\n"
               "PasswordAuthentication no\nKbdInteractiveAuthentication no\n"
               "PrintMotd no\nPrintLastLog no\nLogLevel ERROR\n";
        pid_ = fork();
        if (pid_ == 0) {
            const std::string config = path("sshd_config");
            const std::string log = path("sshd.log");
            execl("/usr/sbin/sshd", "/usr/sbin/sshd", "-D", "-f", config.c_str(), "-E", log.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        // Ready once it answers on its port.
        for (int tries = 0; tries < 500 && !ready_ && waitpid(pid_, nullptr, WNOHANG) == 0;
             ++tries) {
            const int probe = socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address = tcp_relay::loopback(port_);
            ready_ = connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
            close(probe);
            if (!ready_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
    }

    ~private_sshd() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (!folder_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(folder_, ignored);
        }
    }
    private_sshd(const private_sshd&) = delete;
    private_sshd& operator=(const private_sshd&) = delete;

    bool ready() const { return ready_; }
    int port() const { return port_; }
    std::string log() const {
        std::ifstream in(path("sshd.log"));
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // The client's command line for `remote` on this server through `port`: a terminal
    // is asked for whatever the client's own input is, and the client trusts this
    // server's key without asking.
    std::vector<std::string> client(int port, const std::string& remote) const {
        return {"/usr/bin/ssh", "-tt",
                "-F",           "/dev/null",
                "-i",           path("client_key"),
                "-p",           std::to_string(port),
                "-o",           "StrictHostKeyChecking=no",
                "-o",           "UserKnownHostsFile=/dev/null",
                "-o",           "LogLevel=ERROR",
                "-o",           "BatchMode=yes",
                "-o",           "User=" + user(),
                "127.0.0.1",    remote};
    }

  private:
    std::string path(const std::string& name) const { return folder_ + "/" + name; }

    static bool run(const std::string& command) { return std::system(command.c_str()) == 0; }

    static std::string user() {
        const passwd* entry = getpwuid(getuid());
        return entry != nullptr ? entry->pw_name : "root";
    }

    static int free_port() {
        const int probe = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = tcp_relay::loopback(0);
        bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
        close(probe);
        return ntohs(address.sin_port);
    }

    std::string folder_;
    int port_ = 0;
    pid_t pid_ = -1;
    bool ready_ = false;
};
