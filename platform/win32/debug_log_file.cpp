#include "platform/debug_log_file.hpp"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

int debug_log_open() {
    // Appending, created when missing, others may read and write it meanwhile, and a
    // created file is not read-only. An ordinary user may not create files in a drive's
    // root; the open then fails and the reports reach the debugger output alone.
    const int handle =
        _sopen("C:\\debugansi.log", _O_WRONLY | _O_APPEND | _O_CREAT | _O_SEQUENTIAL | _O_BINARY,
               _SH_DENYNO, _S_IREAD | _S_IWRITE);
    return handle < 0 ? debug_log_closed : handle;
}

void debug_log_append(int handle, const char* text, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        const int written = _write(handle, text + done, static_cast<unsigned>(length - done));
        if (written <= 0) {
            return;
        }
        done += static_cast<std::size_t>(written);
    }
}
