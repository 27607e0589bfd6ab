// The worker thread's entry procedure: its end sequence and its report of failures.
#include "worker/job_thread_proc.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <system_error>

#include "platform/exceptions.h"
#include "platform/system/message_box.h"
#include "platform/system/threads.h"
#include "platform/win32.h"
#include "support/emulation.h"
#include "support/recording_message_box.h"
#include "support/test_worker.h"
#include "worker/system_error.h"

using tarvex::platform::MessageBoxRequest;
using tarvex::worker::DescribeFailure;
using tarvex::worker::DescribeSystemError;
using tarvex::worker::FailureBoxText;

namespace {

template <typename Failure>
std::wstring Describe(Failure failure) {
    try {
        throw failure;
    } catch (...) {
        return DescribeFailure(std::current_exception());
    }
}

struct NotAFailureType {};
class CustomStdFailure : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

TEST(FailureReport, EachKindIsDescribedByItsOwnRow) {
    const std::wstring badParameter = DescribeSystemError(static_cast<DWORD>(E_INVALIDARG));
    if (kEmulatedWin32) {
        ASSERT_EQ(badParameter, L"The parameter is incorrect.\n");
    }
    EXPECT_EQ(Describe(ATL::CAtlException(E_INVALIDARG)),
              L"ATL::CAtlException: " + badParameter + L", HRESULT=80070057");
    EXPECT_EQ(Describe(new CFileException(CFileException::fileNotFound, 2, L"Arena.hex")),
              L"CFileException: Arena.hex was not found.");
    EXPECT_EQ(Describe(new CArchiveException(CArchiveException::badSchema, L"Tarvex2.cfg")),
              L"CArchiveException: Tarvex2.cfg contains an unsupported version.");
    EXPECT_EQ(Describe(new CMemoryException()), L"CMemoryException: Out of memory.");
    EXPECT_EQ(Describe(new COleException(E_FAIL)),
              L"COleException: " + DescribeSystemError(static_cast<DWORD>(E_FAIL)));
    if (kEmulatedWin32) {
        EXPECT_EQ(DescribeSystemError(static_cast<DWORD>(E_FAIL)), L"Unspecified error\n");
    }
    EXPECT_EQ(Describe(new CDBException(-1, L"gone")), L"CDBException: gone");
    EXPECT_EQ(Describe(new CInternetException(12029, L"no connection")),
              L"CInternetException: no connection");
    EXPECT_EQ(Describe(new COleDispatchException(L"busy", 0, 1)), L"COleDispatchException: busy");
    EXPECT_EQ(Describe(new CNotSupportedException()),
              L"CNotSupportedException: An unsupported operation was attempted.");
    EXPECT_EQ(Describe(new CResourceException()),
              L"CResourceException: A required resource was unavailable.");
    EXPECT_EQ(Describe(new CUserException()), L"CUserException: ");
    EXPECT_EQ(Describe(static_cast<CException*>(new CFileException(CFileException::diskFull, 28))),
              L"CException: Disk full while accessing an unnamed file.")
        << "the raised pointer's type picks the row; the message is the failure's own";

    EXPECT_EQ(Describe(std::overflow_error("o")), L"std::overflow_error: o");
    EXPECT_EQ(Describe(std::underflow_error("u")), L"std::underflow_error: u");
    EXPECT_EQ(Describe(std::range_error("r")), L"std::range_error: r");
    EXPECT_EQ(Describe(std::out_of_range("index 9")), L"std::out_of_range: index 9");
    EXPECT_EQ(Describe(std::length_error("l")), L"std::length_error: l");
    EXPECT_EQ(Describe(std::invalid_argument("i")), L"std::invalid_argument: i");
    EXPECT_EQ(Describe(std::domain_error("d")), L"std::domain_error: d");
    EXPECT_EQ(Describe(std::logic_error("g")), L"std::logic_error: g");
    EXPECT_EQ(Describe(CustomStdFailure("c\xE9")), L"std::runtime_error: c\u00E9");
    EXPECT_EQ(Describe(std::bad_alloc()), L"std::bad_alloc: std::bad_alloc");
    EXPECT_EQ(Describe(std::bad_cast()), L"std::exception: std::bad_cast");

    EXPECT_EQ(Describe(true), L"true");
    EXPECT_EQ(Describe(false), L"false");
    EXPECT_EQ(Describe(2L), DescribeSystemError(2)) << "a long is a system error number";
    if (kEmulatedWin32) {
        EXPECT_EQ(Describe(6L), L"The handle is invalid.\n") << "a Win32 code, as on Windows";
    }
    EXPECT_EQ(Describe(static_cast<long>(0x80001234)), L"") << "no system text";
    EXPECT_EQ(Describe(2), L"Unknown exception") << "an int is not a long";
    EXPECT_EQ(Describe("text"), L"Unknown exception");
    EXPECT_EQ(Describe(NotAFailureType{}), L"Unknown exception");
    EXPECT_EQ(Describe(static_cast<CException*>(nullptr)), L"CException: ");
}

TEST(FailureReport, BoxTextFrameIsExact) {
    EXPECT_EQ(FailureBoxText(L"CJobThread", L"CFileException: M"),
              L"CJobThread : Exception occured\n\n     CFileException: M"
              L"\n\n     Thread terminating.\n\n");
}

class EndCountingWorker : public TestWorker {
  public:
    ~EndCountingWorker() override { EndThreads(); }  // its override runs on the worker
    bool OnThreadEnd() override {
        ++ends;
        return true;
    }
    // Public: the test reads how often the thread ended.
    std::atomic<int> ends{0};
};

TEST(JobThreadProc, FailingJobShowsOneBoxAndEndsWithCode1000) {
    RecordingMessageBox boxes;
    EndCountingWorker worker;
    HANDLE event = worker.Register([](TestWorker&) -> bool {
        AfxThrowFileException(CFileException::accessDenied, 13, L"COM9");
    });
    HANDLE thread = worker.StartThread(INFINITE, 0, nullptr, 0);
    SetEvent(event);
    ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);

