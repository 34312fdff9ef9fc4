#pragma once

#include <png.h>
#include <cstdint>
#include <string>
#include <vector>

// A PNG file as packed RGB, whatever its colour type; empty when it cannot be read.
struct png_rgb {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

inline png_rgb read_png_rgb(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    png_rgb out;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return out;
    }
    image.format = PNG_FORMAT_RGB;
    out.pixels.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr) == 0) {
        out.pixels.clear();
        return out;
    }
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    return out;
}
