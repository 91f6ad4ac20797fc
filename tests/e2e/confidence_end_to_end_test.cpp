// The confidence of a run as the real programs give it: sorvel's report
// agrees with its results file, its summary line and the CIM file's
// misfits; the results file is the same with and without the bootstrap;
// the report is the same for any thread count; a CSV report grows into a
// table of sites; every bad request is refused with its exit status; the
// run's picture is the one sorvel-plot draws from the report.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <regex>
#include <sstream>

#include <nlohmann/json.hpp>

#include "plot/net_drawing.h"
#include "plot/picture_reading.h"
#include "support/program_runner.h"
#include "support/synthetic_data.h"

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

class ConfidenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = make_temp_folder();
    for (const char* name : {"normal_faults.fdt", "thrust_faults.fdt", "strike_slip_faults.fdt"})
      fs::copy(example_path(name), path(name));
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string path(const std::string& name) { return folder_ + "/" + name; }
  ProgramRun sorvel(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--weight", "cosine", "--quiet"});
    return run_program_with_arguments("sorvel", folder_, arguments);
  }
  Json json_of(const std::string& name) { return Json::parse(read_file(path(name))); }
  std::string folder_;
};

// The difference of two axial azimuths, 0 to 90 degrees.
double azimuth_gap(double a, double b) {
  double d = std::fmod(std::fabs(a - b), 180.0);
  return d > 90.0 ? 180.0 - d : d;
}

