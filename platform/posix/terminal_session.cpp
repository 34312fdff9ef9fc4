#include "platform/posix/terminal_session.hpp"

// Sections: session state; the byte sequences; the output queue; take-over and restore;
// signal handlers; following the job; output and input.

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>

#include "platform/clock.hpp"
#include "platform/messages.hpp"
#include "platform/process.hpp"
#include "platform/terminal_description.hpp"
#include "platform/write_all.hpp"
#include "terminal/terminal_sequences.hpp"

namespace {

// Session state. Plain globals written before the handlers are installed and read in
// them; the flags that handlers change are sig_atomic_t.
int tty = -1;
int null_device = -1;
int saved_stderr = -1;
termios saved_mode{};
termios raw_mode{};
terminal_caps caps;
volatile std::sig_atomic_t active = 0;       // the terminal is ours right now
volatile std::sig_atomic_t screen_held = 0;  // our screen and cursor are on it, ours or not
volatile std::sig_atomic_t wanted = 0;       // take it over again whenever in the foreground
volatile std::sig_atomic_t repaint = 0;      // resized or resumed since the last frame
volatile std::sig_atomic_t resumed = 0;      // continued since the job's place was last seen
volatile std::sig_atomic_t requested = 0;    // taken over with a status request since asked
volatile std::sig_atomic_t awaited = 0;      // answers the terminal still owes

// The thread that took the terminal over. The system hands a signal to any thread that
// does not hold it off, and the sound threads hold off none; a handler that finds itself
// on another thread passes the signal on to this one. So the terminal changes hands only
// where this thread lets signals in, never in the middle of a frame going out.
pthread_t owner{};

bool on_owner_thread(int sig) {
    if (pthread_equal(pthread_self(), owner) != 0) {
        return true;
    }
    pthread_kill(owner, sig);
    return false;
}

// The byte sequences, built once at take-over from the terminal's description so that a
// signal handler can send them as they are.
struct byte_sequence {
    char bytes[terminal_sequence_limit];
    std::size_t length = 0;

    void add(std::string_view text) {
        if (length + text.size() <= sizeof bytes) {
            std::memcpy(bytes + length, text.data(), text.size());
            length += text.size();
        }
    }
};

byte_sequence take_over_bytes;
byte_sequence restore_bytes;
byte_sequence title_bytes;

void build_sequences() {
    take_over_bytes.add(terminal_take_over_sequence(caps));
    // Whether the terminal answers at all is learnt from this one request.
    take_over_bytes.add(terminal_status_request);
    restore_bytes.add(terminal_restore_sequence(caps));
}

void send(const byte_sequence& sequence) {
    write_all(tty, sequence.bytes, sequence.length);
}

// The output queue: bytes written to the terminal without blocking, the rest kept for
// later. Only the frame loop changes it, with signals held; a signal handler may drop it
// by setting both counts to zero.
struct output_queue {
    std::string bytes;
    volatile std::size_t length = 0;
    volatile std::size_t sent = 0;
};

output_queue output;

void drop_output() {
    output.sent = 0;
    output.length = 0;
}

// Writes what the terminal takes now; false when it refuses (hung up), which drops the
// rest. Called with signals held.
bool write_queued() {
    const long written =
        write_now(tty, output.bytes.data() + output.sent, output.length - output.sent);
    if (written < 0) {
        drop_output();
        return false;
    }
    output.sent = output.sent + static_cast<std::size_t>(written);
    return true;
}

// Called with signals held.
bool queue(const char* bytes, std::size_t length) {
    if (output.sent == output.length) {
        drop_output();
        output.bytes.clear();
    }
    output.bytes.resize(output.length);
    output.bytes.append(bytes, length);
    output.length = output.bytes.size();
    return write_queued();
}

// Waits a little for the answers the terminal still owes, reading and dropping input, so
// that they do not reach the shell as typed text ("0n" at its prompt). Safe in a signal
// handler; called in the foreground only, where reading does not stop the job.
void swallow_answers() {
    constexpr std::int64_t most_ns = 300'000'000;
    constexpr char answer[] = "\x1b[0n";
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    std::size_t matched = 0;
    for (std::int64_t left = most_ns; awaited > 0 && left > 0;) {
        pollfd input{tty, POLLIN, 0};
        if (poll(&input, 1, static_cast<int>(left / 1'000'000) + 1) <= 0) {
            return;
        }
        char bytes[256];
        const ssize_t got = read(tty, bytes, sizeof bytes);
        for (ssize_t i = 0; i < got && awaited > 0; ++i) {
            matched = bytes[i] == answer[matched] ? matched + 1 : bytes[i] == answer[0] ? 1 : 0;
            if (matched == sizeof answer - 1) {
                matched = 0;
                awaited = awaited - 1;
            }
        }
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        left =
            most_ns - (now.tv_sec - start.tv_sec) * 1'000'000'000 - (now.tv_nsec - start.tv_nsec);
    }
}

// Holds off every signal that can arrive from outside while the terminal changes hands
// or a frame goes out; faults that the code itself raises stay deliverable, since a
// blocked fault kills the process without giving the terminal back.
class signals_held {
  public:
    signals_held() {
        sigset_t all;
        sigfillset(&all);
        for (const int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS}) {
            sigdelset(&all, sig);
        }
        pthread_sigmask(SIG_BLOCK, &all, &before_);
    }
    ~signals_held() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    signals_held(const signals_held&) = delete;
    signals_held& operator=(const signals_held&) = delete;

