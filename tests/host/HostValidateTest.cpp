#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "host/Validate.h"

namespace ombrisk::host {
namespace {

ValidateResult RunValidation(const char* path, int strictness = 3) {
  ValidateOptions options;
  options.path = path;
  options.strictness = strictness;
  std::ostringstream log;
  return Validate(options, log);
}

std::string FailedNames(const ValidateResult& result) {
  std::string names;
  for (const CheckResult& c : result.checks) {
    if (!c.passed) names += c.name + " (" + c.detail + "); ";
  }
  return names;
}

TEST(Validator, PassesAWellBehavedPlugin) {
  const ValidateResult result = RunValidation(OMBRISK_TESTFX_PATH, 3);
  ASSERT_TRUE(result.loaded) << result.loadError;
  EXPECT_EQ(result.Failed(), 0) << FailedNames(result);
  EXPECT_GT(result.Passed(), 20);
  // Chunk, automation-thread and double-precision checks ran, since the plug-in offers all three.
  EXPECT_NE(result.Find("program chunk round trip restores parameters and bytes"), nullptr);
  EXPECT_NE(result.Find("random parameter automation from a second thread while processing"), nullptr);
  EXPECT_NE(result.Find("double-precision processing"), nullptr);
}

TEST(Validator, FindsNaNOutput) {
  const ValidateResult result = RunValidation(OMBRISK_TESTFX_NAN_PATH, 2);
  ASSERT_TRUE(result.loaded);
  const CheckResult* silent = result.Find("silent input");
  ASSERT_NE(silent, nullptr);
  EXPECT_FALSE(silent->passed);
  EXPECT_NE(silent->detail.find("NaN/Inf"), std::string::npos);
  EXPECT_GT(result.Failed(), 5);
}

TEST(Validator, FindsChunksThatDoNotRoundTrip) {
  const ValidateResult result = RunValidation(OMBRISK_TESTFX_CHUNKDRIFT_PATH, 2);
  const CheckResult* program = result.Find("program chunk round trip restores parameters and bytes");
  ASSERT_NE(program, nullptr);
  EXPECT_FALSE(program->passed);
  const CheckResult* bank = result.Find("bank chunk round trip restores parameters and bytes");
  ASSERT_NE(bank, nullptr);
  EXPECT_FALSE(bank->passed);
  // Its audio is fine.
  EXPECT_TRUE(result.Find("silent input")->passed);
}

TEST(Validator, FindsParameterValuesOutsideTheNormalisedRange) {
  const ValidateResult result = RunValidation(OMBRISK_TESTFX_PARAMRANGE_PATH, 2);
  const CheckResult* check = result.Find("parameter values stay within 0..1 when set to 0, 1 and between");
  ASSERT_NE(check, nullptr);
  EXPECT_FALSE(check->passed);
}

TEST(Validator, FindsAutomationOfParametersThatDoNotExist) {
  const ValidateResult result = RunValidation(OMBRISK_TESTFX_BADAUTOMATE_PATH, 2);
  const CheckResult* check = result.Find("host calls from the plug-in are well-formed");
  ASSERT_NE(check, nullptr);
  EXPECT_FALSE(check->passed);
  EXPECT_NE(check->detail.find("invalid parameter index"), std::string::npos);
}

TEST(Validator, CountsAPluginThatCannotOpenAsOneFailure) {
  const ValidateResult result = RunValidation(OMBRISK_TESTFX_NULLMAIN_PATH, 1);
  EXPECT_FALSE(result.loaded);
  EXPECT_EQ(result.Passed(), 0);
  EXPECT_EQ(result.Failed(), 1);
  EXPECT_NE(result.loadError.find("failed to open"), std::string::npos);
}

}  // namespace
}  // namespace ombrisk::host
