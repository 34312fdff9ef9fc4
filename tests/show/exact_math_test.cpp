#include "show/exact_math.hpp"
#include "show/exact_whole_part.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct known_value {
    double x;
    double rounded;  // the exact result rounded to nearest, from a 113-bit reference
};

// Every C library's value is close to the truth (MinGW's is off by more than an ulp near
// the zeros of large arguments); a wrong quadrant, sign or coefficient is off by far more.
bool close_to(double got, double library) {
    return std::fabs(got - library) <= 1e-15;
}

}  // namespace

// Arguments on which the C libraries round the wrong way (the first two of each group),
// and arguments whose exact result lies within 2^-22 ulp of a rounding midpoint (the last
// two), where any precision lost in the reduction or the coefficients shows.
TEST(exact_math, rounds_sine_and_cosine_correctly_where_libraries_do_not) {
    const known_value sines[] = {
        {0x1.6c64d40e0e4d8p+11, -0x1.f4eba693abe77p-3},
        {-0x1.dc21625441ff1p+10, -0x1.503f514444661p-1},
        {-0x1.ca1c39f7a3fbcp+10, 0x1.8eac00af0a91dp-1},
        {-0x1.644a75eac588p+4, 0x1.18107b66ae54dp-2},
    };
    const known_value cosines[] = {
        {0x1.16441b737ebacp+11, -0x1.3856483f04789p-2},
        {0x1.72e33a4673a8p+5, -0x1.7213ed1d76d6dp-1},
        {0x1.5008a649dec98p+10, 0x1.c94a507312751p-1},
        {-0x1.74cbfa1ce454ap+10, -0x1.ec36951189837p-2},
    };
    for (const known_value& value : sines) {
        EXPECT_EQ(show_sin(value.x), value.rounded) << std::hexfloat << value.x;
    }
    for (const known_value& value : cosines) {
        EXPECT_EQ(show_cos(value.x), value.rounded) << std::hexfloat << value.x;
    }
}

TEST(exact_math, rounds_the_arc_cosine_of_cell_directions_correctly) {
    const known_value arc_cosines[] = {
        {0x1.fb8239a573645p-1, 0x1.0f771fb254d32p-3},
        {0x1.fe99e119f0a04p-1, 0x1.2edaae065b079p-4},
    };
    for (const known_value& value : arc_cosines) {
        EXPECT_EQ(show_acos(value.x), value.rounded) << std::hexfloat << value.x;
    }
    EXPECT_EQ(show_acos(1.0), 0.0);
    EXPECT_TRUE(std::isnan(show_acos(1.5)));
}

TEST(exact_math, stays_close_to_the_library_across_the_effects_range) {
    for (double x = -3000.0; x <= 3000.0; x += 0.37) {
        ASSERT_TRUE(close_to(show_sin(x), std::sin(x))) << std::hexfloat << x;
        ASSERT_TRUE(close_to(show_cos(x), std::cos(x))) << std::hexfloat << x;
    }
    for (double x = -0.9999; x < 1.0; x += 0.0013) {
        ASSERT_TRUE(close_to(show_acos(x), std::acos(x))) << std::hexfloat << x;
    }
}

namespace {

// A C library that is off by 30 units in the last place, a little worse than any the show
// meets, in a direction that changes from argument to argument.
struct sloppy_trig {
    static double off(double value, double x) {
        const double toward = std::fmod(std::fabs(x) * 1e6, 2.0) < 1.0 ? 2.0 : -2.0;
        for (int step = 0; step < 30; ++step) {
            value = std::nextafter(value, toward);
        }
        return value;
    }
    static double sin(double x) { return off(std::sin(x), x); }
    static double cos(double x) { return off(std::cos(x), x); }
};

}  // namespace

// Arguments whose sines, scaled as the twirl scales them by a cell's distance, land within
// a few units in the last place of a whole number: only the exact sine decides those.
TEST(exact_math, whole_parts_come_out_as_the_exact_functions_give_them) {
    int decided_near_a_whole_number = 0;
    for (const double d : {1.0, 12.0, 29.5, 41.76}) {
        for (int k = -static_cast<int>(d); k <= static_cast<int>(d); ++k) {
            double x = std::asin(k / d);
            for (int step = 0; step < 8; ++step, x = std::nextafter(x, 4.0)) {
                for (const double shift : {0.0, 2 * std::acos(-1.0)}) {
                    const double at = x + shift;
                    const auto formula = [&](auto trig) { return d * trig.sin(at) - 12; };
                    const double exact = std::trunc(d * show_sin(at) - 12);
                    ASSERT_EQ(show_whole_part(formula, d, sloppy_trig{}), exact)
                        << std::hexfloat << at << " scaled by " << d;
                    if (std::trunc(formula(sloppy_trig{})) != exact) {
                        ++decided_near_a_whole_number;
                    }
                }
            }
        }
    }
    // The sloppy values alone would have got some of them wrong.
    EXPECT_GT(decided_near_a_whole_number, 0);
    EXPECT_TRUE(std::isnan(show_whole_part([](auto) { return std::nan(""); }, 1.0)));
}
