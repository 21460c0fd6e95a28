// The `modhost` command: output on success, one line and a non-zero exit
// for every error.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

struct Result {
  int code;
  std::string out;
  std::string err;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

Result Modhost(const std::string& arguments) {
  const std::string out = std::string(HOST_TEST_DIR) + "/cli_out.txt";
  const std::string err = std::string(HOST_TEST_DIR) + "/cli_err.txt";
  const std::string command = std::string(MODHOST_EXE) + " " + arguments + " >" + out + " 2>" + err;
  const int status = std::system(command.c_str());
  return Result{status, Slurp(out), Slurp(err)};
}

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
#if defined(_WIN32)
    GTEST_SKIP() << "the command is tested in the Linux build";
#endif
  }
};

TEST_F(Cli, InfoPrintsThePinTable) {
  const Result result = Modhost(std::string("info ") + FX_RELAY);
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_NE(result.out.find("Fixture Relay"), std::string::npos);
  EXPECT_NE(result.out.find("\"Audio Out\""), std::string::npos);
  EXPECT_TRUE(result.err.empty());
}

TEST_F(Cli, RenderWritesTheWavFileNamedOnTheCommandLine) {
  const std::string patch = std::string(HOST_TEST_DIR) + "/cli_patch.json";
  std::ofstream(patch) << R"({"modules": [{"name": "s", "library": ")" << FX_SLEEPER
                       << R"("}], "render": {"samples": 1000, "outputs": ["s.Out"]}})";
  const std::string wav = std::string(HOST_TEST_DIR) + "/cli_out.wav";
  std::remove(wav.c_str());
  const Result result = Modhost("render " + patch + " -o " + wav);
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_NE(result.out.find("rendered 1000 samples"), std::string::npos);
  EXPECT_TRUE(std::ifstream(wav).good());
  EXPECT_EQ(result.err.find('['), std::string::npos) << "no progress bar when not on a terminal";
}

TEST_F(Cli, EveryErrorIsOneLineAndANonZeroExit) {
  const std::string bad = std::string(HOST_TEST_DIR) + "/cli_bad.json";
  std::ofstream(bad) << "{\"block_size\": 0}";
  const std::string cases[] = {
      "info /no/such/library.so",
      std::string("info ") + FX_BROKEN1,
      std::string("info ") + ACTIVE_SWITCH_LIB + " --host-version 5",
      "render /no/such/patch.json",
      "render " + bad + " -o x.wav",
      "frobnicate",
      "",
  };
  for (const auto& arguments : cases) {
    const Result result = Modhost(arguments);
    EXPECT_NE(result.code, 0) << arguments;
    EXPECT_EQ(result.err.rfind("modhost: error: ", 0), 0u) << arguments << ": " << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << arguments << ": " << result.err;
    EXPECT_TRUE(result.out.empty()) << arguments;
  }
}

}  // namespace
