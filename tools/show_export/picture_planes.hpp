#pragma once

#include <cstdint>

#include "picture/frame_picture.hpp"

// A frame picture in the pixel layouts the encoders take, straight from its palette
// indices: the sixteen colours are converted once, not every pixel of every frame.

// 4:2:0 YUV in the limited range of BT.601, which players assume for video of this size
// unless told otherwise (the writer tells them too). Each chroma sample is the mean of
// the four pixels it covers; at even scales those four are always one colour.
void fill_yuv420(const frame_picture& picture, std::uint8_t* y, int y_stride, std::uint8_t* u,
                 int u_stride, std::uint8_t* v, int v_stride);

// Blue, green, red and one unused byte per pixel, as FFV1 keeps RGB losslessly.
void fill_bgr0(const frame_picture& picture, std::uint8_t* out, int stride);
