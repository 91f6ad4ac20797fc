// The geometry of the notations geologists write fault-slip data in,
// worked in double precision in the east-north-up frame of the rest of
// the program (x east, y north, z up; azimuths clockwise from north,
// plunges positive downward, all angles in degrees).
//
// Conventions of the conversions:
//  - right-hand-rule strike: the plane dips 90 degrees clockwise of it;
//  - quadrant strike: the plane dips to whichever of strike +-90 lies on
//    the side that the dip quadrant letter names;
//  - rake (Aki and Richards 1980, Quantitative Seismology, fig. 4.13): the
//    angle in the plane from the right-hand-rule strike direction to the
//    motion of the hanging wall, positive upward; so 0 is sinistral, 180
//    dextral, +90 reverse and -90 normal;
//  - pitch: the angle in the plane from the strike end that a letter names
//    down towards the dip;
//  - a slip line is written by its downward end.
#ifndef SORVEL_IMPORT_SLIP_GEOMETRY_H_
#define SORVEL_IMPORT_SLIP_GEOMETRY_H_

#include "geometry/vectors.h"

/// Of the two opposite azimuths `azimuth` and `azimuth` + 180, the one
/// within 90 degrees of the compass direction `letter_azimuth`; false when
/// the letter is square to both and so names neither.
bool side_of_letter(double azimuth, double letter_azimuth, double& chosen);

/// The downward pole of a plane (dip direction, dip).
Vec3d plane_pole(double dip_direction, double dip);

/// Motion of the hanging wall for a rake on the plane (dip direction, dip).
Vec3d motion_of_rake(double dip_direction, double dip, double rake);

/// The slip line at `pitch` from the strike end at `end_azimuth`, towards
/// the dip.
Vec3d line_of_pitch(double dip_direction, double dip, double end_azimuth, double pitch);

/// The line of the plane whose trend, of one end or the other, is `trend`.
Vec3d line_of_trend_in_plane(double dip_direction, double dip, double trend);

/// Angle between a line and a plane, 0 to 90 degrees.
double angle_to_plane(Vec3d line, Vec3d pole);
/// The line projected onto the plane, unit length.
Vec3d projected_onto_plane(Vec3d line, Vec3d pole);

/// Components of a motion along the right-hand-rule strike direction
/// (positive: sinistral) and down the dip (positive: normal).
struct MotionParts {
  double along_strike;
  double down_dip;
};
MotionParts parts_of_motion(Vec3d motion, double dip_direction, double dip);

/// The sense letter of a hanging-wall motion: its larger part decides, so
/// that the letter orients the line robustly; down the dip N, up R, along
/// the right-hand-rule strike S, against it D. Rakes -45 to -135 are thus
/// N, 45 to 135 R, -45 to 45 S and the rest D.
char sense_of_motion(MotionParts parts);

#endif  // SORVEL_IMPORT_SLIP_GEOMETRY_H_
