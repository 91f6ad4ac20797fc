// How far apart two stress states are, whatever frame they are given in:
// the angle between their deviatoric stress tensors, each scaled to unit
// length (Frobenius norm). 0 degrees is the same state, 180 the opposite
// one (sigma1 and sigma3 swapped with the stress ratio mirrored, Phi and
// 1 - Phi). A reduced tensor with principal values 1, Phi and 0 always
// has a deviatoric part, so the angle is always defined.
//
// Between states of Phi 0.5, a turn of the axes by t about sigma2 gives
// 2t, about sigma1 or sigma3 acos((1 + cos^2 t) / 2), close to t; Phi 0
// against Phi 1 on the same axes gives 60 degrees.
#ifndef SORVEL_ANALYSES_POPULATIONS_STRESS_DIFFERENCE_H_
#define SORVEL_ANALYSES_POPULATIONS_STRESS_DIFFERENCE_H_

#include <cstdint>

#include "common/tables.h"

/// The deviatoric part of a symmetric tensor, scaled to unit length:
/// the six independent components xx, yy, zz, xy, xz, yz.
struct UnitDeviator {
  double d[6];
};

/// From a tensor of nine components stored column by column.
UnitDeviator unit_deviator(const float* tensor);

/// The angle between two unit deviators, degrees, 0 to 180.
double deviator_angle(const UnitDeviator& a, const UnitDeviator& b);

/// The stress difference of GridPoints a and b (1-based); gss must hold
/// the stress tensors.
double gridpoint_stress_difference(const Gss& gss, int32_t a, int32_t b);

#endif  // SORVEL_ANALYSES_POPULATIONS_STRESS_DIFFERENCE_H_
