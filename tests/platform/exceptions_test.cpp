#include "platform/exceptions.h"

#include <gtest/gtest.h>

#include <cerrno>

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

TEST(Exceptions, OsErrorsMapToFileCauses) {
    SKIP_UNLESS_EMULATED();
    EXPECT_EQ(CFileException::OsErrorToException(ENOENT), CFileException::fileNotFound);
    EXPECT_EQ(CFileException::OsErrorToException(EACCES), CFileException::accessDenied);
    EXPECT_EQ(CFileException::OsErrorToException(EWOULDBLOCK), CFileException::sharingViolation);
    EXPECT_EQ(CFileException::OsErrorToException(ENOSPC), CFileException::diskFull);
    EXPECT_EQ(CFileException::OsErrorToException(EPIPE), CFileException::genericException);
}

TEST(Exceptions, SystemMessagesForResultCodesAndOsErrors) {
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
    EXPECT_EQ(text(ENOENT), L"No such file or directory\n");
    EXPECT_EQ(text(0x80001234), L"");
    EXPECT_EQ(text(4000), L"") << "an errno value the C library does not know";
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ENOENT, 0, buffer, 5, nullptr),
              0u)
        << "too small a buffer";
}

}  // namespace
