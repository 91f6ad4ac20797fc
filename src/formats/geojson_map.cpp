#include "formats/geojson_map.h"

#include "formats/report_fields.h"

using report_fields::Json;
using report_fields::rounded;

namespace {

Json optional_number(const std::optional<double>& value, int decimals) {
  return value ? Json(rounded(*value, decimals)) : Json(nullptr);
}

Json feature_of(const MapRecord& r) {
  Json properties;
  properties["site"] = r.name;
  if (r.population) properties["population"] = *r.population;
  properties["shmax"] = optional_number(r.shmax, 1);
  properties["regime"] = r.regime;
  properties["quality"] = std::string(1, r.quality);
  properties["shmax_halfwidth"] = optional_number(r.shmax_halfwidth, 2);
  properties["r_prime"] = rounded(r.r_prime, 1);
  properties["phi"] = rounded(r.phi, 1);
  properties["sigma1"] = report_fields::axis_json(r.sigma1);
  properties["sigma2"] = report_fields::axis_json(r.sigma2);
  properties["sigma3"] = report_fields::axis_json(r.sigma3);
  properties["data_count"] = r.data_count;
  properties["mean_misfit"] = rounded(r.mean_misfit, 1);
  properties["sigma1_cone"] = optional_number(r.sigma1_cone, 1);
  properties["sigma3_cone"] = optional_number(r.sigma3_cone, 1);
  // Positions to a millionth of a degree (about 0.1 m), as RFC 7946 advises.
  Json geometry = {{"type", "Point"},
                   {"coordinates", Json::array({rounded(*r.lon, 6), rounded(*r.lat, 6)})}};
  return Json{{"type", "Feature"}, {"geometry", geometry}, {"properties", properties}};
}

}  // namespace

std::string geojson_map(const std::vector<MapRecord>& records) {
  Json features = Json::array();
  for (const MapRecord& r : records)
    if (r.lat && r.lon) features.push_back(feature_of(r));
  Json collection = {{"type", "FeatureCollection"}, {"features", features}};
  std::string text;
  report_fields::layout(collection, 0, text);
  return text + "\n";
}
