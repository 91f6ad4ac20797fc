// The four weight functions of the misfit angle. A weight is 1 for a
// perfect fit and falls towards 0.
#ifndef SORVEL_FITNESS_WEIGHT_FUNCTIONS_H_
#define SORVEL_FITNESS_WEIGHT_FUNCTIONS_H_

#include <cstdint>
#include <string>

/// A weight function: its name and its weight of the misfit angle x
/// (radians, 0 to pi), computed in double precision from the float angle.
struct WeightFunction {
  int8_t id;         // 1 to 4, its number in the menu
  const char* name;  // "cosine", "linear", "tangent", "hyperbolic tangent"
  double (*weight)(float x);
  /// The same formula of an angle in double precision, for states between
  /// the grid's; of a float angle it gives the weight above to the bit.
  double (*weight_of_double)(double x);
  /// The same of the angle's cosine d (-1 to 1): the cosine weight is
  /// 0.5 d + 0.5 itself, without the round trip through the arccosine;
  /// the others take the arccosine.
  double (*weight_of_cosine)(double d);
  /// Its derivative in d at the cosine d where the weight is w (as
  /// weight_of_cosine gives it), for the gradient of a refined state's
  /// summed score: from d and w alone, without the arccosine; 0 at d = -1
  /// and 1, where the arccosine has no derivative.
  double (*slope)(double d, double w);
  /// weight_of_cosine over a run: each of the n cosines (-1 to 1) in
  /// `values` replaced by its weight, to the bit as one at a time, but
  /// several at a time (two in SSE2, four in AVX2).
  void (*weights_of_cosines)(double* values, int32_t n);
  /// slope over a run: slopes[j] = slope(d[j], w[j]), to the bit, several
  /// at a time.
  void (*slopes_of_cosines)(const double* d, const double* w, int32_t n, double* slopes);
};

double weight_cosine(float x);
double weight_linear(float x);
double weight_tangent(float x);
double weight_hyperbolic_tangent(float x);

double weight_cosine_of_double(double x);
double weight_linear_of_double(double x);
double weight_tangent_of_double(double x);
double weight_hyperbolic_tangent_of_double(double x);

/// The function of number id (1 to 4).
const WeightFunction& weight_function_of(int id);

/// The name of function id, blank-padded to 40 characters.
std::string padded_weight_name(int id);

/// The score of a weight: nearest whole number to 200 w - 100, halves away
/// from zero, formed in double precision.
int8_t score_of_weight(double w);

#endif  // SORVEL_FITNESS_WEIGHT_FUNCTIONS_H_
