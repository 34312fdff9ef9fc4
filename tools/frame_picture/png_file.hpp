#pragma once

#include <string>

#include "tools/frame_picture/frame_picture.hpp"

// Writes `picture` as a PNG with the sixteen-colour palette, four bits a pixel: exactly
// the frame's colours, and a small file. On failure nothing is left under `path` and
// `reason` says why in a few words.
bool write_png(const std::string& path, const frame_picture& picture, std::string& reason);
