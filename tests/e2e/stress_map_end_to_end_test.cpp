// sorvel-map on the reports of real runs: the three examples as sites
// of three regimes, one more without a position, and a MIM run on their
// mixed data, whose populations become records of their own. A real GIS
// reader (GDAL's ogrinfo) reads the GeoJSON back with the positions given;
// the WSM table keeps every record; the picture renders and is not blank;
// a bad report names its file and leaves no output.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

#include <nlohmann/json.hpp>

#include "plot/picture_reading.h"
#include "support/program_runner.h"

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

class StressMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = make_temp_folder();
    for (const char* name : {"normal_faults", "thrust_faults", "strike_slip_faults"})
      fs::copy(example_path(std::string(name) + ".fdt"), path(std::string(name) + ".fdt"));
    write_file(path("mixed.fdt"),
               read_file(path("normal_faults.fdt")) + read_file(path("thrust_faults.fdt")));
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string path(const std::string& name) { return folder_ + "/" + name; }
  ProgramRun run(const std::string& program, std::vector<std::string> arguments) {
    return run_program_with_arguments(program, folder_, arguments);
  }
  // The shell command's status, its output in `out`.
  int shell(const std::string& command, std::string& out) {
    int raw = std::system(("cd '" + folder_ + "' && " + command + " > .shell 2>&1").c_str());
    out = read_file(path(".shell"));
    return raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  void make_reports() {
    struct SiteRun { const char* file; const char* site; const char* lat; const char* lon; };
    for (SiteRun s : {SiteRun{"normal_faults", "Ida", "35.2139", "24.7706"},
                      SiteRun{"thrust_faults", "Dikti", "35.1017", "25.4870"},
                      SiteRun{"strike_slip_faults", "Psiloritis E", "35.2301", "24.9904"}}) {
      ProgramRun r = run("sorvel", {"--weight", "cosine", "--quiet", "--site", s.site, "--lat", s.lat,
                                    "--lon", s.lon, "--report", "sites.csv",
                                    std::string(s.file) + ".fdt"});
      ASSERT_EQ(r.status, 0) << r.errors;
    }
    ASSERT_EQ(run("sorvel", {"--weight", "cosine", "--quiet", "--report", "sites.csv",
                             "--bootstrap", "0", "normal_faults.fdt", "nowhere.cdm"}).status, 0);
    ProgramRun mim = run("sorvel-mim", {"--weight", "cosine", "--quiet", "--k", "3", "--site",
                                        "Mesara", "--lat", "35.0500", "--lon", "24.8000",
                                        "--report", "mixed.json", "mixed.fdt"});
    ASSERT_EQ(mim.status, 0) << mim.errors;
  }
  std::string folder_;
};

TEST_F(StressMapTest, ReportsBecomeAGeoJsonMapAWsmTableAndAPicture) {
  make_reports();
  ProgramRun map = run("sorvel-map", {"--geojson", "map.geojson", "--wsm", "wsm.csv", "--picture",
                                      "map.svg", "sites.csv", "mixed.json"});
  ASSERT_EQ(map.status, 0) << map.errors;
  EXPECT_NE(map.output.find("normal_faults (sites.csv): no position; left out"), std::string::npos)
      << map.output;

  // The GeoJSON: [lon, lat], the sites' states, the populations by number.
  Json geo = Json::parse(read_file(path("map.geojson")));
  EXPECT_EQ(geo["type"], "FeatureCollection");
  std::map<std::string, Json> features;
  for (const Json& f : geo["features"]) features[f["properties"]["site"]] = f;
  ASSERT_EQ(features.size(), 5u) << map.output;  // three sites, two populations
  EXPECT_EQ(features["Ida"]["geometry"]["coordinates"], Json::array({24.7706, 35.2139}));
  EXPECT_EQ(features["Ida"]["properties"]["regime"], "NF");
  EXPECT_EQ(features["Dikti"]["properties"]["regime"], "TF");
  EXPECT_EQ(features["Psiloritis E"]["properties"]["regime"], "SS");
  EXPECT_FALSE(features["Ida"]["properties"].contains("population"));
  ASSERT_TRUE(features.count("Mesara/1") && features.count("Mesara/2"));
  EXPECT_EQ(features["Mesara/2"]["properties"]["population"], 2);
  std::set<std::string> regimes = {features["Mesara/1"]["properties"]["regime"],
                                   features["Mesara/2"]["properties"]["regime"]};
  EXPECT_EQ(regimes, (std::set<std::string>{"NF", "TF"}));
  for (const char* key : {"shmax", "quality", "shmax_halfwidth", "r_prime", "phi", "sigma1", "sigma2",
                          "sigma3", "data_count", "mean_misfit", "sigma1_cone", "sigma3_cone"})
    EXPECT_TRUE(features["Ida"]["properties"].contains(key)) << key;
  EXPECT_EQ(features["Ida"]["properties"]["data_count"], 16);

  // The WSM table: every record, the one without a position too.
  std::vector<std::string> wsm = split_lines(read_file(path("wsm.csv")));
  ASSERT_EQ(wsm.size(), 7u);
  EXPECT_EQ(wsm[0], "ID,SITE,LAT,LON,AZI,TYPE,QUALITY,REGIME,NUMBER,SD,S1AZ,S1PL,S2AZ,S2PL,S3AZ,S3PL,COMMENT");
  EXPECT_EQ(wsm[1].rfind("1,Ida,35.213900,24.770600,", 0), 0u) << wsm[1];
  EXPECT_NE(wsm[1].find(",GFI,"), std::string::npos) << wsm[1];
  EXPECT_EQ(wsm[4].rfind("4,normal_faults,,,", 0), 0u) << wsm[4];
  EXPECT_NE(wsm[4].find(",GFI,E,NF,16,,"), std::string::npos) << wsm[4];
  EXPECT_NE(wsm[4].find("no bootstrap"), std::string::npos) << wsm[4];

  // A real GIS reader: GDAL lists five points at the positions given.
  std::string out;
  if (shell("command -v ogrinfo", out) != 0) {
    GTEST_SKIP() << "ogrinfo (Debian package gdal-bin) is not installed";
  }
  ASSERT_EQ(shell("ogrinfo -ro -al map.geojson", out), 0) << out;
  EXPECT_NE(out.find("Feature Count: 5"), std::string::npos) << out;
  EXPECT_NE(out.find("Geometry: Point"), std::string::npos) << out;
  EXPECT_NE(out.find("POINT (24.7706 35.2139)"), std::string::npos) << out;
  EXPECT_NE(out.find("POINT (25.487 35.1017)"), std::string::npos) << out;
  EXPECT_NE(out.find("site (String) = Psiloritis E"), std::string::npos) << out;
  EXPECT_NE(out.find("regime (String) = TF"), std::string::npos) << out;
}

