#pragma once

// Double-double arithmetic: a value carried as the unevaluated sum of two doubles, good to
// about 106 bits. Built from error-free transformations that use only IEEE additions and
// multiplications rounded to nearest, so the results are the same on every compiler and
// machine that keeps doubles as doubles (SSE2, not the x87 stack) and does not fuse a
// multiply with an add; the build turns that fusing off.

struct double_double {
    double hi = 0;
    double lo = 0;
};

// a + b exactly, as the rounded sum and its error; needs |a| >= |b| or a == 0.
inline double_double dd_quick_two_sum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

// a + b exactly, whatever their sizes.
inline double_double dd_two_sum(double a, double b) {
    const double s = a + b;
    const double b_part = s - a;
    return {s, (a - (s - b_part)) + (b - b_part)};
}

// a * b exactly, by Dekker's splitting of each factor into two 26-bit halves.
inline double_double dd_two_prod(double a, double b) {
    constexpr double splitter = 134217729.0;  // 2^27 + 1
    const double p = a * b;
    const double a_big = splitter * a;
    const double a_hi = a_big - (a_big - a);
    const double a_lo = a - a_hi;
    const double b_big = splitter * b;
    const double b_hi = b_big - (b_big - b);
    const double b_lo = b - b_hi;
    return {p, ((a_hi * b_hi - p) + a_hi * b_lo + a_lo * b_hi) + a_lo * b_lo};
}

inline double_double dd_add(double_double a, double_double b) {
    double_double s = dd_two_sum(a.hi, b.hi);
    const double_double t = dd_two_sum(a.lo, b.lo);
    s.lo += t.hi;
    s = dd_quick_two_sum(s.hi, s.lo);
    s.lo += t.lo;
    return dd_quick_two_sum(s.hi, s.lo);
}

inline double_double dd_add(double_double a, double b) {
    double_double s = dd_two_sum(a.hi, b);
    s.lo += a.lo;
    return dd_quick_two_sum(s.hi, s.lo);
}

inline double_double dd_mul(double_double a, double_double b) {
    double_double p = dd_two_prod(a.hi, b.hi);
    p.lo += a.hi * b.lo + a.lo * b.hi;
    return dd_quick_two_sum(p.hi, p.lo);
}

inline double_double dd_negate(double_double a) {
    return {-a.hi, -a.lo};
}
