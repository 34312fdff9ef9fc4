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

// The content below cutoff_hz, filtered forwards and backwards so that it is not delayed:
// an onset found in it is where it is in the music.
std::vector<float> low_band(std::span<const float> samples, float cutoff_hz);

// Sample positions where the energy jumps: at least `rise` times the level of the 5 to
// 15 ms before, and at least `floor` in absolute terms.
std::vector<std::int64_t> energy_rises(std::span<const float> band, float rise, float floor);

// First sample in [from, to) whose level reaches `share` of the loudest one there.
std::int64_t first_reaching(std::span<const float> samples, std::int64_t from, std::int64_t to,
                            float share);
