#include "picture/png_file.hpp"

// Built without libpng (Debian has none for MinGW, and a user's machine may lack it), the
// programs write no PNG pictures; the frames are the same, and a build with libpng makes
// the pictures.
result<> write_png(const std::string&, const frame_picture&) {
    return failure("this build has no PNG writer (it is made without libpng)");
}