TEST_F(ConfidenceTest, ReportAgreesWithTheResultsTheSummaryAndTheCimFile) {
  ProgramRun run = sorvel({"--report", "run.json", "normal_faults.fdt", "run.cdm"});
  ASSERT_EQ(run.status, 0) << run.errors;
  ASSERT_EQ(sorvel({"--bootstrap", "0", "normal_faults.fdt", "plain.cdm"}).status, 0);
  EXPECT_EQ(read_file(path("run.cdm")), read_file(path("plain.cdm")));

  Json report = json_of("run.json");
  EXPECT_EQ(report["data_file"], "normal_faults.fdt");
  EXPECT_EQ(report["data_count"], 16);
  EXPECT_EQ(report["weight_function"], "cosine");
  const Json& best = report["best"];
  CdmLine last = parse_cdm_line(split_lines(read_file(path("run.cdm"))).back());
  EXPECT_EQ(best["sigma1"], Json::array({last.s1_azimuth, last.s1_plunge}));
  EXPECT_EQ(best["sigma3"], Json::array({last.s3_azimuth, last.s3_plunge}));
  EXPECT_DOUBLE_EQ(best["phi"].get<double>(), last.phi_tenths / 10.0);
  // Normal faulting: sigma1 steep, SHmax along sigma2, R' = Phi.
  EXPECT_EQ(best["regime"], "NF");
  EXPECT_LT(azimuth_gap(best["shmax"].get<double>(), best["sigma2"][0].get<double>()), 10.0);
  EXPECT_DOUBLE_EQ(best["r_prime"].get<double>(), best["phi"].get<double>());

  // Every datum's misfit is the one the CIM file gives under the best state.
  ASSERT_EQ(run_program_with_arguments("sorvel-cim", folder_, {"--weight", "1", "--quiet",
                                                               "normal_faults.fdt", "run.cim"}).status, 0);
  std::string row = split_lines(read_file(path("run.cim"))).at(1);
  ASSERT_EQ(best["misfits"].size(), 16u);
  int fitting = 0;
  double sum = 0.0;
  for (int j = 0; j < 16; ++j) {
    long misfit = best["misfits"][j].get<long>();
    EXPECT_EQ(misfit, std::stol(row.substr(26 + 4 * j, 4))) << "datum " << j + 1;
    fitting += misfit < 30;
    sum += misfit;
  }
  EXPECT_EQ(best["data_fitting"], fitting);
  EXPECT_NEAR(best["mean_misfit"].get<double>(), sum / 16, 0.5);

  const Json& c = report["confidence"];
  EXPECT_EQ(c["level"], 0.95);
  EXPECT_EQ(c["resamples"], 1000);
  EXPECT_EQ(c["seed"], 1);
  long counted = 0, kept = 0;
  for (const Json& s : c["states"]) {
    counted += s["count"].get<long>();
    if (s["grid_index"] == best["grid_index"]) kept = s["count"].get<long>();
  }
  EXPECT_EQ(counted, 1000);
  EXPECT_DOUBLE_EQ(c["best_share"].get<double>(), kept / 1000.0);
  EXPECT_LE(c["phi"][0].get<double>(), best["phi"].get<double>());
  EXPECT_GE(c["phi"][1].get<double>(), best["phi"].get<double>());
  EXPECT_EQ(c["shmax_undefined"], 0);
  // The site is the data file's; the quality class is that of the half
  // of the SHmax interval's width.
  EXPECT_EQ(report["site"], Json({{"name", "normal_faults"}, {"lat", nullptr}, {"lon", nullptr}}));
  double width = c["shmax"][1].get<double>() - c["shmax"][0].get<double>();
  double halfwidth = (width < 0 ? width + 180 : width) / 2;
  EXPECT_NEAR(best["shmax_halfwidth"].get<double>(), halfwidth, 0.006);
  const char* letter = halfwidth <= 15 ? "A" : halfwidth <= 20 ? "B" : halfwidth <= 25 ? "C"
                       : halfwidth <= 40 ? "D" : "E";
  EXPECT_EQ(best["quality"], letter);

  // The summary line says the same, its present words first.
  std::string line = split_lines(run.output).at(0);
  char shmax[8];
  std::snprintf(shmax, sizeof shmax, "%03ld", std::lround(best["shmax"].get<double>()) % 180);
  EXPECT_NE(line.find(", mean score 99.7 of 100, regime NF, SHmax " + std::string(shmax) + ", R' 0.5, 95 %: sigma1 cone "),
            std::string::npos) << line;
  auto cone = [](const Json& degrees) {
    long whole = std::lround(degrees.get<double>());
    return whole < 10 ? std::string("within the grid's spacing") : std::to_string(whole);
  };
  EXPECT_NE(line.find("sigma1 cone " + cone(c["sigma1_cone"]) + ", sigma3 cone " + cone(c["sigma3_cone"])),
            std::string::npos) << line;
  const std::size_t refined_words = line.find(", 1000 resamples, refined sigma1 ");
  ASSERT_NE(refined_words, std::string::npos) << line;

  // The refined state beside the grid's: within the grid's spacing of it,
  // fitting the data better, and the summary line's last words.
  const Json& refined = best["refined"];
  auto axis_text = [](const Json& axis) {
    char text[32];
    std::snprintf(text, sizeof text, "%05.1f/%04.1f", axis[0].get<double>(), axis[1].get<double>());
    return std::string(text);
  };
  char phi[8];
  std::snprintf(phi, sizeof phi, "%.2f", refined["phi"].get<double>());
  EXPECT_EQ(line.substr(refined_words + 16), ", refined sigma1 " + axis_text(refined["sigma1"]) +
                                                 ", sigma3 " + axis_text(refined["sigma3"]) + ", Phi " + phi);
  for (const char* axis : {"sigma1", "sigma3"})
    EXPECT_LT(axis_angle(refined[axis][0].get<double>(), refined[axis][1].get<double>(),
                         best[axis][0].get<double>(), best[axis][1].get<double>()), 10.0) << axis;
  EXPECT_LE(std::fabs(refined["phi"].get<double>() - best["phi"].get<double>()), 0.1);
  EXPECT_LT(refined["mean_misfit"].get<double>(), best["mean_misfit"].get<double>());
  EXPECT_EQ(refined["regime"], "NF");
  const Json& rc = c["refined"];
  EXPECT_EQ(rc["resamples"], 1000);
  EXPECT_LE(rc["phi"][0].get<double>(), refined["phi"].get<double>());
  EXPECT_GE(rc["phi"][1].get<double>(), refined["phi"].get<double>());
  EXPECT_GT(rc["sigma1_cone"].get<double>(), 0.0);
  EXPECT_TRUE(rc.contains("quality") && rc.contains("shmax_halfwidth"));

  // --refine off: the report and the line without the refined state, and
  // nothing else changed.
  ProgramRun off = sorvel({"--refine", "off", "--report", "off.json", "normal_faults.fdt", "off.cdm"});
  ASSERT_EQ(off.status, 0) << off.errors;
  EXPECT_EQ(read_file(path("off.cdm")), read_file(path("run.cdm")));
  EXPECT_EQ(split_lines(off.output).at(0), line.substr(0, refined_words + 16));
  Json without = report;
  without["best"].erase("refined");
  without["confidence"].erase("refined");
  without["results_file"] = "off.cdm";
  EXPECT_EQ(json_of("off.json"), without);

  // The same report for any thread count; another seed, other resamples.
  for (const char* threads : {"1", "3"}) {
    ASSERT_EQ(sorvel({"--threads", threads, "--report", std::string("t") + threads + ".json",
                      "normal_faults.fdt", std::string("t") + threads + ".cdm"}).status, 0);
    Json other = json_of(std::string("t") + threads + ".json");
    other["results_file"] = "run.cdm";
    EXPECT_EQ(other, report) << threads << " threads";
  }
  ASSERT_EQ(sorvel({"--seed", "2", "--report", "s2.json", "normal_faults.fdt", "s2.cdm"}).status, 0);
  EXPECT_EQ(json_of("s2.json")["confidence"]["seed"], 2);
  EXPECT_NE(json_of("s2.json")["confidence"]["states"], c["states"]);
}

