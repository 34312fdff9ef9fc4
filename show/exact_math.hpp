#pragma once

// Sine, cosine and arc cosine that give the same double on every platform: the effects'
// pictures must be the same to the bit wherever the show runs, and the C libraries
// disagree in the last bit for a few arguments in a thousand, which is enough to move a
// cell that lands near a rounding or cell boundary. These compute in double-double
// precision and round once, so they return the correctly rounded value except for an
// argument whose exact result lies within about 2^-100 of a rounding midpoint, and then
// they still return the same value everywhere.
//
// show_sin and show_cos reduce their argument exactly for |x| below 2^21 (the show's
// arguments stay under a few thousand); beyond that, and for NaN and infinities, they
// hand over to the C library.

double show_sin(double x);
double show_cos(double x);
double show_acos(double x);
