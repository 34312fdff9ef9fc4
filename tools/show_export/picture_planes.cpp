#include "tools/show_export/picture_planes.hpp"

#include <array>
#include <cmath>

namespace {

struct yuv_palette {
    std::array<std::uint8_t, 16> y{};
    // Chroma kept in full so that the mean of four rounds once, at the end.
    std::array<int, 16> u{};
    std::array<int, 16> v{};
};

int round_to_int(double value) {
    return static_cast<int>(std::lround(value));
}

yuv_palette make_yuv_palette() {
    yuv_palette p;
    for (std::size_t at = 0; at < 16; ++at) {
        const double r = text_mode_palette[at].red / 255.0;
        const double g = text_mode_palette[at].green / 255.0;
        const double b = text_mode_palette[at].blue / 255.0;
        const double luma = 0.299 * r + 0.587 * g + 0.114 * b;
        p.y[at] = static_cast<std::uint8_t>(round_to_int(16.0 + 219.0 * luma));
        // Scaled by 4 here: four of them are summed and divided by 16 below.
        p.u[at] = round_to_int(4.0 * (128.0 + 224.0 * (b - luma) / 1.772));
        p.v[at] = round_to_int(4.0 * (128.0 + 224.0 * (r - luma) / 1.402));
    }
    return p;
}

}  // namespace

void fill_yuv420(const frame_picture& picture, std::uint8_t* y, int y_stride, std::uint8_t* u,
                 int u_stride, std::uint8_t* v, int v_stride) {
    static const yuv_palette palette = make_yuv_palette();
    const auto width = static_cast<std::size_t>(picture.width);
    for (int row = 0; row < picture.height; ++row) {
        const std::uint8_t* in = picture.colours.data() + static_cast<std::size_t>(row) * width;
        std::uint8_t* out = y + static_cast<std::ptrdiff_t>(row) * y_stride;
        for (std::size_t x = 0; x < width; ++x) {
            out[x] = palette.y[in[x]];
        }
    }
    for (int row = 0; row < picture.height / 2; ++row) {
        const std::uint8_t* top =
            picture.colours.data() + static_cast<std::size_t>(2 * row) * width;
        const std::uint8_t* bottom = top + width;
        std::uint8_t* u_out = u + static_cast<std::ptrdiff_t>(row) * u_stride;
        std::uint8_t* v_out = v + static_cast<std::ptrdiff_t>(row) * v_stride;
        for (std::size_t x = 0; x < width / 2; ++x) {
            const std::uint8_t a = top[2 * x];
            const std::uint8_t b = top[2 * x + 1];
            const std::uint8_t c = bottom[2 * x];
            const std::uint8_t d = bottom[2 * x + 1];
            const int u_sum = palette.u[a] + palette.u[b] + palette.u[c] + palette.u[d];
            const int v_sum = palette.v[a] + palette.v[b] + palette.v[c] + palette.v[d];
            u_out[x] = static_cast<std::uint8_t>((u_sum + 8) / 16);
            v_out[x] = static_cast<std::uint8_t>((v_sum + 8) / 16);
        }
    }
}

void fill_bgr0(const frame_picture& picture, std::uint8_t* out, int stride) {
    const auto width = static_cast<std::size_t>(picture.width);
    for (int row = 0; row < picture.height; ++row) {
        const std::uint8_t* in = picture.colours.data() + static_cast<std::size_t>(row) * width;
        std::uint8_t* pixel = out + static_cast<std::ptrdiff_t>(row) * stride;
        for (std::size_t x = 0; x < width; ++x) {
            const rgb_colour& c = text_mode_palette[in[x]];
            *pixel++ = c.blue;
            *pixel++ = c.green;
            *pixel++ = c.red;
            *pixel++ = 0;
        }
    }
}
