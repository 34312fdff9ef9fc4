#include "show/exact_math.hpp"

#include <algorithm>
#include <cmath>

#include "show/double_double.hpp"

namespace {

// pi/2 as the sum of four doubles: the first three carry 30 significant bits each, so
// their products with any quadrant count below 2^23 are exact, and the reduction below
// loses nothing to rounding before the last, tiny term.
constexpr double half_pi_1 = 0x1.921fb548p+0;
constexpr double half_pi_2 = -0x1.de973dc8p-31;
constexpr double half_pi_3 = -0x1.9d9cceb8p-62;
constexpr double half_pi_4 = -0x1.1fc8f8cbb5bf7p-93;
constexpr double two_over_pi = 0x1.45f306dc9c883p-1;
constexpr double exact_reduction_limit = 0x1p21;

// 1/n! as double-doubles, for n = 2 .. 29: the Taylor coefficients of sine and cosine.
// Fifteen terms make the series good to about 2^-110 for |r| <= pi/4.
constexpr double_double inverse_factorial[30] = {
    {1, 0},
    {1, 0},
    {0x1p-1, 0},
    {0x1.5555555555555p-3, 0x1.5555555555555p-57},
    {0x1.5555555555555p-5, 0x1.5555555555555p-59},
    {0x1.1111111111111p-7, 0x1.1111111111111p-63},
    {0x1.6c16c16c16c17p-10, -0x1.f49f49f49f49fp-65},
    {0x1.a01a01a01a01ap-13, 0x1.a01a01a01a01ap-73},
    {0x1.a01a01a01a01ap-16, 0x1.a01a01a01a01ap-76},
    {0x1.71de3a556c734p-19, -0x1.c154f8ddc6c00p-73},
    {0x1.27e4fb7789f5cp-22, 0x1.cbbc05b4fa99ap-76},
    {0x1.ae64567f544e4p-26, -0x1.c062e06d1f209p-80},
    {0x1.1eed8eff8d898p-29, -0x1.2aec959e14c06p-83},
    {0x1.6124613a86d09p-33, 0x1.f28e0cc748ebep-87},
    {0x1.93974a8c07c9dp-37, 0x1.05d6f8a2efd1fp-92},
    {0x1.ae7f3e733b81fp-41, 0x1.1d8656b0ee8cbp-97},
    {0x1.ae7f3e733b81fp-45, 0x1.1d8656b0ee8cbp-101},
    {0x1.952c77030ad4ap-49, 0x1.ac981465ddc6cp-103},
    {0x1.6827863b97d97p-53, 0x1.eec01221a8b0bp-107},
    {0x1.2f49b46814157p-57, 0x1.2650f61dbdcb4p-112},
    {0x1.e542ba4020225p-62, 0x1.ea72b4afe3c2fp-120},
    {0x1.71b8ef6dcf572p-66, -0x1.d043ae40c4647p-120},
    {0x1.0ce396db7f853p-70, -0x1.aebcdbd20331cp-124},
    {0x1.761b41316381ap-75, -0x1.3423c7d91404fp-130},
    {0x1.f2cf01972f578p-80, -0x1.9ada5fcc1ab14p-135},
    {0x1.3f3ccdd165fa9p-84, -0x1.58ddadf344487p-139},
    {0x1.88e85fc6a4e5ap-89, -0x1.71c37ebd16540p-143},
    {0x1.d1ab1c2dccea3p-94, 0x1.054d0c78aea14p-149},
    {0x1.0a18a2635085dp-98, 0x1.b9e2e28e1aa54p-153},
    {0x1.259f98b4358adp-103, 0x1.eaf8c39dd9bc5p-157},
};

// The sign of 1/n! in the sine (first = 3) or cosine (first = 2) series after its leading
// term: the coefficients alternate, starting negative.
double_double coefficient(int n, int first) {
    const bool negative = ((n - first) / 2) % 2 == 0;
    return negative ? dd_negate(inverse_factorial[n]) : inverse_factorial[n];
}

// Sum of (-1)^m z^(m-1) / (first + 2m - 2)! for m = 1 .. 14 by Horner's rule: the part of
// the series after its leading term, divided by z. With `exact`, every step is taken in
// double-double (good to about 2^-105); without, the terms from 1/(first+6)! on, which
// add less than 2^-17 of the sum, are summed in plain doubles first (good to about 2^-68
// of the result, at a third of the cost).
double_double series_tail(double_double z, int first, bool exact) {
    const int last = first + 26;
    const int double_from = exact ? last + 2 : first + 6;
    double small_terms = 0;
    for (int n = last; n >= double_from; n -= 2) {
        small_terms = small_terms * z.hi + coefficient(n, first).hi;
    }
    double_double sum = exact ? coefficient(last, first) : double_double{small_terms, 0};
    for (int n = std::min(last, double_from) - 2; n >= first; n -= 2) {
        sum = dd_add(dd_mul(sum, z), coefficient(n, first));
    }
    return sum;
}

double_double sin_near_zero(double_double r, bool exact) {
    const double_double z = dd_mul(r, r);
    return dd_add(r, dd_mul(dd_mul(r, z), series_tail(z, 3, exact)));
}

double_double cos_near_zero(double_double r, bool exact) {
    const double_double z = dd_mul(r, r);
    return dd_add(dd_mul(z, series_tail(z, 2, exact)), 1.0);
}

// x - k pi/2 for the k nearest x / (pi/2), and k modulo 4.
double_double reduce(double x, int& quadrant) {
    const double k = std::nearbyint(x * two_over_pi);
    // x - k*half_pi_1 is exact: both products are exact and the difference is exact by
    // Sterbenz's lemma, as x and k*half_pi_1 are within a factor of two of each other.
    double_double r = dd_two_sum(x - k * half_pi_1, -k * half_pi_2);
    r = dd_add(r, -k * half_pi_3);
    r = dd_add(r, -k * half_pi_4);
    quadrant = static_cast<int>(static_cast<long long>(k) & 3);
    return r;
}

// sin(x + quadrant_shift * pi/2) in double-double.
double_double sin_shifted(double x, int quadrant_shift, bool exact) {
    int quadrant = 0;
    const double_double r = reduce(x, quadrant);
    switch ((quadrant + quadrant_shift) & 3) {
        case 0:
            return sin_near_zero(r, exact);
        case 1:
            return cos_near_zero(r, exact);
        case 2:
            return dd_negate(sin_near_zero(r, exact));
        default:
            return dd_negate(cos_near_zero(r, exact));
    }
}

// Ziv's way to round cheaply: the quick sum is good to well within 2^-66 of its value,
// so when moving it by that much either way rounds to the same double, that double is
// the correctly rounded result; otherwise (about one argument in 2^12) the exact sum
// decides.
double rounded_sin_shifted(double x, int quadrant_shift) {
    const double_double quick = sin_shifted(x, quadrant_shift, false);
    const double margin = std::fabs(quick.hi) * 0x1p-66;
    const double up = quick.hi + (quick.lo + margin);
    const double down = quick.hi + (quick.lo - margin);
    if (up == down) {
        return up;
    }
    return sin_shifted(x, quadrant_shift, true).hi;
}

bool reducible(double x) {
    return std::fabs(x) < exact_reduction_limit;
}

}  // namespace

double show_sin(double x) {
    if (x == 0.0 || !reducible(x)) {
        return x == 0.0 ? x : std::sin(x);
    }
    return rounded_sin_shifted(x, 0);
}

double show_cos(double x) {
    if (!reducible(x)) {
        return std::cos(x);
    }
    return rounded_sin_shifted(x, 1);
}

double show_acos(double x) {
    // The ends (0 and pi, which every library rounds alike), NaN and arguments outside
    // [-1, 1] are the library's.
    if (!(std::fabs(x) < 1.0)) {
        return std::acos(x);
    }
    // One Newton step on cos(y) = x from the library's value, which is within an ulp or
    // two, squares its error; the step is taken in double-double, so the sum rounds to the
    // same double whichever library gave the start.
    const double y0 = std::acos(x);
    const double_double cos_y0 = sin_shifted(y0, 1, true);
    const double_double excess = dd_add(cos_y0, -x);
    const double step = (excess.hi + excess.lo) / std::sin(y0);
    return dd_add(double_double{y0, 0}, step).hi;
}
