#include "data/data_checks.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <tuple>

#include "common/number_format.h"
#include "data/fault_geometry.h"
#include "formats/state_text.h"
#include "geometry/vectors.h"
#include "math/double_functions.h"

namespace {

// ---- sense words ----

// What a word of the fifth value means to a geologist: the senses it
// names, and whether it names them together (an oblique slip,
// "reverse-dextral") or leaves the choice open ("strike-slip").
struct WordMeaning {
  std::string senses;  // upper-case letters in the word's order; empty: not known
  bool either = false;
};

struct NamedSense {
  const char* folded;  // lower-case letters only
  char sense;
};

// Longest first where one word begins another, so that "rightlateral"
// counts once and not as "right" too.
const NamedSense WORDS_WITHIN[] = {
    {"rightlateral", 'D'}, {"leftlateral", 'S'}, {"sinistral", 'S'}, {"dextral", 'D'},
    {"reverse", 'R'},      {"inverse", 'R'},     {"normal", 'N'},    {"thrust", 'R'},
    {"right", 'D'},        {"left", 'S'}};

std::string folded_letters(const std::string& word) {
  std::string folded;
  for (char c : word) {
    if (std::isalpha(static_cast<unsigned char>(c)))
      folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return folded;
}

WordMeaning meaning_of_word(const std::string& word) {
  std::string folded = folded_letters(word);
  if (folded == "rl") return {"D"};
  if (folded == "ll") return {"S"};
  if (folded == "strikeslip") return {"DS", true};
  if (folded == "dipslip") return {"NR", true};
  WordMeaning meaning;
  for (std::size_t i = 0; i < folded.size();) {
    const NamedSense* found = nullptr;
    for (const NamedSense& named : WORDS_WITHIN) {
      if (folded.compare(i, std::string(named.folded).size(), named.folded) == 0) {
        found = &named;
        break;
      }
    }
    if (found == nullptr) {
      ++i;
      continue;
    }
    if (meaning.senses.find(found->sense) == std::string::npos) meaning.senses += found->sense;
    i += std::string(found->folded).size();
  }
  return meaning;
}

const char* sense_name(char sense) {
  switch (sense) {
    case 'N': return "normal";
    case 'R': return "reverse";
    case 'S': return "sinistral";
    default: return "dextral";
  }
}

std::string sense_letter_text(char sense) {
  return std::string(1, sense) + " (" + sense_name(sense) + ")";
}

// "D or S"
std::string letters_or(const std::string& senses) {
  std::string text;
  for (std::size_t i = 0; i < senses.size(); ++i)
    text += (i == 0 ? "" : i + 1 == senses.size() ? " or " : ", ") + std::string(1, senses[i]);
  return text;
}

// The slip vector of `datum` read with `sense`.
Vec3d slip_read_with(FaultDatum datum, char sense) {
  datum.sense = sense;
  prepare_datum_geometry(datum);
  return unit_vector(datum.slip_vector);
}

// The warning of a sense word that the first letter reads otherwise than
// the word means, or an empty text.
std::string sense_word_warning(const FaultDatum& datum, const std::string& word) {
  if (folded_letters(word).size() <= 1) return "";
  WordMeaning meaning = meaning_of_word(word);
  char read = static_cast<char>(std::toupper(static_cast<unsigned char>(datum.sense)));
  if (meaning.senses.empty() || meaning.senses == std::string(1, read)) return "";
  std::string text = "sense word \"" + word + "\" is read as " + sense_letter_text(read) +
                     ", by its first letter; ";
  if (meaning.either) return text + "write " + letters_or(meaning.senses);
  if (meaning.senses.size() == 1)
    return text + "write " + meaning.senses + " for " + sense_name(meaning.senses[0]);
  if (meaning.senses.find(read) == std::string::npos)
    return text + "write " + letters_or(meaning.senses);
  // An oblique slip: on a slip line that the word describes, its other
  // part gives the same motion as the letter read.
  char other = meaning.senses[meaning.senses[0] == read ? 1 : 0];
  if (dot(slip_read_with(datum, read), slip_read_with(datum, other)) > 0)
    return text + "its " + sense_name(other) + " part gives the same motion on this slip line";
  return text + "its " + sense_name(other) +
         " part gives the opposite motion on this slip line: check the datum";
}

// ---- geometry and ranges ----

std::string as_read(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

// Whole degrees between the slip line and the plane, as the analysis
// takes them: the prepared unit vectors.
long degrees_off_plane(FaultDatum datum) {
  prepare_datum_geometry(datum);
  double sine = std::fabs(dot(unit_vector(datum.normal_vector), unit_vector(datum.slip_vector)));
  return round_half_away(times_180_over_pi(asin_d(std::min(1.0, sine))));
}

// An upward slip line turns N into R and R into N; for D and S the
// azimuth turns with the line, and the sense is read as written.
std::string upward_warning(const FaultDatum& datum) {
  char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(datum.sense)));
  char read = letter == 'N' ? 'R' : letter == 'R' ? 'N' : letter;
  double trend = std::fmod(static_cast<double>(datum.slip_azimuth) + 180.0, 360.0);
  if (trend < 0) trend += 360.0;
  std::string end = "; its downward end is " + one_decimal(trend) + "/" +
                    one_decimal(-static_cast<double>(datum.slip_plunge));
  std::string text = "upward slip line (plunge " + as_read(datum.slip_plunge) + "): sense " +
                     std::string(1, datum.sense) + " is read as " + sense_name(read);
  return text + (read == letter ? " all the same" : "") + end;
}

void check_one(const FaultDatum& datum, const std::string& word, std::vector<std::string>& out) {
  if (!(datum.dip_angle >= 0.0f && datum.dip_angle <= 90.0f))
    out.push_back("dip " + as_read(datum.dip_angle) + " is outside 0 to 90");
  long off = degrees_off_plane(datum);
  if (off > MAX_DEGREES_OFF_PLANE)
    out.push_back("slip line " + std::to_string(off) + "\u00B0 off the plane");
  if (datum.slip_plunge < 0.0f) out.push_back(upward_warning(datum));
  std::string sense = sense_word_warning(datum, word);
  if (!sense.empty()) out.push_back(sense);
}

using FiveValues = std::tuple<float, float, float, float, char>;

FiveValues five_values(const FaultDatum& d) {
  return {d.dip_direction, d.dip_angle, d.slip_azimuth, d.slip_plunge,
          static_cast<char>(std::toupper(static_cast<unsigned char>(d.sense)))};
}

}  // namespace

