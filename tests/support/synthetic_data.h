// Fault-slip data made from a known stress state with the program's own
// conventions: the slip is the direction of the resolved shear traction,
// the line is given by its downward end, and the sense letter says how
// the program must turn it back.
#ifndef SORVEL_TESTS_SUPPORT_SYNTHETIC_DATA_H_
#define SORVEL_TESTS_SUPPORT_SYNTHETIC_DATA_H_

#include <random>
#include <string>
#include <vector>

#include "common/types.h"

struct StressState {
  double sigma1_azimuth, sigma1_plunge;  // degrees
  double sigma3_azimuth, sigma3_plunge;  // degrees, perpendicular to sigma1
  double phi;
};

/// One datum line "dipdir dip azimuth plunge sense" for the plane, or an
/// empty text when the plane carries almost no shear.
std::string synthetic_datum(const StressState& state, double dip_direction, double dip,
                            bool strike_slip_senses);

/// The datum of synthetic_datum measured with errors: the plane and its
/// slip turned together about a random axis by a normally distributed
/// angle of standard deviation `noise` degrees, then the slip turned
/// within the plane by another such angle. Empty when the plane carries
/// almost no shear. The sense is N or R, or D or S for a nearly
/// horizontal slip line.
std::string noisy_synthetic_datum(const StressState& state, double dip_direction, double dip,
                                  double noise, std::mt19937& random);

/// A stress state of random orientation: sigma1 uniform on the sphere,
/// sigma3 uniform about it, Phi uniform from 0 to 1.
StressState random_stress_state(std::mt19937& random);

/// `count` data of noisy_synthetic_datum on planes of random dip
/// direction and a dip of 15 to 85 degrees, each read as single-precision
/// values and prepared as the data file reader prepares a datum.
std::vector<FaultDatum> noisy_data_set(const StressState& truth, int count, double noise,
                                       std::mt19937& random);

/// `count` data on random planes (fixed seed), one per line.
std::string synthetic_data_file(const StressState& state, int count, unsigned seed,
                                bool strike_slip_senses = false);

/// The data of `count` random planes under `state`, as measured today at
/// a site that has since turned clockwise by `rotation` degrees about the
/// vertical and was then tilted: a bed horizontal at the time of faulting
/// dips now `bedding_dip` towards `bedding_dip_direction` (overturned: it
/// has gone past the vertical). Senses N or R.
std::string field_synthetic_data_file(const StressState& state, int count, unsigned seed,
                                      double bedding_dip_direction, double bedding_dip,
                                      bool overturned, double rotation);

/// Angle in degrees between two axes (lines, sense ignored).
double axis_angle(double az1, double pl1, double az2, double pl2);

/// Fields of a CDM results line.
struct CdmLine {
  int s1_azimuth, s1_plunge, s3_azimuth, s3_plunge, phi_tenths, fitness;
};
CdmLine parse_cdm_line(const std::string& line);

#endif  // SORVEL_TESTS_SUPPORT_SYNTHETIC_DATA_H_
