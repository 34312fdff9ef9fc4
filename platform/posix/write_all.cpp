#include "platform/write_all.hpp"

#include <poll.h>
#include <unistd.h>
#include <cerrno>

long write_now(int fd, const char* bytes, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t written = write(fd, bytes + done, length - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                break;
            }
            return -1;
        }
        done += static_cast<std::size_t>(written);
    }
    return static_cast<long>(done);
}

bool write_all(int fd, const char* bytes, std::size_t length) {
    for (;;) {
        const long written = write_now(fd, bytes, length);
        if (written < 0) {
            return false;
        }
        bytes += written;
        length -= static_cast<std::size_t>(written);
        if (length == 0) {
            return true;
        }
        // The terminal is written without blocking; these bytes must go all the same.
        pollfd room{fd, POLLOUT, 0};
        poll(&room, 1, -1);
    }
}
