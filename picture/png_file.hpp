#pragma once

#include <string>

#include "base/result.hpp"
#include "picture/frame_picture.hpp"

// Writes `picture` as a PNG with the sixteen-colour palette, four bits a pixel: exactly
// the frame's colours, and a small file. On failure nothing is left under `path` and the
// failure says why in a few words.
result<> write_png(const std::string& path, const frame_picture& picture);
