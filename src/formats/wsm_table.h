// The stress map as a table in the World Stress Map database's columns,
// as far as an inversion of fault-slip data fills them:
// ID,SITE,LAT,LON,AZI,TYPE,QUALITY,REGIME,NUMBER,SD,S1AZ,S1PL,S2AZ,S2PL,
// S3AZ,S3PL,COMMENT. TYPE is GFI (geological fault-slip inversion) for
// every record; AZI is SHmax in whole degrees, 999 where it is undefined;
// SD is the half-width of the 95 % SHmax interval of the bootstrap; LAT
// and LON are empty for a site at no known position; COMMENT names the
// weight function and the resamples.
#ifndef SORVEL_FORMATS_WSM_TABLE_H_
#define SORVEL_FORMATS_WSM_TABLE_H_

#include <string>
#include <vector>

#include "formats/map_records.h"

/// The header and one row per record, each ended by a line end.
std::string wsm_table(const std::vector<MapRecord>& records);

#endif  // SORVEL_FORMATS_WSM_TABLE_H_
