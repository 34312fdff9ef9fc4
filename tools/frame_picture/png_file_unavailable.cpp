#include "tools/frame_picture/png_file.hpp"

// Debian has no libpng built for MinGW, so the Windows programs write no PNG pictures;
// the frames themselves are the same there, and the native build makes the pictures.
bool write_png(const std::string&, const frame_picture&, std::string& reason) {
    reason = "this build has no PNG writer (it is made without libpng)";
    return false;
}
