#include "support/synthetic_data.h"

#include <cmath>
#include <cstdio>
#include <random>

#include "data/fault_geometry.h"
#include "geometry/vectors.h"

namespace {


struct V {
  double x, y, z;
};

V axis(double azimuth, double plunge) {
  double a = azimuth * DEGREE, p = plunge * DEGREE;
  return {std::cos(p) * std::sin(a), std::cos(p) * std::cos(a), -std::sin(p)};
}

double dot(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V cross(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V scale(V a, double s) { return {a.x * s, a.y * s, a.z * s}; }
V sub(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V add(V a, V b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

void trend_plunge(V v, double& azimuth, double& plunge) {
  double n = std::sqrt(dot(v, v));
  plunge = std::asin(-v.z / n) / DEGREE;
  azimuth = std::fmod(std::atan2(v.x, v.y) / DEGREE + 360.0, 360.0);
}

V unit(V v) { return scale(v, 1.0 / std::sqrt(dot(v, v))); }

// v turned by `angle` radians about the unit axis k (Rodrigues).
V turned(V v, V k, double angle) {
  double c = std::cos(angle), s = std::sin(angle);
  return add(add(scale(v, c), scale(cross(k, v), s)), scale(k, dot(k, v) * (1.0 - c)));
}

// The datum of a plane with its downward normal `n` and the hanging
// wall's slip: the line by its downward end, N or R, or D or S for a
// nearly horizontal slip line.
std::string datum_text(V n, V slip) {
  if (n.z > 0) {  // turned past the horizontal: the other block is the hanging wall
    n = scale(n, -1.0);
    slip = scale(slip, -1.0);
  }
  double plane_dip = std::acos(std::fmin(-n.z, 1.0)) / DEGREE;
  double plane_direction = std::fmod(std::atan2(-n.x, -n.y) / DEGREE + 360.0, 360.0);
  bool line_is_slip = slip.z <= 0;
  double azimuth, plunge;
  trend_plunge(line_is_slip ? slip : scale(slip, -1.0), azimuth, plunge);
  char sense = line_is_slip ? 'N' : 'R';
  if (std::fabs(slip.z) < 0.05) {
    double side = std::sin((azimuth - plane_direction) * DEGREE);
    sense = (side > 0) == line_is_slip ? 'D' : 'S';
  }
  char text[96];
  std::snprintf(text, sizeof text, "%.2f %.2f %.2f %.2f %c", plane_direction, plane_dip, azimuth,
                plunge, sense);
  return text;
}

}  // namespace

std::string noisy_synthetic_datum(const StressState& state, double dip_direction, double dip,
                                  double noise, std::mt19937& random) {
  V e1 = axis(state.sigma1_azimuth, state.sigma1_plunge);
  V e3 = axis(state.sigma3_azimuth, state.sigma3_plunge);
  V e2 = cross(e3, e1);
  double a = dip_direction * DEGREE, d = dip * DEGREE;
  V n = {-std::sin(a) * std::sin(d), -std::cos(a) * std::sin(d), -std::cos(d)};
  V t = add(scale(e1, dot(e1, n)), scale(e2, state.phi * dot(e2, n)));
  V tau = sub(t, scale(n, dot(t, n)));
  if (std::sqrt(dot(tau, tau)) < 0.05) return "";
  V slip = unit(tau);  // the hanging wall's slip, as synthetic_datum has it
  std::normal_distribution<double> error(0.0, noise * DEGREE);
  std::normal_distribution<double> component(0.0, 1.0);
  V k = unit(V{component(random), component(random), component(random)});
  double tilt = error(random);
  n = turned(n, k, tilt);
  slip = turned(slip, k, tilt);
  slip = turned(slip, n, error(random));
  return datum_text(n, slip);
}

std::string synthetic_datum(const StressState& state, double dip_direction, double dip,
                            bool strike_slip_senses) {
  V e1 = axis(state.sigma1_azimuth, state.sigma1_plunge);
  V e3 = axis(state.sigma3_azimuth, state.sigma3_plunge);
  V e2 = cross(e3, e1);
  double a = dip_direction * DEGREE, d = dip * DEGREE;
  V n = {-std::sin(a) * std::sin(d), -std::cos(a) * std::sin(d), -std::cos(d)};
  // Traction S n of the reduced tensor S = e1 e1^T + phi e2 e2^T.
  V t = add(scale(e1, dot(e1, n)), scale(e2, state.phi * dot(e2, n)));
  V tau = sub(t, scale(n, dot(t, n)));
  double length = std::sqrt(dot(tau, tau));
  if (length < 0.05) return "";
  bool line_is_slip = tau.z <= 0;
  V line = line_is_slip ? tau : scale(tau, -1.0);
  double azimuth, plunge;
  trend_plunge(line, azimuth, plunge);
  char sense;
  if (!strike_slip_senses) {
    sense = line_is_slip ? 'N' : 'R';
  } else {
    double side = std::sin((azimuth - dip_direction) * DEGREE);
    if (std::fabs(side) < 0.05) return "";
    sense = (side > 0) == line_is_slip ? 'D' : 'S';
  }
  char text[96];
  std::snprintf(text, sizeof text, "%.2f %.2f %.2f %.2f %c", dip_direction, dip, azimuth, plunge,
                sense);
  return text;
}

std::string synthetic_data_file(const StressState& state, int count, unsigned seed,
                                bool strike_slip_senses) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> azimuth(0.0, 360.0);
  std::uniform_real_distribution<double> dip(15.0, 85.0);
  std::string text;
  int made = 0;
  while (made < count) {
    std::string line = synthetic_datum(state, azimuth(random), dip(random), strike_slip_senses);
    if (line.empty()) continue;
    text += line + "\n";
    ++made;
  }
  return text;
}

std::string field_synthetic_data_file(const StressState& state, int count, unsigned seed,
                                      double bedding_dip_direction, double bedding_dip,
                                      bool overturned, double rotation) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> azimuth(0.0, 360.0);
  std::uniform_real_distribution<double> dip(15.0, 85.0);
  V e1 = axis(state.sigma1_azimuth, state.sigma1_plunge);
  V e3 = axis(state.sigma3_azimuth, state.sigma3_plunge);
  V e2 = cross(e3, e1);
  const V up = {0, 0, 1};
  // The tilt takes the vertical onto the bedding's upward pole, about
  // the line square to both; an overturned bed has gone 180 degrees on.
  V pole = scale(axis(bedding_dip_direction + 180.0, 90.0 - bedding_dip), -1.0);
  V k = unit(cross(up, pole));
  double tilt = (bedding_dip + (overturned ? 180.0 : 0.0)) * DEGREE;
  V check = turned(up, k, bedding_dip * DEGREE);
  if (dot(check, pole) < 1 - 1e-12) return "the tilt misses the bedding";
  std::string text;
  for (int made = 0; made < count;) {
    double a = azimuth(random) * DEGREE, d = dip(random) * DEGREE;
    V n = {-std::sin(a) * std::sin(d), -std::cos(a) * std::sin(d), -std::cos(d)};
    V t = add(scale(e1, dot(e1, n)), scale(e2, state.phi * dot(e2, n)));
    V tau = sub(t, scale(n, dot(t, n)));
    if (std::sqrt(dot(tau, tau)) < 0.05) continue;
    V slip = unit(tau);
    // Turned clockwise about the vertical, then tilted.
    n = turned(turned(n, up, -rotation * DEGREE), k, tilt);
    slip = turned(turned(slip, up, -rotation * DEGREE), k, tilt);
    if (std::fabs(slip.z) < 0.1) continue;  // N or R decide it with room to spare
    text += datum_text(n, slip) + "\n";
    ++made;
  }
  return text;
}

double axis_angle(double az1, double pl1, double az2, double pl2) {
  double c = std::fabs(dot(axis(az1, pl1), axis(az2, pl2)));
  return std::acos(std::fmin(c, 1.0)) / DEGREE;
}

CdmLine parse_cdm_line(const std::string& line) {
  CdmLine l{};
  std::sscanf(line.substr(0, 3).c_str(), "%d", &l.s1_azimuth);
  std::sscanf(line.substr(3, 3).c_str(), "%d", &l.s1_plunge);
  std::sscanf(line.substr(6, 4).c_str(), "%d", &l.s3_azimuth);
  std::sscanf(line.substr(10, 3).c_str(), "%d", &l.s3_plunge);
  std::sscanf(line.substr(13, 3).c_str(), "%d", &l.phi_tenths);
  std::sscanf(line.substr(16, 8).c_str(), "%d", &l.fitness);
  return l;
}

StressState random_stress_state(std::mt19937& random) {
  std::normal_distribution<double> g(0.0, 1.0);
  std::uniform_real_distribution<double> phi(0.0, 1.0);
  Vec3d s1 = unit_vector(Vec3d{g(random), g(random), g(random)});
  Vec3d r{g(random), g(random), g(random)};
  double along = dot(r, s1);
  Vec3d s3 = unit_vector(Vec3d{r.x - along * s1.x, r.y - along * s1.y, r.z - along * s1.z});
  TrendPlunge a1 = downward_trend_plunge(s1), a3 = downward_trend_plunge(s3);
  return StressState{a1.trend, a1.plunge, a3.trend, a3.plunge, phi(random)};
}

static FaultDatum prepared_datum(const std::string& line) {
  FaultDatum d{};
  char sense = 'N';
  std::sscanf(line.c_str(), "%f %f %f %f %c", &d.dip_direction, &d.dip_angle, &d.slip_azimuth,
              &d.slip_plunge, &sense);
  d.sense = sense;
  prepare_datum_geometry(d);
  return d;
}

std::vector<FaultDatum> noisy_data_set(const StressState& truth, int count, double noise,
                                       std::mt19937& random) {
  std::uniform_real_distribution<double> direction(0.0, 360.0), dip(15.0, 85.0);
  std::vector<FaultDatum> data;
  while (static_cast<int>(data.size()) < count) {
    std::string line = noisy_synthetic_datum(truth, direction(random), dip(random), noise, random);
    if (!line.empty()) data.push_back(prepared_datum(line));
  }
  return data;
}
