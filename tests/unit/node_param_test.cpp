#include <gtest/gtest.h>

#include "app/node_param.h"

namespace korvimo {
namespace {

TEST(NodeParamTest, EveryKeyTheProgramMakesSurvivesTheRoundTrip) {
    for (const char* key : {"M", "T", "P", "Txt0", "Txt17", "Txt10000", "Pic0", "Pic11", "Pic10000"}) {
        int32_t param = KeyToParam(key);
        EXPECT_NE(param, 0) << key;
        EXPECT_EQ(ParamToKey(param), key);
    }
    EXPECT_NE(KeyToParam("Txt5"), KeyToParam("Pic5"));
}

TEST(NodeParamTest, ForeignKeysAndParametersMapToNothing) {
    EXPECT_EQ(KeyToParam("X"), 0);
    EXPECT_EQ(KeyToParam("Txt"), 0);
    EXPECT_EQ(KeyToParam("Txt-1"), 0);
    EXPECT_EQ(KeyToParam("Pic10001"), 0);
    EXPECT_EQ(ParamToKey(0), "");
    EXPECT_EQ(ParamToKey(-4), "");
    EXPECT_EQ(ParamToKey(0x30000005), "");
    EXPECT_EQ(ParamToKey(0x10000000 | 20000), "");
}

}  // namespace
}  // namespace korvimo
