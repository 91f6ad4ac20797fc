// Fault geometry: the worked data of the normal, slip and sense rules.
#include "data/fault_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/constants.h"

namespace {

const float TOL = 3e-7f;

FaultDatum datum(float dip_direction, float dip, float azimuth, float plunge, char sense) {
  FaultDatum d{};
  d.dip_direction = dip_direction;
  d.dip_angle = dip;
  d.slip_azimuth = azimuth;
  d.slip_plunge = plunge;
  d.sense = sense;
  prepare_datum_geometry(d);
  return d;
}

void expect_vec(Vec3 expected, Vec3 actual) {
  EXPECT_NEAR(expected.x, actual.x, TOL);
  EXPECT_NEAR(expected.y, actual.y, TOL);
  EXPECT_NEAR(expected.z, actual.z, TOL);
}

TEST(FaultGeometryTest, PoleOfPlaneIsNotReduced) {
  Orientation pole = pole_of_plane(Orientation{5.0f, 0.5f});
  EXPECT_EQ(5.0f + PI, pole.azimuth);
  EXPECT_EQ(PI_HALF - 0.5f, pole.plunge);
}

TEST(FaultGeometryTest, StrikeSlipSenses) {
  // Dip direction 90, dip 60, slip azimuth 180 (south), horizontal.
  FaultDatum d = datum(90.0f, 60.0f, 180.0f, 0.0f, 'D');
  expect_vec({-0.8660254f, 0.0f, -0.5f}, d.normal_vector);
  Orientation plane = {90.0f * DEG_TO_RAD, 60.0f * DEG_TO_RAD};
  Orientation slip = {180.0f * DEG_TO_RAD, 0.0f};
  EXPECT_NEAR(PI_HALF, horizontal_slip_angle(plane, slip), 1e-6f);
  expect_vec({0.0f, -1.0f, 0.0f}, d.slip_vector);
  expect_vec({0.0f, 1.0f, 0.0f}, datum(90.0f, 60.0f, 180.0f, 0.0f, 'S').slip_vector);
  // Slip azimuth on the other side of the dip direction: the senses swap.
  expect_vec({0.0f, -1.0f, 0.0f}, datum(90.0f, 60.0f, 0.0f, 0.0f, 'd').slip_vector);
  expect_vec({0.0f, 1.0f, 0.0f}, datum(90.0f, 60.0f, 0.0f, 0.0f, 's').slip_vector);
}

TEST(FaultGeometryTest, DipSlipSenses) {
  expect_vec({0.8660254f, 0.0f, -0.5f}, datum(90.0f, 30.0f, 90.0f, 30.0f, 'N').slip_vector);
  expect_vec({-0.8660254f, 0.0f, 0.5f}, datum(90.0f, 30.0f, 90.0f, 30.0f, 'R').slip_vector);
  // Slip down the dip direction: D and S leave it as it is.
  expect_vec({0.8660254f, 0.0f, -0.5f}, datum(90.0f, 30.0f, 90.0f, 30.0f, 'D').slip_vector);
  expect_vec({0.8660254f, 0.0f, -0.5f}, datum(90.0f, 30.0f, 90.0f, 30.0f, 'S').slip_vector);
  // A negative plunge is taken as it stands.
  EXPECT_GT(datum(90.0f, 30.0f, 90.0f, -30.0f, 'N').slip_vector.z, 0.0f);
}

TEST(FaultGeometryTest, EqualAzimuthsGiveZeroSlipAngle) {
  Orientation plane = {1.25f, 0.5f};
  EXPECT_EQ(0.0f, horizontal_slip_angle(plane, Orientation{1.25f, 0.3f}));
}

TEST(FaultGeometryTest, HorizontalAndVerticalPlanes) {
  FaultDatum flat = datum(37.0f, 0.0f, 37.0f, 0.0f, 'N');
  expect_vec({0.0f, 0.0f, -1.0f}, flat.normal_vector);
  float a = 30.0f * DEG_TO_RAD;
  FaultDatum vertical = datum(30.0f, 90.0f, 120.0f, 0.0f, 'N');
  expect_vec({-std::sin(a), -std::cos(a), 0.0f}, vertical.normal_vector);
}

TEST(FaultGeometryTest, LowerCaseSensesMatchUpperCase) {
  for (const char* pair : {"Nn", "Rr", "Ss", "Dd"}) {
    FaultDatum upper = datum(212.0f, 47.0f, 140.0f, 22.0f, pair[0]);
    FaultDatum lower = datum(212.0f, 47.0f, 140.0f, 22.0f, pair[1]);
    EXPECT_EQ(upper.slip_vector.x, lower.slip_vector.x) << pair;
    EXPECT_EQ(upper.slip_vector.y, lower.slip_vector.y) << pair;
    EXPECT_EQ(upper.slip_vector.z, lower.slip_vector.z) << pair;
  }
}

TEST(FaultGeometryTest, WholeArrayAndEmptyArray) {
  FaultSet faults;
  faults.data = {FaultDatum{90.0f, 30.0f, 90.0f, 30.0f, 'R', {9, 9, 9}, {9, 9, 9}},
                 FaultDatum{90.0f, 60.0f, 180.0f, 0.0f, 'S', {9, 9, 9}, {9, 9, 9}}};
  const std::vector<FaultDatum>& data = faults.data;
  prepare_fault_geometry(faults);
  EXPECT_EQ(9.0f, data[0].slip_vector.x);  // count 0: untouched
  faults.count = 2;
  prepare_fault_geometry(faults);
  prepare_fault_geometry(faults);  // a second call gives the same vectors
  expect_vec({-0.8660254f, 0.0f, 0.5f}, data[0].slip_vector);
  expect_vec({0.0f, 1.0f, 0.0f}, data[1].slip_vector);
  EXPECT_EQ(90.0f, data[1].dip_direction);
  EXPECT_EQ('S', data[1].sense);
}

}  // namespace
