#include "platform/exceptions.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "platform/os_error.h"
#include "platform/win32.h"
#include "support/emulation.h"

namespace {

std::wstring MessageOf(const CException& failure, UINT maxChars = 1000) {
    wchar_t buffer[1000];
    failure.GetErrorMessage(buffer, maxChars);
    return buffer;
}

TEST(Exceptions, MessagesNameTheFileAndAreCutToTheBuffer) {
    CFileException missing(CFileException::fileNotFound, ENOENT, L"Quorlex2000.hex");
    EXPECT_EQ(MessageOf(missing), L"Quorlex2000.hex was not found.");
    EXPECT_EQ(MessageOf(missing, 9), L"Quorlex2");
    EXPECT_EQ(MessageOf(CFileException(CFileException::accessDenied, EACCES)),
              L"Access to an unnamed file was denied.");
    EXPECT_EQ(MessageOf(CMemoryException()), L"Out of memory.");
    EXPECT_EQ(MessageOf(CArchiveException(CArchiveException::endOfFile, L"Tarvex2.cfg")),
              L"An attempt was made to access Tarvex2.cfg past its end.");
    EXPECT_EQ(MessageOf(CArchiveException(CArchiveException::genericException)),
              L"An unknown error occurred while accessing an unnamed file.");
    if (kEmulatedWin32) {
        EXPECT_EQ(MessageOf(COleException(E_INVALIDARG)), L"The parameter is incorrect.\n");
    }

    wchar_t buffer[4] = L"xyz";
    EXPECT_FALSE(CUserException().GetErrorMessage(buffer, 4));
    EXPECT_EQ(buffer[0], L'\0');
}

// The system's own numbers (errno on Linux, Win32 codes on Windows) are one vocabulary: each
// maps to a file failure's cause and keeps the system's words.
TEST(Exceptions, SystemErrorsMapToFileCausesAndKeepTheSystemsWords) {
    using tarvex::platform::OsErrorText;
    struct Case {
        std::uint32_t code;
        int cause;
    };
#ifdef _WIN32
    const Case cases[] = {{ERROR_FILE_NOT_FOUND, CFileException::fileNotFound},
                          {ERROR_ACCESS_DENIED, CFileException::accessDenied},
                          {ERROR_SHARING_VIOLATION, CFileException::sharingViolation},
                          {ERROR_DISK_FULL, CFileException::diskFull},
                          {ERROR_BROKEN_PIPE, CFileException::genericException}};
    const std::string missing = OsErrorText(ERROR_FILE_NOT_FOUND);  // Windows' words, or Wine's
    EXPECT_TRUE(missing == "The system cannot find the file specified" ||
                missing == "File not found")
        << missing;
#else
    const Case cases[] = {{ENOENT, CFileException::fileNotFound},
                          {EACCES, CFileException::accessDenied},
                          {EWOULDBLOCK, CFileException::sharingViolation},
                          {ENOSPC, CFileException::diskFull},
                          {EPIPE, CFileException::genericException}};
    EXPECT_EQ(OsErrorText(ENOENT), "No such file or directory");
#endif
    for (const Case& error : cases) {
        EXPECT_EQ(CFileException::OsErrorToException(static_cast<LONG>(error.code)), error.cause)
            << error.code;
        const std::string text = OsErrorText(error.code);
        EXPECT_FALSE(text.empty() || text.back() == '.' || text.find('\n') != std::string::npos)
            << text;
    }
    EXPECT_EQ(OsErrorText(0x20001234), "system error 536875572") << "a number with no words";
}

// The emulation's FormatMessageW tells the codes the emulation itself gives (GetLastError's
// Win32 numbers) and result codes, in Windows' words; never an errno value under the same number.
TEST(Exceptions, SystemMessagesForResultCodesAndTheEmulationsErrorCodes) {
    SKIP_UNLESS_EMULATED();
    wchar_t buffer[1000];
    auto text = [&](DWORD code) {
        buffer[0] = L'\0';
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0x400, buffer, 1000, nullptr);
        return std::wstring(buffer);
    };
    EXPECT_EQ(text(static_cast<DWORD>(E_HANDLE)), L"The handle is invalid.\n");
    EXPECT_EQ(text(static_cast<DWORD>(E_POINTER)), L"Invalid pointer\n");
    EXPECT_EQ(text(static_cast<DWORD>(E_FAIL)), L"Unspecified error\n");
    EXPECT_EQ(text(static_cast<DWORD>(E_OUTOFMEMORY)),
              L"Not enough memory resources are available to complete this operation.\n");
    EXPECT_EQ(text(ERROR_INVALID_HANDLE), L"The handle is invalid.\n")
        << "6 is ERROR_INVALID_HANDLE, not errno's ENXIO";
    EXPECT_EQ(text(ERROR_INVALID_PARAMETER), L"The parameter is incorrect.\n");
    EXPECT_EQ(text(0x80001234), L"");
    EXPECT_EQ(text(4000), L"") << "a code the emulation never gives";
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_INVALID_HANDLE, 0, buffer,
                             5, nullptr),
              0u)
        << "too small a buffer";
}

}  // namespace
