// The job log's words for a Windows port's failures: the same number means another program at
// the open and a pulled adapter once the port carries a job.
#include "platform/serial/link_errors.h"

#include <gtest/gtest.h>

#include "platform/win32.h"

namespace {

using tarvex::platform::DescribeLinkError;
constexpr auto kOpening = tarvex::platform::LinkStep::kOpening;
constexpr auto kTransferring = tarvex::platform::LinkStep::kTransferring;

TEST(LinkErrors, AnOpensWordsAndATransfersWordsDiffer) {
    const std::string inUse = "the port is in use by another program";
    const std::string dropped = "the line was dropped (unplugged, or the device hung up)";
    EXPECT_EQ(DescribeLinkError(L"COM5", ERROR_ACCESS_DENIED, kOpening), inUse);
    EXPECT_EQ(DescribeLinkError(L"COM5", ERROR_FILE_NOT_FOUND, kOpening), "there is no such port");
    // After an unplug: the pending read aborted, later calls refused.
    for (const DWORD error : {ERROR_OPERATION_ABORTED, ERROR_ACCESS_DENIED, ERROR_BAD_COMMAND,
                              ERROR_GEN_FAILURE, ERROR_DEVICE_NOT_CONNECTED}) {
        EXPECT_EQ(DescribeLinkError(L"COM5", error, kTransferring), dropped) << error;
    }
    // Nothing the job did not cause is ever said to be the window's closing.
    EXPECT_EQ(DescribeLinkError(L"COM5", ERROR_OPERATION_ABORTED, kOpening).find("window"),
              std::string::npos);
}

}  // namespace
