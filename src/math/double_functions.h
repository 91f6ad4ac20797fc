// Double-precision sine, cosine, tangent, arcsine, arccosine, two-argument
// arctangent, exponential and hyperbolic tangent that give the same bits
// on every platform. The C libraries' double versions differ from each
// other in the last bit now and then; the reports' refined states climb a
// sum of these functions' values, and on a flat fit one last bit can turn
// a climb towards another top, 0.3 degrees away. These functions use only
// IEEE additions, multiplications, divisions and square roots, so the
// native programs, the Windows ones and the page agree to the bit.
//
// Errors: below 2 ulps for sin, cos and exp, below 4 for tan, tanh and
// the arc functions (checked against MPFR on millions of arguments). sin, cos
// and tan are accurate for |x| < 2^20; beyond, the argument is reduced by the
// double nearest to 2 pi: still the same bits everywhere, no longer near the
// exact value.
#ifndef SORVEL_MATH_DOUBLE_FUNCTIONS_H_
#define SORVEL_MATH_DOUBLE_FUNCTIONS_H_

/// sin x, x in radians; NaN for an infinity or NaN.
double sin_d(double x);

/// cos x, x in radians; NaN for an infinity or NaN.
double cos_d(double x);

/// tan x, x in radians; NaN for an infinity or NaN.
double tan_d(double x);

/// asin x in [-pi/2, pi/2]; NaN outside [-1, 1].
double asin_d(double x);

/// acos x in [0, pi]; NaN outside [-1, 1].
double acos_d(double x);

/// The angle of the point (x, y) from the x axis, in [-pi, pi], with the
/// zeros, infinities and NaN of C's atan2.
double atan2_d(double y, double x);

/// e^x; +infinity above about 709.78, 0 below about -745.13.
double exp_d(double x);

/// tanh x.
double tanh_d(double x);

#endif  // SORVEL_MATH_DOUBLE_FUNCTIONS_H_