// A loop over sites builds one table; the three examples fall in their
// three regimes.
TEST_F(ConfidenceTest, CsvReportGrowsIntoATableOfSites) {
  // The first site named and placed at the limits of the ranges, the
  // others named by their data files.
  ASSERT_EQ(sorvel({"--site", "Ida, north", "--lat", "-90", "--lon", "180", "--report",
                    "sites.csv", "normal_faults.fdt"}).status, 0);
  for (const char* site : {"thrust_faults", "strike_slip_faults"}) {
    ProgramRun r = sorvel({"--report", "sites.csv", std::string(site) + ".fdt"});
    ASSERT_EQ(r.status, 0) << r.errors;
  }
  std::vector<std::string> lines = split_lines(read_file(path("sites.csv")));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].substr(0, 84),
            "site,lat,lon,data_file,results_file,data_count,weight_function,sigma1_trend,sigma1_p");
  EXPECT_EQ(lines[1].substr(0, 53), "\"Ida, north\",-90.000000,180.000000,normal_faults.fdt,");
  EXPECT_EQ(lines[2].substr(0, 34), "thrust_faults,,,thrust_faults.fdt,");
  lines[1].replace(0, 12, "Ida");  // one field for the split below
  std::vector<std::string> names;
  std::stringstream header(lines[0]);
  for (std::string name; std::getline(header, name, ',');) names.push_back(name);
  for (const char* needed : {"sigma1_trend", "sigma1_plunge", "sigma3_plunge", "phi", "regime",
                             "shmax", "r_prime", "mean_score", "mean_misfit", "data_fitting",
                             "sigma1_cone", "sigma3_cone", "phi_low", "phi_high", "shmax_low",
                             "shmax_high", "r_prime_low", "r_prime_high", "best_share", "seed",
                             "quality", "shmax_halfwidth"})
    EXPECT_NE(std::find(names.begin(), names.end(), needed), names.end()) << needed;
  const size_t regime = std::find(names.begin(), names.end(), "regime") - names.begin();
  const char* regimes[3] = {"NF", "TF", "SS"};
  for (int i = 1; i <= 3; ++i) {
    std::vector<std::string> fields;
    std::stringstream row(lines[i]);
    for (std::string field; std::getline(row, field, ',');) fields.push_back(field);
    ASSERT_EQ(fields.size(), names.size()) << lines[i];
    EXPECT_EQ(fields[regime], regimes[i - 1]) << lines[i];
  }
}