std::vector<DatumWarning> check_fault_data(const FaultSet& set,
                                           const std::vector<DatumSource>& sources) {
  std::vector<DatumWarning> warnings;
  std::map<FiveValues, std::size_t> first_of;  // the first datum of each five values
  for (std::size_t i = 0; i < set.data.size(); ++i) {
    const FaultDatum& datum = set.data[i];
    const DatumSource& source = sources[i];
    std::vector<std::string> texts;
    check_one(datum, source.sense_word, texts);
    auto [seen, is_new] = first_of.emplace(five_values(datum), i);
    if (!is_new)
      texts.push_back("the same five values as datum " + std::to_string(seen->second + 1) +
                      " (file line " + std::to_string(sources[seen->second].first_line) + ")");
    for (std::string& text : texts)
      warnings.push_back({static_cast<int32_t>(i + 1), source.first_line, std::move(text)});
  }
  return warnings;
}

std::string warning_line(const DatumWarning& warning) {
  return "datum " + std::to_string(warning.datum) + " (file line " +
         std::to_string(warning.line) + "): " + warning.text;
}

int32_t data_with_warnings(const std::vector<DatumWarning>& warnings) {
  int32_t count = 0;
  for (std::size_t i = 0; i < warnings.size(); ++i) {
    if (i == 0 || warnings[i].datum != warnings[i - 1].datum) ++count;
  }
  return count;
}

std::string warnings_summary(const std::vector<DatumWarning>& warnings, int32_t data_count) {
  return std::to_string(data_with_warnings(warnings)) + " of " + std::to_string(data_count) +
         " data have warnings (see above); --strict refuses such files";
}

std::string sense_word_problem(const std::string& word) {
  if (word.empty()) return "the sense is empty";
  std::string text = "the sense \"" + word + "\" begins with none of N, R, S, D";
  WordMeaning meaning = meaning_of_word(word);
  if (meaning.senses.empty()) return text;
  if (meaning.either || meaning.senses.size() > 1)
    return text + ": write " + letters_or(meaning.senses);
  return text + ": write " + meaning.senses + " for " + sense_name(meaning.senses[0]);
}
