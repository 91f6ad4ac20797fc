// The stress map for a GIS: a GeoJSON FeatureCollection (RFC 7946), one
// Point feature [lon, lat] per site or population, whose properties are
// the stress state (site, shmax, regime, quality, shmax_halfwidth,
// r_prime, phi, sigma1, sigma2, sigma3 as [trend, plunge], data_count,
// mean_misfit, sigma1_cone, sigma3_cone, and population for a MIM run).
#ifndef SORVEL_FORMATS_GEOJSON_MAP_H_
#define SORVEL_FORMATS_GEOJSON_MAP_H_

#include <string>
#include <vector>

#include "formats/map_records.h"

/// The collection of the records that have a position, ended by a line end.
std::string geojson_map(const std::vector<MapRecord>& records);

#endif  // SORVEL_FORMATS_GEOJSON_MAP_H_
