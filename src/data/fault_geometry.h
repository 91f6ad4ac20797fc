// Unit normal and unit slip vector of every fault-slip datum.
#ifndef SORVEL_DATA_FAULT_GEOMETRY_H_
#define SORVEL_DATA_FAULT_GEOMETRY_H_

#include "common/tables.h"
#include "common/types.h"

/// Fills normal_vector and slip_vector of every datum of the set.
void prepare_fault_geometry(FaultSet& faults);

/// The same for one datum.
void prepare_datum_geometry(FaultDatum& datum);

/// Pole of a plane (dip direction a, dip d): (a + pi, pi/2 - d).
Orientation pole_of_plane(Orientation plane);

/// Angle in [-pi/2, pi/2] whose sign tells on which side of the dip
/// direction the slip azimuth lies (positive: 0 to 180 degrees clockwise).
float horizontal_slip_angle(Orientation plane, Orientation slip);

#endif  // SORVEL_DATA_FAULT_GEOMETRY_H_
