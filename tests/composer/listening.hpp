#pragma once

#include <cstdint>
#include <span>
#include <vector>

// The show's soundtrack, rendered once per test program and shared by every test.
const std::vector<float>& show_soundtrack();

std::int64_t sample_of_tick(std::int64_t tick);
double decibels(double amplitude);
double rms_of(std::span<const float> samples);
float peak_in(std::span<const float> samples);

// First sample in [from, to) whose level reaches `share` of the loudest one there.
std::int64_t first_reaching(std::span<const float> samples, std::int64_t from, std::int64_t to,
                            float share);
