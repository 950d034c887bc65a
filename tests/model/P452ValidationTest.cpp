// ITU-R Study Group 3's 595 validation rows of P.452-18 through the core
// model, DN and N0 as each row stores them; the tolerances, and where they
// come from, with ExpectP452Row.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "model/P452Model.h"
#include "model/P452Values.h"
#include "support/P452Validation.h"

namespace tarnvale {
namespace {

class P452Validation : public ::testing::TestWithParam<std::string> {};

TEST_P(P452Validation, EveryRowAsTheReference) {
  const auto profile = test::ReadP452ValidationProfile(GetParam());
  const auto rows = test::ReadP452ValidationResults(GetParam());
  ASSERT_GE(profile.d.size(), 4u) << "profile not found in " << test::P452ValidationDir();
  ASSERT_EQ(rows.size(), 35u);
  P452Model model;  // one object for all rows, as a coverage run would use it
  std::map<std::string, double> worst;
  for (const test::P452ValidationRow& row : rows) {
    P452Results r;
    ASSERT_TRUE(model.Calculate(test::P452ValidationInputs(profile, row), r)) << r.error;
    const auto values = P452ValueList(r);
    const auto value = [&values](const std::string& name) {
      for (const P452Value& v : values)
        if (name == v.name) return v.value;
      ADD_FAILURE() << "no value " << name;
      return 0.0;
    };
    test::ExpectP452Row(row, value, r.transHorizon, worst);
  }
  const std::string summary = test::P452DeviationSummary(worst);
  RecordProperty("largest_deviations", summary);
  std::printf("%s:%s\n", GetParam().c_str(), summary.c_str());
}

INSTANTIATE_TEST_SUITE_P(Itu, P452Validation, ::testing::ValuesIn(test::P452ValidationNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace tarnvale
