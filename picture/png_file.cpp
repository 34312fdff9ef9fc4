#include "picture/png_file.hpp"

#include <png.h>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// libpng reports errors by longjmp; the message is kept for the caller's one line.
void on_png_error(png_structp png, png_const_charp message) {
    auto* kept = static_cast<std::string*>(png_get_error_ptr(png));
    *kept = message;
    png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

// Everything between the setjmp and its longjmp lives outside this frame, so no object
// with a destructor is skipped by the jump; libpng's message too is kept in the caller's
// `png_message`, since a local changed before the jump is indeterminate after it.
result<> encode(FILE* file, const frame_picture& picture, std::vector<png_bytep>& rows,
                std::string& png_message) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &png_message, on_png_error, on_png_warning);
    if (png == nullptr) {
        return failure("out of memory");
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return failure(png_message.empty() ? "out of memory" : png_message);
    }
    png_init_io(png, file);
    // Palette pictures compress best unfiltered, and trying filters would only cost time.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
                 static_cast<png_uint_32>(picture.height), 4, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color palette[16];
    for (std::size_t at = 0; at < 16; ++at) {
        palette[at] = {text_mode_palette[at].red, text_mode_palette[at].green,
                       text_mode_palette[at].blue};
    }
    png_set_PLTE(png, info, palette, 16);
    png_set_rows(png, info, rows.data());
    // The rows hold one index a byte; libpng packs them two to a byte.
    png_write_png(png, info, PNG_TRANSFORM_PACKING, nullptr);
    png_destroy_write_struct(&png, &info);
    return {};
}

}  // namespace

result<> write_png(const std::string& path, const frame_picture& picture) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return failure(std::strerror(errno));
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(picture.height));
    for (std::size_t y = 0; y < rows.size(); ++y) {
        rows[y] = const_cast<png_bytep>(picture.colours.data()) +
                  y * static_cast<std::size_t>(picture.width);
    }
    std::string png_message;
    result<> written = encode(file, picture, rows, png_message);
    if (std::fclose(file) != 0 && written) {
        written = failure(std::strerror(errno));
    }
    if (!written) {
        std::remove(path.c_str());
    }
    return written;
}
