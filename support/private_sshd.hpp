#pragma once

#include <fcntl.h>
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
// key and one client key, to which root logs in. It is Dropbear, whose package ships the
// programs alone, with no service of its own. Dropbear takes the keys it accepts from the
// home folder of the user who logs in and from nowhere else, and writes the machine's login
// records; so it runs in a mount namespace of its own in which a private home lies over
// root's and empty files over the login records: the machine's home folders, SSH settings
// and records stay as they are. Only root may make such a namespace and log in with it;
// for anyone else the server does not start and its log says why. The client is
// OpenSSH's. The server is stopped and its folder removed when this ends.
class private_sshd {
  public:
    private_sshd() {
        char made[] = "/tmp/textshow-sshd-XXXXXX";
        if (mkdtemp(made) == nullptr) {
            return;
        }
        folder_ = made;
        if (getuid() != 0) {
            std::ofstream(path("sshd.log"))
                << "the private SSH server needs root: it lays a private home over root's "
                   "in a mount namespace of its own\n";
            return;
        }
        if (mkdir(path("home").c_str(), 0700) != 0 || mkdir(path("home/.ssh").c_str(), 0700) != 0 ||
            !run("dropbearkey -t ed25519 -f " + path("host_key") + " >/dev/null 2>&1") ||
            !run("ssh-keygen -q -t ed25519 -N '' -f " + path("client_key")) ||
            !run("cp " + path("client_key.pub") + " " + path("home/.ssh/authorized_keys")) ||
            !std::ofstream(path("login_record"))) {
            return;
        }
        port_ = free_port();
        const passwd* root = getpwnam("root");
        const std::string home = root != nullptr ? root->pw_dir : "/root";
        const std::string listen = "127.0.0.1:" + std::to_string(port_);
        const std::string private_home = path("home");
        const std::string record = path("login_record");
        const std::string host_key = path("host_key");
        const std::string pid_file = path("sshd.pid");
        const char* const private_mounts =
            "mount --bind \"$1\" \"$2\" && for file in /var/run/utmp /var/log/wtmp "
            "/var/log/btmp /var/log/lastlog; do [ ! -f \"$file\" ] || mount --bind \"$3\" "
            "\"$file\" || exit 1; done && shift 3 && exec \"$@\"";
        std::vector<const char*> command{
            "/usr/bin/unshare", "--mount", "--propagation", "private", "--",
            "/bin/sh",          "-c",      private_mounts,  "sh"};
        command.insert(command.end(), {private_home.c_str(), home.c_str(), record.c_str()});
        // On loopback alone, keys alone, no forwarding, no message of the day.
        command.insert(command.end(),
                       {"/usr/sbin/dropbear", "-F", "-E", "-s", "-j", "-k", "-m", "-p",
                        listen.c_str(), "-r", host_key.c_str(), "-P", pid_file.c_str(), nullptr});
        pid_ = fork();
        if (pid_ == 0) {
            const int log = open(path("sshd.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(log, STDERR_FILENO);
            execv(command[0], const_cast<char* const*>(command.data()));
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
                "-o",           "User=root",
                "127.0.0.1",    remote};
    }

  private:
    std::string path(const std::string& name) const { return folder_ + "/" + name; }

    static bool run(const std::string& command) { return std::system(command.c_str()) == 0; }

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