// The picture of many sites, and of one: well-formed, every name placed,
// rendered by librsvg and not blank; the scale bar of one site is short.
TEST_F(StressMapTest, PictureOfSitesAndOfOneSiteRenders) {
  make_reports();
  ASSERT_EQ(run("sorvel-map", {"--picture", "map.svg", "sites.csv", "mixed.json"}).status, 0);
  std::string svg = read_file(path("map.svg"));
  EXPECT_EQ(xml_problem(svg), "");
  for (const char* name : {">Ida<", ">Dikti<", ">Psiloritis E<", ">Mesara/1<", ">Mesara/2<"})
    EXPECT_NE(svg.find(name), std::string::npos) << name;
  EXPECT_NE(svg.find(">35.2\u00b0N<"), std::string::npos);
  EXPECT_NE(svg.find(">25.0\u00b0E<"), std::string::npos);
  EXPECT_NE(svg.find(" km<"), std::string::npos);
  ASSERT_EQ(run("sorvel", {"--weight", "cosine", "--quiet", "--site", "one", "--lat", "-33.9",
                           "--lon", "18.4", "--report", "one.json", "thrust_faults.fdt", "one.cdm"})
                .status, 0);
  ASSERT_EQ(run("sorvel-map", {"--picture", "one.svg", "one.json"}).status, 0);
  std::string one = read_file(path("one.svg"));
  EXPECT_EQ(xml_problem(one), "");
  EXPECT_NE(one.find(">one<"), std::string::npos);
  EXPECT_NE(one.find(">1 km<"), std::string::npos) << "the frame of one site spans a few km";
  EXPECT_NE(one.find("\u00b0S<"), std::string::npos);

  std::string out;
  if (shell("command -v rsvg-convert && command -v python3", out) != 0)
    GTEST_SKIP() << "rsvg-convert (Debian package librsvg2-bin) or python3 is not installed";
  ASSERT_EQ(shell("'" + std::string(SORVEL_SOURCE_DIR) + "/tools/render_check.sh' --no-install map.svg one.svg",
                  out), 0) << out;
  EXPECT_NE(out.find("960x720"), std::string::npos) << out;
}

TEST_F(StressMapTest, ABadReportNamesItsFileAndLeavesNoOutput) {
  make_reports();
  write_file(path("other.csv"), "site,azimuth\nA,10\n");
  write_file(path("broken.json"), "{\"data_file\": ");
  for (const char* bad : {"other.csv", "broken.json", "missing.json"}) {
    ProgramRun r = run("sorvel-map", {"--geojson", "map.geojson", "--wsm", "wsm.csv", "--picture",
                                      "map.svg", "sites.csv", bad});
    EXPECT_EQ(r.status, 1) << bad;
    EXPECT_EQ(r.errors.rfind(std::string("sorvel-map: ") + bad + ": ", 0), 0u) << r.errors;
    EXPECT_NE(r.errors.find("nothing written"), std::string::npos) << r.errors;
    for (const char* output : {"map.geojson", "wsm.csv", "map.svg"})
      EXPECT_FALSE(file_exists(path(output))) << bad << " " << output;
  }
  // An output that exists is kept without --overwrite, and no other is written.
  write_file(path("wsm.csv"), "kept\n");
  ProgramRun r = run("sorvel-map", {"--geojson", "map.geojson", "--wsm", "wsm.csv", "sites.csv"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.errors, "sorvel-map: wsm.csv: exists (--overwrite replaces it)\n");
  EXPECT_EQ(read_file(path("wsm.csv")), "kept\n");
  EXPECT_FALSE(file_exists(path("map.geojson")));
  // Usage errors.
  EXPECT_EQ(run("sorvel-map", {"sites.csv"}).status, 2);
  EXPECT_EQ(run("sorvel-map", {"--wsm", "w.txt", "sites.csv"}).status, 2);
  EXPECT_EQ(run("sorvel-map", {"--picture", "m.svg"}).status, 2);
}

}  // namespace