    // The mask from before, for a wait that lets the signals in.
    const sigset_t& before() const { return before_; }

  private:
    sigset_t before_{};
};

bool in_foreground() {
    return tcgetpgrp(tty) == getpgrp();
}

// Called with signals held, and only in the foreground: a background job that changes
// the terminal's modes is stopped by SIGTTOU.
void enter_raw_mode() {
    tcsetattr(tty, TCSAFLUSH, &raw_mode);
    send(take_over_bytes);
    send(title_bytes);
    if (saved_stderr >= 0) {
        dup2(null_device, STDERR_FILENO);
    }
    active = 1;
    screen_held = 1;
    repaint = 1;
    requested = 1;
}

// Descriptors 0, 1 and 2 are open from here on: a closed one would be handed to the next
// file opened (the terminal itself), and whatever a library writes to standard error
// would land there.
void fill_standard_streams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
            const int opened = open("/dev/null", O_RDWR);
            if (opened >= 0 && opened != fd) {
                dup2(opened, fd);
                close(opened);
            }
        }
    }
}

void on_quit_signal(int sig) {
    if (on_owner_thread(sig)) {
        post_quit_message();
    }
}

void on_resize(int sig) {
    if (on_owner_thread(sig)) {
        repaint = 1;
    }
}

// Handled wherever it comes: a fault belongs to the thread that made it, and the process
// ends right here.
void on_fatal_signal(int sig) {
    terminal_restore();
    flush_exit_reports();
    std::signal(sig, SIG_DFL);
    // The signal is blocked inside its own handler; it ends the process on return.
    std::raise(sig);
}

void on_suspend(int sig) {
    if (!on_owner_thread(sig)) {
        return;
    }
    const int saved_errno = errno;
    terminal_restore();
    std::signal(SIGTSTP, SIG_DFL);
    sigset_t only_stop;
    sigemptyset(&only_stop);
    sigaddset(&only_stop, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &only_stop, nullptr);
    std::raise(SIGTSTP);
    // Running again, in the foreground or not; the frame loop finds out which. A job of
    // an orphaned group is not stopped at all and comes straight here.
    resumed = 1;
    struct sigaction action {};
    action.sa_handler = on_suspend;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTSTP, &action, nullptr);
    errno = saved_errno;
}

void on_continue(int sig) {
    if (on_owner_thread(sig)) {
        resumed = 1;
        repaint = 1;
    }
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
    // Every other signal whose default action ends the process; a signal left at its
    // default would end it with the terminal raw and on the alternate screen.
    for (const int sig :
         {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGQUIT, SIGSYS, SIGUSR1, SIGUSR2,
          SIGALRM, SIGPIPE, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO, SIGPWR, SIGSTKFLT}) {
        install(sig, on_fatal_signal, SA_RESETHAND);
    }
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) {
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

result<> terminal_take_over() {
    if (wanted != 0) {
        return {};
    }
    fill_standard_streams();
    // Written without blocking, so that however slowly the terminal takes a frame the
    // loop goes on reading keys and signals. Only this open file description of the
    // terminal changes; the shell's and the standard streams' stay as they are.
    const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return failure(std::string("cannot open the terminal /dev/tty: ") + std::strerror(errno));
    }
    termios mode{};
    if (tcgetattr(fd, &mode) != 0) {
        failure why(std::string("/dev/tty is not a terminal: ") + std::strerror(errno));
        close(fd);
        return why;
    }
    result<terminal_caps> described = read_terminal_caps(fd);
    if (!described) {
        close(fd);
        return failure(std::move(described).error());
    }
    caps = std::move(*described);
    tty = fd;
    saved_mode = mode;
    raw_mode = mode;
    // No echo, no line editing, reads that never wait; ISIG stays so that Ctrl+C and
    // Ctrl+Z still raise their signals.
    raw_mode.c_lflag &= static_cast<tcflag_t>(~(ECHO | ICANON | IEXTEN));
    raw_mode.c_iflag &= static_cast<tcflag_t>(~(IXON | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT));
    raw_mode.c_cc[VMIN] = 0;
    raw_mode.c_cc[VTIME] = 0;
    build_sequences();
    owner = pthread_self();
    if (isatty(STDERR_FILENO) != 0) {
        null_device = open("/dev/null", O_WRONLY | O_CLOEXEC);
        saved_stderr = null_device >= 0 ? fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3) : -1;
    }
    install_handlers();
    wanted = 1;
    // Started in the background (`textshow &`), the show waits for its turn.
    terminal_follow_job();
    return {};
}