TEST_F(ConfidenceTest, BadRequestsAreRefusedAndAFailedReportLeavesTheResults) {
  struct Usage { std::vector<std::string> options; std::string problem; };
  for (const Usage& u : {Usage{{"--bootstrap", "-1"}, "invalid bootstrap count -1"},
                         Usage{{"--bootstrap", "10x"}, "invalid bootstrap count 10x"},
                         Usage{{"--seed", "abc"}, "invalid seed abc"},
                         Usage{{"--seed", "-5"}, "invalid seed -5"},
                         Usage{{"--report", "r.txt"}, "a report name must end in .json or .csv: r.txt"},
                         Usage{{"--report", "r"}, "a report name must end in .json or .csv: r"},
                         Usage{{"--picture", "p.png"}, "a picture name must end in .svg: p.png"},
                         Usage{{"--lat", "91", "--lon", "0"}, "bad value for --lat: 91"},
                         Usage{{"--lat", "45", "--lon", "-180.5"}, "bad value for --lon: -180.5"},
                         Usage{{"--lat", "45x", "--lon", "0"}, "bad value for --lat: 45x"},
                         Usage{{"--lat", "45"}, "--lat and --lon are given together"},
                         Usage{{"--site", ""}, "bad value for --site: an empty name"},
                         Usage{{"--refine", "yes"}, "bad value for --refine: yes (on or off)"}}) {
    std::vector<std::string> arguments = u.options;
    arguments.push_back("normal_faults.fdt");
    ProgramRun r = sorvel(arguments);
    EXPECT_EQ(r.status, 2) << u.problem;
    EXPECT_EQ(split_lines(r.errors).at(0).rfind("sorvel: " + u.problem, 0), 0u) << r.errors;
    EXPECT_FALSE(file_exists(path("normal_faults.cdm"))) << u.problem;
  }

  // An existing JSON report, or a table with another header, is left as
  // it is, and the run does not start.
  write_file(path("old.json"), "{}\n");
  write_file(path("other.csv"), "site,azimuth\nA,10\n");
  ProgramRun r = sorvel({"--report", "old.json", "normal_faults.fdt", "a.cdm"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.errors, "sorvel: report file exists (--overwrite replaces it): old.json\n");
  r = sorvel({"--report", "other.csv", "normal_faults.fdt", "b.cdm"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.errors, "sorvel: report file has another header, so no row is added to it: other.csv\n");
  EXPECT_EQ(read_file(path("old.json")), "{}\n");
  EXPECT_EQ(read_file(path("other.csv")), "site,azimuth\nA,10\n");
  EXPECT_FALSE(file_exists(path("a.cdm")) || file_exists(path("b.cdm")));
  r = sorvel({"--overwrite", "--report", "old.json", "normal_faults.fdt", "a.cdm"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(json_of("old.json")["data_count"], 16);

  // A report that cannot be written: the results file stays as written.
  ASSERT_EQ(sorvel({"--bootstrap", "0", "normal_faults.fdt", "plain.cdm"}).status, 0);
  r = sorvel({"--report", "/proc/sorvel-report.json", "normal_faults.fdt", "c.cdm"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.errors, "sorvel: the report cannot be written to /proc/sorvel-report.json; "
                      "the results file c.cdm is written\n");
  EXPECT_EQ(read_file(path("c.cdm")), read_file(path("plain.cdm")));
  EXPECT_EQ(split_lines(r.output).size(), 1u);

  // Five data are too few to resample, and the run says so.
  std::vector<std::string> data = split_lines(read_file(path("normal_faults.fdt")));
  write_file(path("five.fdt"), data[0] + "\n" + data[1] + "\n" + data[2] + "\n" + data[3] + "\n" + data[4] + "\n");
  r = sorvel({"--report", "five.json", "five.fdt"});
  ASSERT_EQ(r.status, 0) << r.errors;
  EXPECT_NE(r.output.find(", no bootstrap (fewer than 6 data), refined sigma1 "), std::string::npos)
      << r.output;
  EXPECT_TRUE(json_of("five.json")["confidence"].is_null());
  EXPECT_EQ(json_of("five.json")["best"]["misfits"].size(), 5u);
}

TEST_F(ConfidenceTest, RunDrawsThePictureSorvelPlotDrawsFromItsReport) {
  ProgramRun r = sorvel({"--report", "run.json", "--picture", "run.svg", "normal_faults.fdt", "run.cdm"});
  ASSERT_EQ(r.status, 0) << r.errors;
  PlotRun plot = run_plot(folder_, "--report run.json normal_faults.fdt run.cdm plot.svg");
  ASSERT_EQ(plot.status, 0) << plot.err;
  std::string svg = read_file(path("run.svg"));
  EXPECT_EQ(svg, read_file(path("plot.svg")));
  EXPECT_EQ(xml_problem(svg), "");

  Json report = json_of("run.json");
  const Json& best = report["best"];
  expect_at(translation_of(svg, "best-sigma1"),
            expected_point(best["sigma1"][0].get<double>(), best["sigma1"][1].get<double>()), "sigma1");
  // The refined state's marks, and the cones of its resamples about them.
  const Json& refined = best["refined"];
  expect_at(translation_of(svg, "refined-sigma1"),
            expected_point(refined["sigma1"][0].get<double>(), refined["sigma1"][1].get<double>()),
            "refined sigma1");
  std::smatch m;
  std::string cone = group_text(svg, "refined-sigma1-cone");
  ASSERT_TRUE(std::regex_search(cone, m, std::regex("data-cone=\"([0-9.]+)\"")));
  EXPECT_DOUBLE_EQ(std::stod(m[1]), report["confidence"]["refined"]["sigma1_cone"].get<double>());
  // Without the refined state, the grid state's marks and cones.
  ASSERT_EQ(sorvel({"--refine", "off", "--report", "off.json", "--picture", "off.svg",
                    "normal_faults.fdt", "off.cdm"}).status, 0);
  std::string off = read_file(path("off.svg"));
  EXPECT_EQ(off.find("refined-"), std::string::npos);
  cone = group_text(off, "sigma1-cone");
  ASSERT_TRUE(std::regex_search(cone, m, std::regex("data-cone=\"([0-9.]+)\"")));
  EXPECT_DOUBLE_EQ(std::stod(m[1]), report["confidence"]["sigma1_cone"].get<double>());
  // The Phi histogram counts every resample.
  std::string chart = group_text(svg, "resampled-phi");
  long counted = 0;
  std::regex label(">([0-9]+)</text>");
  for (std::sregex_iterator i(chart.begin(), chart.end(), label), end; i != end; ++i)
    counted += std::stol((*i)[1]);
  EXPECT_EQ(counted, 1000);
  // A dot per datum on the Mohr diagram, with the misfit of the report.
  std::string mohr = group_text(svg, "mohr");
  std::regex dot("data-misfit=\"([0-9]+)\"");
  std::vector<long> misfits;
  for (std::sregex_iterator i(mohr.begin(), mohr.end(), dot), end; i != end; ++i)
    misfits.push_back(std::stol((*i)[1]));
  EXPECT_EQ(misfits, best["misfits"].get<std::vector<long>>());

  // A report of another run does not go with these results.
  ASSERT_EQ(sorvel({"--report", "thrust.json", "thrust_faults.fdt"}).status, 0);
  plot = run_plot(folder_, "--report thrust.json normal_faults.fdt run.cdm other.svg");
  EXPECT_EQ(plot.status, 1);
  EXPECT_EQ(plot.err, "sorvel-plot: thrust.json: not the report of the run that wrote these results and data\n");
  EXPECT_FALSE(file_exists(path("other.svg")));
}

// Progress lines while resampling, but only past the first second.
// Planes and slip lines at random: no state stands out, so the bounds of
// the search leave most states to be summed and the resampling lasts.
TEST_F(ConfidenceTest, ResamplingThatLastsShowsItsProgress) {
  std::mt19937 random(21);
  std::uniform_real_distribution<double> azimuth(0.0, 360.0), dip(0.0, 90.0);
  std::string many;
  // Random planes: nothing prunes the resamples' search, so its time
  // grows with data times resamples (about 5 s here, 2 s where the sums
  // are twice as fast), well past the first second of quiet.
  for (int i = 0; i < 300; ++i)
    many += std::to_string(azimuth(random)) + " " + std::to_string(dip(random)) + " " +
            std::to_string(azimuth(random)) + " " + std::to_string(dip(random)) + " " + "NRSD"[i % 4] +
            "\n";
  write_file(path("many.fdt"), many);
#ifdef SORVEL_UNDER_SANITIZER
  const char* resamples = "1000";  // the sanitizers slow these sums a hundredfold
#else
  const char* resamples = "20000";
#endif
  ProgramRun r = run_program_with_arguments(
      "sorvel", folder_, {"--weight", "1", "--threads", "1", "--bootstrap", resamples, "many.fdt"});
  ASSERT_EQ(r.status, 0) << r.errors;
  EXPECT_TRUE(std::regex_search(r.output, std::regex("   \\* Resampling +[0-9]+ % \\*\n"))) << r.output;
}

}  // namespace
