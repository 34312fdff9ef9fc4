#include "platform/posix/write_all.hpp"

#include <poll.h>
#include <unistd.h>
#include <cerrno>

bool write_all(int fd, const char* bytes, std::size_t length) {
    while (length > 0) {
        const ssize_t written = write(fd, bytes, length);
        if (written < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                // The terminal is written without blocking; these bytes must go all the same.
                pollfd room{fd, POLLOUT, 0};
                poll(&room, 1, -1);
                continue;
            }
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}
