// Both reports written as JSON and read back through their formats: every
// field comes back as written, and the text written again is the same.
#include <gtest/gtest.h>

#include "formats/population_report_file.h"
#include "formats/run_report_file.h"

namespace {

// Values at the precision the files keep (one decimal, three for a
// share), so that they come back exactly.
BestStateReport sample_state() {
  BestStateReport b{};
  b.grid_index = 41234;
  b.sigma1 = {349, 80};
  b.sigma2 = {186, 10};
  b.sigma3 = {95, 3};
  b.phi = 0.5;
  b.regime = StressRegime::NF;
  b.shmax = 5.0;
  b.r_prime = 0.5;
  b.mean_score = 99.7;
  b.mean_misfit = 4.2;
  b.data_fitting = 15;
  b.fit_limit = 30;
  b.misfits = {3, 0, 12, 31};
  return b;
}

Confidence sample_confidence() {
  Confidence c{};
  c.level = 0.95;
  c.resamples = 1000;
  c.seed = 18446744073709551615u;  // the largest seed survives as a whole number
  c.sigma1_cone = 10.0;
  c.sigma3_cone = 7.5;
  c.phi = {0.5, 0.6};
  c.shmax = Interval{175.0, 5.0};  // crosses north
  c.shmax_undefined = 2;
  c.r_prime = {0.4, 0.6};
  c.best_share = 0.413;
  c.states = {{41234, 413}, {41235, 587}};
  return c;
}

void expect_same_state(const BestStateReport& a, const BestStateReport& b) {
  EXPECT_EQ(a.grid_index, b.grid_index);
  EXPECT_EQ(a.sigma1.azimuth, b.sigma1.azimuth);
  EXPECT_EQ(a.sigma2.plunge, b.sigma2.plunge);
  EXPECT_EQ(a.sigma3.azimuth, b.sigma3.azimuth);
  EXPECT_EQ(a.phi, b.phi);
  EXPECT_EQ(a.regime, b.regime);
  EXPECT_EQ(a.shmax, b.shmax);
  EXPECT_EQ(a.mean_misfit, b.mean_misfit);
  EXPECT_EQ(a.data_fitting, b.data_fitting);
  EXPECT_EQ(a.misfits, b.misfits);
}

void expect_same_confidence(const Confidence& a, const Confidence& b) {
  EXPECT_EQ(a.seed, b.seed);
  EXPECT_EQ(a.sigma3_cone, b.sigma3_cone);
  ASSERT_TRUE(b.shmax.has_value());
  EXPECT_EQ(a.shmax->low, b.shmax->low);
  EXPECT_EQ(a.shmax->high, b.shmax->high);
  EXPECT_EQ(a.best_share, b.best_share);
  ASSERT_EQ(a.states.size(), b.states.size());
  EXPECT_EQ(a.states[1].index, b.states[1].index);
  EXPECT_EQ(a.states[1].count, b.states[1].count);
}

TEST(ReportFilesTest, RunReportComesBackFromItsJson) {
  RunReport report;
  report.data_file = "sites/a \"quoted\", name.fdt";
  report.results_file = "sites/a.cdm";
  report.data_count = 4;
  report.weight_function = "hyperbolic-tangent";
  report.best = sample_state();
  report.confidence = sample_confidence();
  report.warnings = {{2, 3, "dip 95 is outside 0 to 90"}, {4, 6, "sense word \"RL\" is read as R"}};
  std::string text = report_json(report), error;
  std::optional<RunReport> back = parse_report_json(text, error);
  ASSERT_TRUE(back) << error;
  ASSERT_EQ(back->warnings.size(), 2u);
  EXPECT_EQ(back->warnings[1].line, 6);
  EXPECT_EQ(back->warnings[1].text, report.warnings[1].text);
  EXPECT_EQ(back->data_file, report.data_file);
  EXPECT_EQ(back->weight_function, report.weight_function);
  expect_same_state(*report.best, *back->best);
  expect_same_confidence(*report.confidence, *back->confidence);
  EXPECT_EQ(report_json(*back), text);

  // Without data and without a bootstrap: the absent parts stay absent.
  RunReport empty;
  empty.data_file = "none.fdt";
  empty.no_confidence = "no data";
  back = parse_report_json(report_json(empty), error);
  ASSERT_TRUE(back) << error;
  EXPECT_FALSE(back->best);
  EXPECT_FALSE(back->confidence);
  EXPECT_EQ(back->no_confidence, "no data");
  EXPECT_TRUE(back->warnings.empty());
}

TEST(ReportFilesTest, PopulationReportComesBackFromItsJson) {
  PopulationRunReport r;
  r.data_file = "mixed.fdt";
  r.results_file = "mixed.mim";
  r.data_count = 6;
  r.weight_function = "cosine";
  r.k = 4;
  r.subsets = 15;
  r.separation = 30;
  r.min_votes = 0;
  r.fit_limit = 30;
  r.least_alone = 2;
  PopulationReport p{sample_state(), 11, 3, {1, 2, 5}, sample_confidence(), "", std::nullopt};
  PopulationReport q{sample_state(), 4, 2, {3, 4}, std::nullopt, "too few data to resample", std::nullopt};
  q.state.shmax.reset();
  q.state.regime = StressRegime::U;
  r.populations = {p, q};
  r.unassigned = {6};
  r.dropped = {{123, {10, 20}, {200, 70}, 0.3, 2, 0, 1, "too few data alone"}};
  r.warnings = {{5, 9, "the same five values as datum 1 (file line 1)"}};
  std::string text = population_report_json(r), error;
  std::optional<PopulationRunReport> back = parse_population_report_json(text, error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->k, 4);
  EXPECT_EQ(back->subsets, 15);
  ASSERT_EQ(back->populations.size(), 2u);
  expect_same_state(p.state, back->populations[0].state);
  expect_same_state(q.state, back->populations[1].state);
  expect_same_confidence(*p.confidence, *back->populations[0].confidence);
  EXPECT_FALSE(back->populations[1].confidence);
  EXPECT_EQ(back->populations[1].no_confidence, q.no_confidence);
  EXPECT_EQ(back->populations[0].data, p.data);
  EXPECT_EQ(back->unassigned, r.unassigned);
  ASSERT_EQ(back->dropped.size(), 1u);
  EXPECT_EQ(back->dropped[0].sigma3.plunge, 70);
  EXPECT_EQ(back->dropped[0].reason, "too few data alone");
  ASSERT_EQ(back->warnings.size(), 1u);
  EXPECT_EQ(back->warnings[0].datum, 5);
  EXPECT_EQ(population_report_json(*back), text);
}

TEST(ReportFilesTest, EachReaderRefusesTheOtherReportAndNamesTheField) {
  RunReport run;
  run.best = sample_state();
  PopulationRunReport populations;
  std::string error;
  EXPECT_FALSE(parse_report_json(population_report_json(populations), error));
  EXPECT_EQ(error, "not a report of sorvel: no field best");
  EXPECT_FALSE(parse_population_report_json(report_json(run), error));
  EXPECT_EQ(error, "not a population report of sorvel-mim: no field k");
  EXPECT_FALSE(parse_report_json("{\"data_file\": ", error));
  EXPECT_EQ(error, "not a JSON text");
}

TEST(ReportFilesTest, CsvHeadersShareTheStateAndConfidenceFields) {
  EXPECT_EQ(report_csv_header(false),
            "site,lat,lon,data_file,results_file,data_count,weight_function,sigma1_trend,sigma1_plunge,"
            "sigma2_trend,sigma2_plunge,sigma3_trend,sigma3_plunge,phi,regime,shmax,r_prime,"
            "mean_score,mean_misfit,data_fitting,level,resamples,seed,sigma1_cone,sigma3_cone,"
            "phi_low,phi_high,shmax_low,shmax_high,shmax_undefined,r_prime_low,r_prime_high,"
            "best_share,quality,shmax_halfwidth,warnings\n");
  // A refining run: the refined state beside the grid's, before the confidence.
  EXPECT_EQ(report_csv_header(true),
            "site,lat,lon,data_file,results_file,data_count,weight_function,sigma1_trend,sigma1_plunge,"
            "sigma2_trend,sigma2_plunge,sigma3_trend,sigma3_plunge,phi,regime,shmax,r_prime,"
            "mean_score,mean_misfit,data_fitting,refined_sigma1_trend,refined_sigma1_plunge,"
            "refined_sigma2_trend,refined_sigma2_plunge,refined_sigma3_trend,refined_sigma3_plunge,"
            "refined_phi,refined_shmax,level,resamples,seed,sigma1_cone,sigma3_cone,"
            "phi_low,phi_high,shmax_low,shmax_high,shmax_undefined,r_prime_low,r_prime_high,"
            "best_share,quality,shmax_halfwidth,warnings\n");
  EXPECT_EQ(population_csv_header(false),
            "site,lat,lon,data_file,results_file,data_count,weight_function,k,subsets,populations,population,"
            "sigma1_trend,sigma1_plunge,sigma2_trend,sigma2_plunge,sigma3_trend,sigma3_plunge,"
            "phi,regime,shmax,r_prime,votes,data,data_alone,mean_misfit,level,resamples,seed,"
            "sigma1_cone,sigma3_cone,phi_low,phi_high,shmax_low,shmax_high,shmax_undefined,"
            "r_prime_low,r_prime_high,best_share,quality,shmax_halfwidth,warnings\n");
}

}  // namespace
