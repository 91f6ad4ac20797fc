#include "formats/wsm_table.h"

#include <cmath>

#include "formats/report_fields.h"

using report_fields::csv_text;
using report_fields::decimals;

namespace {

// SHmax as the map's azimuth: whole degrees 0 to 179, 999 where undefined.
std::string azimuth_text(const std::optional<double>& shmax) {
  if (!shmax) return "999";
  long azimuth = std::lround(*shmax) % 180;
  return std::to_string(azimuth);
}

std::string comment_of(const MapRecord& r) {
  std::string comment = "sorvel; weight " + r.weight_function;
  comment += r.resamples > 0 ? "; " + std::to_string(r.resamples) + " resamples" : "; no bootstrap";
  return comment;
}

}  // namespace

std::string wsm_table(const std::vector<MapRecord>& records) {
  std::string text = "ID,SITE,LAT,LON,AZI,TYPE,QUALITY,REGIME,NUMBER,SD,S1AZ,S1PL,S2AZ,S2PL,"
                     "S3AZ,S3PL,COMMENT\n";
  for (std::size_t i = 0; i < records.size(); ++i) {
    const MapRecord& r = records[i];
    std::vector<std::string> f = {std::to_string(i + 1),
                                  csv_text(r.name),
                                  r.lat ? decimals(*r.lat, 6) : "",
                                  r.lon ? decimals(*r.lon, 6) : "",
                                  azimuth_text(r.shmax),
                                  "GFI",
                                  std::string(1, r.quality),
                                  r.regime,
                                  std::to_string(r.data_count),
                                  r.shmax_halfwidth ? decimals(*r.shmax_halfwidth, 2) : ""};
    for (const WholeDegreeAxis& a : {r.sigma1, r.sigma2, r.sigma3}) {
      f.push_back(std::to_string(a.azimuth));
      f.push_back(std::to_string(a.plunge));
    }
    f.push_back(csv_text(comment_of(r)));
    text += report_fields::csv_line(f);
  }
  return text;
}
