#include "base/failure_trace.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(FailureTrace, NamesTheStepAndTheHresultInEightHexDigits) {
  EXPECT_EQ(base::failure_line("IDXGISwapChain::Present", static_cast<std::int32_t>(0x887A0005)),
            "tolvik: IDXGISwapChain::Present failed with HRESULT 0x887A0005\n");
  EXPECT_EQ(base::failure_line("step", 0x1A), "tolvik: step failed with HRESULT 0x0000001A\n");
}

}  // namespace
