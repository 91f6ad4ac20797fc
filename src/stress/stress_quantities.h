// What a geologist reads off a stress state: its regime in the classes of
// the World Stress Map (Zoback 1992), the azimuth of the greatest
// horizontal stress SHmax (Lund and Townend 2007, for any orientation of
// the axes), the ratio R' that runs through the regimes from radial
// extension to radial compression (Delvaux et al. 1997), and where each
// fault plane lies on the Mohr diagram of the state.
#ifndef SORVEL_STRESS_STRESS_QUANTITIES_H_
#define SORVEL_STRESS_STRESS_QUANTITIES_H_

#include <optional>

#include "common/types.h"
#include "geometry/vectors.h"

/// The principal axes of a stress state, unit vectors (either end).
struct PrincipalAxes {
  Vec3d sigma1;
  Vec3d sigma2;
  Vec3d sigma3;
};

/// The axes of a GridPoint: sigma1 and sigma3 are the rows 1 and 3 of its
/// Euler matrix, and sigma2 = sigma3 x sigma1, as the summary line gives it.
PrincipalAxes principal_axes(const GridPoint& point);

/// A stress state of any orientation and Phi, between the grid's states
/// as well as on them.
struct ContinuousState {
  PrincipalAxes axes;  // orthonormal, sigma3 = sigma1 x sigma2
  double phi;          // 0 to 1
};

/// The state of a GridPoint, its Phi at the tenth that its files give.
ContinuousState continuous_state(const GridPoint& point);

/// The plunge of an axis in degrees, 0 (horizontal) to 90 (vertical).
double axis_plunge(Vec3d axis);

/// The angle between two axes in degrees, 0 to 90: their ends do not count.
double axis_angle(Vec3d a, Vec3d b);

/// The World Stress Map's classes: normal faulting, normal with a
/// strike-slip part, strike-slip, thrust with a strike-slip part, thrust
/// faulting, and unknown for axes that fit none of them.
enum class StressRegime { NF, NS, SS, TS, TF, U };

/// "NF", "NS", "SS", "TS", "TF" or "U".
const char* regime_code(StressRegime regime);

/// The class of the plunges of sigma1, sigma2 and sigma3 in degrees.
StressRegime stress_regime(double sigma1_plunge, double sigma2_plunge, double sigma3_plunge);

/// The SHmax azimuth in degrees, 0 to under 180, of the reduced stress
/// with principal values 1, phi and 0; nothing where the horizontal
/// stresses are (nearly) equal and no horizontal direction is greatest.
std::optional<double> shmax_azimuth(Vec3d sigma1, Vec3d sigma2, double phi);

/// R': phi where sigma1 is the steepest axis, 2 - phi where sigma2 is,
/// 2 + phi where sigma3 is; an axis must be strictly steeper than the
/// ones before it in the order sigma1, sigma2, sigma3 to count as the
/// steepest.
double r_prime(const PrincipalAxes& axes, double phi);

struct StressQuantities {
  StressRegime regime;
  std::optional<double> shmax;  // degrees
  double r_prime;
};

StressQuantities stress_quantities(const PrincipalAxes& axes, double phi);

/// A plane on the Mohr diagram of the reduced stress (sigma1 = 1,
/// sigma2 = phi, sigma3 = 0): the normal stress and the magnitude of the
/// shear stress on the plane of unit normal n.
struct MohrPoint {
  double normal;
  double shear;
};

MohrPoint mohr_point(const PrincipalAxes& axes, double phi, Vec3d n);

#endif  // SORVEL_STRESS_STRESS_QUANTITIES_H_
