#include "base/failure_trace.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <stdexcept>

namespace {

TEST(FailureTrace, NamesTheStepAndTheHresultInEightHexDigits) {
  EXPECT_EQ(base::failure_line("IDXGISwapChain::Present", static_cast<std::int32_t>(0x887A0005)),
            "tolvik: IDXGISwapChain::Present failed with HRESULT 0x887A0005\n");
  EXPECT_EQ(base::failure_line("step", 0x1A), "tolvik: step failed with HRESULT 0x0000001A\n");
}

TEST(FailureTrace, AThrowAtABoundaryIsTracedAndAnsweredWithItsHresult) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(base::com_boundary("IThing::Read", []() -> std::int32_t { throw std::runtime_error("disk gone"); }),
            static_cast<std::int32_t>(0x80004005));
  EXPECT_EQ(base::com_boundary("IThing::Make", []() -> std::int32_t { throw std::bad_alloc(); }),
            static_cast<std::int32_t>(0x8007000E));
  EXPECT_EQ(base::com_boundary("IThing::Ask", [] { return std::int32_t{1}; }), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "tolvik: IThing::Read (disk gone) failed with HRESULT 0x80004005\n"
            "tolvik: IThing::Make failed with HRESULT 0x8007000E\n");
}

}  // namespace
