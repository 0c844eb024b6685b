// The meter's Windows program under Wine on a virtual desktop of the tests' own. One Wine prefix
// serves every test of the run; it is made at the first test that needs it and removed, with
// everything started for it, when the run ends.
#include <gtest/gtest.h>

#include "tests/wine/wine_session.h"

namespace {

class EndOfRun : public testing::Environment {
  public:
    void TearDown() override { kestrin::test::EndWineSession(); }
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new EndOfRun);
    return RUN_ALL_TESTS();
}
