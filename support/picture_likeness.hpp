#pragma once

// How near a picture decoded from a lossy video is to the one that was encoded, both as
// packed 8-bit RGB of one size: the structural similarity of their luma, and the share
// of pixels off by more than a limit in some channel (a colour bleeding over an edge).

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

struct picture_likeness {
    double luma_ssim = 0;
    double off_share = 1;
};

namespace likeness_detail {

inline std::vector<double> luma_of(const std::vector<std::uint8_t>& rgb) {
    std::vector<double> luma(rgb.size() / 3);
    for (std::size_t i = 0; i < luma.size(); ++i) {
        luma[i] = 0.299 * rgb[3 * i] + 0.587 * rgb[3 * i + 1] + 0.114 * rgb[3 * i + 2];
    }
    return luma;
}

}  // namespace likeness_detail

// SSIM as video tools commonly compute it: 8 x 8 windows every 4 pixels, equally
// weighted, averaged over the picture.
inline picture_likeness compare_pictures(const std::vector<std::uint8_t>& want,
                                         const std::vector<std::uint8_t>& got, int width,
                                         int height, int off_limit = 24) {
    picture_likeness out;
    const auto pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (want.size() != pixels * 3 || got.size() != pixels * 3 || width < 8 || height < 8) {
        return out;
    }
    std::size_t off = 0;
    for (std::size_t i = 0; i < pixels; ++i) {
        bool far = false;
        for (std::size_t c = 0; c < 3; ++c) {
            far = far || std::abs(want[3 * i + c] - got[3 * i + c]) > off_limit;
        }
        off += far ? 1 : 0;
    }
    out.off_share = static_cast<double>(off) / static_cast<double>(pixels);

    const std::vector<double> a = likeness_detail::luma_of(want);
    const std::vector<double> b = likeness_detail::luma_of(got);
    constexpr double c1 = (0.01 * 255) * (0.01 * 255);
    constexpr double c2 = (0.03 * 255) * (0.03 * 255);
    double sum = 0;
    int windows = 0;
    for (int top = 0; top + 8 <= height; top += 4) {
        for (int left = 0; left + 8 <= width; left += 4) {
            double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
            for (int y = top; y < top + 8; ++y) {
                const std::size_t row =
                    static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
                for (int x = left; x < left + 8; ++x) {
                    const double p = a[row + static_cast<std::size_t>(x)];
                    const double q = b[row + static_cast<std::size_t>(x)];
                    sa += p;
                    sb += q;
                    saa += p * p;
                    sbb += q * q;
                    sab += p * q;
                }
            }
            const double mean_a = sa / 64, mean_b = sb / 64;
            const double var_a = saa / 64 - mean_a * mean_a;
            const double var_b = sbb / 64 - mean_b * mean_b;
            const double cov = sab / 64 - mean_a * mean_b;
            sum += (2 * mean_a * mean_b + c1) * (2 * cov + c2) /
                   ((mean_a * mean_a + mean_b * mean_b + c1) * (var_a + var_b + c2));
            ++windows;
        }
    }
    out.luma_ssim = sum / windows;
    return out;
}
