#pragma once

#include <algorithm>
#include <cmath>

#include "show/exact_math.hpp"

// The effects turn sines and cosines into cells and colours by taking a whole part, so
// only that whole part has to come out the same on every platform. The C library's sine
// and cosine are several times quicker than the exact ones, and every library the show
// runs on is within 1e-13 of the exact value over the effects' arguments (a few units in
// the last place). A value worked out with them that lies far enough from a whole number
// therefore has the same whole part as the exact one; only a value too close to call is
// worked out again with the exact functions.

struct library_trig {
    static double sin(double x) { return std::sin(x); }
    static double cos(double x) { return std::cos(x); }
};

struct exact_trig {
    static double sin(double x) { return show_sin(x); }
    static double cos(double x) { return show_cos(x); }
};

// Whether `quick`, worked out with the C library's sines and cosines scaled by at most
// `scale` in all, has the whole part the exact functions would give. NaN and infinities
// are never sure.
inline bool show_whole_part_is_sure(double quick, double scale) {
    const double margin = 1e-12 * std::max(scale, 1000.0);
    return scale <= 1e6 && std::fabs(quick - std::round(quick)) > margin;
}

// The value of `formula(trig)` truncated toward zero, as `formula(exact_trig{})` gives it.
// A formula takes the trigonometry to use (`trig.sin(x)`, `trig.cos(x)`) and may scale
// the values by up to `scale` in all.
template <class Formula, class Quick = library_trig>
double show_whole_part(const Formula& formula, double scale, Quick quick = {}) {
    const double value = formula(quick);
    if (show_whole_part_is_sure(value, scale)) {
        return std::trunc(value);
    }
    return std::trunc(formula(exact_trig{}));
}
