// Single-precision sine, cosine, arcsine, arccosine and two-argument
// arctangent, correctly rounded: every result is the float nearest to the
// exact value (ties cannot occur). The C libraries' float versions differ
// from each other, and from one version to the next, in the last bit of
// about one result in a thousand, and the results files follow those
// bits; the nearest float is the one answer every platform can give.
#ifndef SORVEL_MATH_FLOAT_FUNCTIONS_H_
#define SORVEL_MATH_FLOAT_FUNCTIONS_H_

/// sin x of any finite float x in radians; NaN for an infinity or NaN.
float sin_cr(float x);

/// cos x of any finite float x in radians; NaN for an infinity or NaN.
float cos_cr(float x);

/// asin x in [-pi/2, pi/2], the sign of x kept (also for -0); NaN
/// outside [-1, 1].
float asin_cr(float x);

/// acos x in [0, pi]; NaN outside [-1, 1].
float acos_cr(float x);

/// The angle of the point (x, y) from the x axis, in [-pi, pi], with the
/// zeros, infinities and NaN of C's atan2f (pi for y = +0, x = -0).
float atan2_cr(float y, float x);

#endif  // SORVEL_MATH_FLOAT_FUNCTIONS_H_
