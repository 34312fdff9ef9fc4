#pragma once

#include <string>

#include "tools/frame_picture/frame_picture.hpp"

// Writes `picture` as an 8-bit RGB PNG. On failure nothing is left under `path` and
// `reason` says why in a few words.
bool write_png(const std::string& path, const rgb_picture& picture, std::string& reason);
