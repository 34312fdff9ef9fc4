#include "platform/posix/terminal_session.hpp"

// Sections: session state; the byte sequences; take-over and restore; signal handlers.

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>
#include <string>

#include "platform/messages.hpp"
#include "platform/posix/write_all.hpp"
#include "platform/process.hpp"

namespace {

// Session state. Plain globals written before the handlers are installed and read in
// them; the flags that handlers change are sig_atomic_t.
int tty = -1;
int null_device = -1;
int saved_stderr = -1;
termios saved_mode{};
termios raw_mode{};
volatile std::sig_atomic_t active = 0;     // the terminal is ours right now
volatile std::sig_atomic_t wanted = 0;     // take it over again after a resume
volatile std::sig_atomic_t repaint = 0;    // resized or resumed since the last frame
volatile std::sig_atomic_t continued = 0;  // a continue arrived since the last suspend
char title_bytes[512];
std::size_t title_length = 0;

// Synchronized output is switched off first in case the process dies inside a frame;
// the title is popped before the screen switch so the shell's title comes back.
constexpr char take_over_bytes[] = "\x1b[?1049h\x1b[?25l\x1b[22;0t\x1b[0m\x1b[2J";
constexpr char restore_bytes[] = "\x1b[?2026l\x1b[0m\x1b[23;0t\x1b[?25h\x1b[?1049l";

void send(const char* bytes, std::size_t length) {
    write_all(tty, bytes, length);
}

void enter_raw_mode() {
    tcsetattr(tty, TCSAFLUSH, &raw_mode);
    send(take_over_bytes, sizeof take_over_bytes - 1);
    send(title_bytes, title_length);
    if (saved_stderr >= 0) {
        dup2(null_device, STDERR_FILENO);
    }
    active = 1;
    repaint = 1;
}

void on_quit_signal(int) {
    post_quit_message();
}

void on_resize(int) {
    repaint = 1;
}

void on_fatal_signal(int sig) {
    const int saved_errno = errno;
    terminal_restore();
    flush_exit_reports();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
    errno = saved_errno;
}

void on_suspend(int) {
    const int saved_errno = errno;
    terminal_restore();
    std::signal(SIGTSTP, SIG_DFL);
    sigset_t only_stop;
    sigemptyset(&only_stop);
    sigaddset(&only_stop, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &only_stop, nullptr);
    continued = 0;
    std::raise(SIGTSTP);
    // Running again: the continue handler has taken the terminal back. A process whose
    // group has no shell above it is not stopped at all; it takes the terminal back here.
    if (continued == 0 && wanted != 0 && active == 0) {
        enter_raw_mode();
    }
    struct sigaction action {};
    action.sa_handler = on_suspend;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTSTP, &action, nullptr);
    errno = saved_errno;
}

void on_continue(int) {
    const int saved_errno = errno;
    continued = 1;
    if (wanted != 0 && active == 0) {
        enter_raw_mode();
    }
    repaint = 1;
    errno = saved_errno;
}

void install(int sig, void (*handler)(int), int flags) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    sigaction(sig, &action, nullptr);
}

void install_handlers() {
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        install(sig, on_quit_signal, SA_RESTART);
    }
    for (const int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGQUIT, SIGSYS}) {
        install(sig, on_fatal_signal, SA_RESETHAND);
    }
    install(SIGTSTP, on_suspend, SA_RESTART);
    install(SIGCONT, on_continue, SA_RESTART);
    install(SIGWINCH, on_resize, SA_RESTART);
    std::set_terminate([] {
        terminal_restore();
        std::abort();
    });
}

}  // namespace

bool terminal_take_over(std::string& reason) {
    if (wanted != 0) {
        return true;
    }
    const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        reason = std::string("cannot open the terminal /dev/tty: ") + std::strerror(errno);
        return false;
    }
    termios mode{};
    if (tcgetattr(fd, &mode) != 0) {
        reason = std::string("/dev/tty is not a terminal: ") + std::strerror(errno);
        close(fd);
        return false;
    }
    tty = fd;
    saved_mode = mode;
    raw_mode = mode;
    // No echo, no line editing, reads that never wait; ISIG stays so that Ctrl+C and
    // Ctrl+Z still raise their signals.
    raw_mode.c_lflag &= static_cast<tcflag_t>(~(ECHO | ICANON | IEXTEN));
    raw_mode.c_iflag &= static_cast<tcflag_t>(~(IXON | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT));
    raw_mode.c_cc[VMIN] = 0;
    raw_mode.c_cc[VTIME] = 0;
    if (isatty(STDERR_FILENO) != 0) {
        null_device = open("/dev/null", O_WRONLY | O_CLOEXEC);
        saved_stderr = null_device >= 0 ? fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3) : -1;
    }
    install_handlers();
    wanted = 1;
    enter_raw_mode();
    return true;
}

void terminal_restore() {
    if (active == 0) {
        return;
    }
    active = 0;
    send(restore_bytes, sizeof restore_bytes - 1);
    tcsetattr(tty, TCSAFLUSH, &saved_mode);
    if (saved_stderr >= 0) {
        dup2(saved_stderr, STDERR_FILENO);
    }
}

void terminal_give_back() {
    wanted = 0;
    terminal_restore();
}

bool terminal_session_active() {
    return active != 0;
}

int terminal_fd() {
    return active != 0 ? tty : -1;
}

bool terminal_size(int& cols, int& rows) {
    winsize size{};
    if (tty < 0 || ioctl(tty, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) {
        return false;
    }
    cols = size.ws_col;
    rows = size.ws_row;
    return true;
}

bool terminal_take_repaint_request() {
    if (repaint == 0) {
        return false;
    }
    repaint = 0;
    return true;
}

std::string_view terminal_take_over_sequence() {
    return {take_over_bytes, sizeof take_over_bytes - 1};
}

std::string terminal_title_sequence(const char* title) {
    // Control characters in a title would end the sequence early or start another one.
    std::string bytes = "\x1b]2;";
    for (const char* c = title; *c != '\0' && bytes.size() < sizeof title_bytes - 2; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        bytes += (byte < 0x20 || byte == 0x7F) ? ' ' : *c;
    }
    bytes += '\x07';
    return bytes;
}

void terminal_set_title(const char* title) {
    // Kept in a fixed buffer because the signal handlers send it again on a resume.
    const std::string bytes = terminal_title_sequence(title);
    std::memcpy(title_bytes, bytes.data(), bytes.size());
    title_length = bytes.size();
    if (active != 0) {
        send(title_bytes, title_length);
    }
}
