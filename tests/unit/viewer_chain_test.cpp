#include <gtest/gtest.h>

#include "app/viewer_chain.h"

namespace korvimo {
namespace {

TEST(ViewerChainTest, AloneInTheChainNothingIsForwarded) {
    ViewerChain chain;
    EXPECT_FALSE(chain.ForwardDrawClipboard());
    EXPECT_FALSE(chain.OnChangeCbChain(0x50, 0x60));
    EXPECT_EQ(chain.NextViewer, 0u);
}

TEST(ViewerChainTest, OurNextViewerLeavingLinksToTheOneAfterIt) {
    ViewerChain chain{0x100};
    EXPECT_TRUE(chain.ForwardDrawClipboard());
    EXPECT_FALSE(chain.OnChangeCbChain(0x100, 0x200));
    EXPECT_EQ(chain.NextViewer, 0x200u);
    EXPECT_FALSE(chain.OnChangeCbChain(0x200, 0));
    EXPECT_EQ(chain.NextViewer, 0u);
    EXPECT_FALSE(chain.ForwardDrawClipboard());
}

TEST(ViewerChainTest, AnotherWindowLeavingIsPassedOnUnchanged) {
    ViewerChain chain{0x100};
    EXPECT_TRUE(chain.OnChangeCbChain(0x300, 0x400));
    EXPECT_EQ(chain.NextViewer, 0x100u);
}

}  // namespace
}  // namespace korvimo
