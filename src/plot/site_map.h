// A map of sites for a figure: a longitude/latitude frame (plate carree,
// longitudes shortened by the cosine of the middle latitude, so that the
// map is true to scale along it) with a graticule and its labels; at each
// site a bar along SHmax coloured by regime as the World Stress Map
// colours it (NF red, NS and SS green, TS and TF blue, U black), long for
// quality A and shorter for B, C and D, a dot for E; a scale bar; a
// legend; each site's name beside its bar where it collides with no other
// name or bar. However close the sites, the frame spans at least two
// kilometres, so one site or sites within a kilometre give a readable map.
#ifndef SORVEL_PLOT_SITE_MAP_H_
#define SORVEL_PLOT_SITE_MAP_H_

#include <string>
#include <vector>

#include "formats/map_records.h"

struct SiteMap {
  std::string svg;
  int names_left_out = 0;  // names that found no free place
};

/// The map of the records that have a position (at least one).
SiteMap site_map_picture(const std::vector<MapRecord>& records);

#endif  // SORVEL_PLOT_SITE_MAP_H_
