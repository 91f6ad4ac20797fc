// Where a data set was measured: a site's name and, when known, its
// position in WGS 84 decimal degrees. The reports carry it, so that a
// table of sites becomes a map.
#ifndef SORVEL_COMMON_SITE_H_
#define SORVEL_COMMON_SITE_H_

#include <optional>
#include <string>
#include <string_view>

struct Site {
  std::string name;
  std::optional<double> lat;  // degrees north, -90 to 90
  std::optional<double> lon;  // degrees east, -180 to 180
};

/// The name a site has when none is given: the data file's name without
/// its folder and its extension ("data/NF-12.fdt" gives "NF-12").
std::string default_site_name(std::string_view data_file);

/// A latitude (`limit` 90) or longitude (`limit` 180) in decimal degrees,
/// from -limit to limit, or nothing.
std::optional<double> parse_coordinate(std::string_view text, double limit);

#endif  // SORVEL_COMMON_SITE_H_