    DWORD exitCode = 0;
    GetExitCodeThread(thread, &exitCode);
    EXPECT_EQ(exitCode, 1000u);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    const MessageBoxRequest box = boxes.Boxes().front();
    EXPECT_EQ(box.caption, L"CJobThread Exception");
    EXPECT_EQ(box.text,
              L"CJobThread : Exception occured\n\n     CFileException: Access to COM9 "
              L"was denied.\n\n     Thread terminating.\n\n");
    EXPECT_EQ(box.style, MB_OK | MB_ICONHAND);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(worker.ends, 1) << "the orderly end follows the report";
    EXPECT_EQ(WaitForSingleObject(worker.StartedEvent(), 0), WAIT_TIMEOUT);
    EXPECT_EQ(worker.ThreadHandle(), thread) << "the object still holds the ended thread";
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT) << "the loop took the signal";

    // The next start replaces the ended thread, and the table is intact.
    HANDLE next = worker.StartThread(INFINITE, 0, nullptr, 0);
    ASSERT_NE(next, nullptr);
    if (kEmulatedWin32) {
        EXPECT_NE(next, thread) << "handle values are never reused";
    }
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST(JobThreadProc, WithoutReportingNoBoxIsShownAndTheEndIsTheSame) {
    RecordingMessageBox boxes;
    EndCountingWorker worker;
    worker.reportFailures = false;
    HANDLE event = worker.Register([](TestWorker&) -> bool { throw std::out_of_range("x"); });
    HANDLE thread = worker.StartThread(INFINITE, 0, nullptr, 0);
    SetEvent(event);
    ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    GetExitCodeThread(thread, &exitCode);
    EXPECT_EQ(exitCode, 1000u);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(worker.ends, 1);
}

TEST(JobThreadProc, NormalEndShowsNoBoxAndEndsWithCodeZero) {
    RecordingMessageBox boxes;
    EndCountingWorker worker;
    HANDLE event = worker.Register([](TestWorker&) { return false; });
    HANDLE thread = worker.StartThread(INFINITE, 0, nullptr, 0);
    SetEvent(event);
    ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeThread(thread, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(worker.ends, 1);
}

TEST(JobThreadProc, NoObjectEndsAtOnceWithCodeZero) { EXPECT_EQ(JobThreadProc(nullptr), 0u); }

TEST(JobThreadProc, BoxCarriesTheThreadsName) {
    RecordingMessageBox boxes;
    TestWorker worker;
    worker.name = L"Tessary sign job";
    HANDLE event = worker.Register([](TestWorker&) -> bool { throw 7; });
    HANDLE thread = worker.StartThread(INFINITE, 0, nullptr, 0);
    SetEvent(event);
    ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text,
              L"Tessary sign job : Exception occured\n\n     Unknown "
              L"exception\n\n     Thread terminating.\n\n");
}

}  // namespace