void terminal_restore() {
    // The rest of a frame is dropped, and with it whatever the system still holds for a
    // terminal that is slow to take it: the restore bytes go next, so the terminal is
    // back as soon as the link delivers them.
    drop_output();
    if (active != 0) {
        active = 0;
        screen_held = 0;
        tcflush(tty, TCOFLUSH);
        send(restore_bytes);
        swallow_answers();
        tcsetattr(tty, TCSAFLUSH, &saved_mode);
    } else if (screen_held != 0) {
        // Continued in the background after a stop it could not see (SIGSTOP): the modes
        // are the shell's already, only the screen is still ours. A background job may
        // not change the modes, and may write only while the terminal lets it.
        screen_held = 0;
        termios now{};
        if (tcgetattr(tty, &now) == 0 && (now.c_lflag & TOSTOP) == 0) {
            send(restore_bytes);
        }
    } else {
        return;
    }
    if (saved_stderr >= 0) {
        dup2(saved_stderr, STDERR_FILENO);
    }
}

void terminal_give_back() {
    wanted = 0;
    terminal_restore();
}

bool terminal_follow_job() {
    if (wanted == 0) {
        return false;
    }
    if (resumed == 0 && active != 0) {
        return true;
    }
    const signals_held held;
    resumed = 0;
    if (!in_foreground()) {
        // The shell has the terminal and set its modes when the show stopped; a
        // background job leaves it alone.
        active = 0;
    } else if (screen_held != 0) {
        // Stopped without a word (SIGSTOP), the show never gave the screen back, but the
        // shell has set its own modes meanwhile and written over the picture. Switching
        // to the alternate screen again would save the cursor a second time, hidden.
        tcsetattr(tty, TCSAFLUSH, &raw_mode);
        queue(caps.hide_cursor.data(), caps.hide_cursor.size());
        queue(title_bytes.bytes, title_bytes.length);
        queue(terminal_status_request.data(), terminal_status_request.size());
        active = 1;
        repaint = 1;
        requested = 1;
    } else {
        enter_raw_mode();
    }
    return active != 0;
}

bool terminal_session_open() {
    return wanted != 0;
}

bool terminal_session_active() {
    return active != 0;
}

const terminal_caps& terminal_capabilities() {
    return caps;
}

bool terminal_send(const char* bytes, std::size_t length) {
    const signals_held held;
    return active != 0 && queue(bytes, length);
}

bool terminal_send_pending() {
    const signals_held held;
    return active != 0 && write_queued();
}

bool terminal_output_pending() {
    return active != 0 && output.sent < output.length;
}

void terminal_await_answers(std::size_t count) {
    awaited = static_cast<std::sig_atomic_t>(count);
}

bool terminal_take_request_sent() {
    if (requested == 0) {
        return false;
    }
    requested = 0;
    return true;
}

bool terminal_wait(std::int64_t until_ns) {
    const signals_held held;
    message msg;
    if (active == 0 || resumed != 0 || peek_message(msg)) {
        return false;
    }
    const std::int64_t left = until_ns - monotonic_nanoseconds();
    if (left <= 0) {
        return true;
    }
    const timespec timeout{static_cast<time_t>(left / 1'000'000'000), left % 1'000'000'000};
    const short output_room = terminal_output_pending() ? POLLOUT : 0;
    pollfd ready{tty, static_cast<short>(POLLIN | output_room), 0};
    // The signals come in only here, so one that arrives after the checks above still
    // ends the wait.
    return ppoll(&ready, 1, &timeout, &held.before()) >= 0 || errno != EINTR;
}

std::size_t terminal_read(char* bytes, std::size_t capacity) {
    const signals_held held;
    if (active == 0) {
        return 0;
    }
    // Asked first: in a mode someone else has set, a read could wait for a whole line.
    pollfd ready{tty, POLLIN, 0};
    if (poll(&ready, 1, 0) <= 0 || (ready.revents & POLLIN) == 0) {
        return 0;
    }
    ssize_t got = 0;
    do {
        got = read(tty, bytes, capacity);
    } while (got < 0 && errno == EINTR);
    return got > 0 ? static_cast<std::size_t>(got) : 0;
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

void terminal_set_title(const char* title) {
    if (!caps.titles) {
        return;
    }
    byte_sequence sequence;
    sequence.add(terminal_title_sequence(title));
    {
        const signals_held held;
        title_bytes = sequence;
    }
    if (active != 0) {
        terminal_send(title_bytes.bytes, title_bytes.length);
    }
}

bool terminal_show_cursor(bool visible) {
    const std::string& bytes = visible ? caps.show_cursor : caps.hide_cursor;
    return terminal_send(bytes.data(), bytes.size());
}
