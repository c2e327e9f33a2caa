// The tests' own rule for missing readers and tools: a failure, unless a run by hand allows the gap.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/TestSupport.h"

namespace {

const char* const KNoSuchProgram = "quirvel-no-such-reader";

void RequireNoSuchProgram() { QTEST_REQUIRE_PROGRAM(KNoSuchProgram); }

// Sets QUIRVEL_TESTS_ALLOW_MISSING for one scope and puts back what the environment held.
class TAllowMissing {
 public:
  explicit TAllowMissing(const char* Value) {
    const char* old = std::getenv("QUIRVEL_TESTS_ALLOW_MISSING");
    if (old) FOld = old, FHadOld = true;
    if (Value)
      setenv("QUIRVEL_TESTS_ALLOW_MISSING", Value, 1);
    else
      unsetenv("QUIRVEL_TESTS_ALLOW_MISSING");
  }
  ~TAllowMissing() {
    if (FHadOld)
      setenv("QUIRVEL_TESTS_ALLOW_MISSING", FOld.c_str(), 1);
    else
      unsetenv("QUIRVEL_TESTS_ALLOW_MISSING");
  }

 private:
  std::string FOld;
  bool FHadOld = false;
};

}  // namespace

TEST(TestTools, AMissingToolFailsUnlessARunByHandAllowsIt) {
  {
    TAllowMissing strict(nullptr);
    EXPECT_FATAL_FAILURE(RequireNoSuchProgram(), "quirvel-no-such-reader is not installed");
    EXPECT_NONFATAL_FAILURE(qtest::NeedProgram(KNoSuchProgram), "quirvel-no-such-reader is not installed");
  }
  {
    TAllowMissing allowed("1");
    EXPECT_FALSE(qtest::NeedProgram(KNoSuchProgram));  // no failure: the gap is only noted
  }
  EXPECT_TRUE(qtest::NeedProgram("sh"));
}
