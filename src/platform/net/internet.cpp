#include "platform/net/internet.h"

#include <algorithm>
#include <string>

#include "platform/files/file.h"
#include "platform/os_error.h"

namespace {

// Why the downloaded file could not take its place, in the system's words and number.
std::string LocalFileFailure(LONG osError) {
    const auto code = static_cast<std::uint32_t>(osError);
    return "the local file cannot be written: " + tarvex::platform::OsErrorText(code) + " (error " +
           std::to_string(code) + ")";
}

}  // namespace

BOOL CFtpConnection::GetFile(const wchar_t* remoteFile, const wchar_t* localFile, BOOL failIfExists,
                             DWORD /*attributes*/, DWORD /*flags*/, DWORD_PTR /*context*/) {
    // Every fetch goes to the server: there is no cache to read from, whatever the flags.
    lastError_.clear();
    if (!impl_ || remoteFile == nullptr || localFile == nullptr) {
        lastError_ = "the connection is closed";
        return FALSE;
    }
    CFileFind finder;
    if (failIfExists && finder.FindFile(localFile)) {
        lastError_ = "the local file exists";
        return FALSE;
    }
    CFile::RemoveAbandonedReplacements(localFile);
    CFile file;
    CFileException openError(CFileException::none, 0);
    if (!file.Open(localFile, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive,
                   &openError)) {
        lastError_ = LocalFileFailure(openError.m_lOsError);
        return FALSE;
    }
    std::uint64_t received = 0;
    if (!Fetch(remoteFile, file, received) || received == 0) {
        // An empty file is never firmware: the good copy stays.
        if (lastError_.empty()) lastError_ = "the file is empty";
        file.Abort();
        return FALSE;
    }
    try {
        file.Close();  // the complete file takes the old one's place
    } catch (CFileException* failure) {
        lastError_ = LocalFileFailure(failure->m_lOsError);
        failure->Delete();
        return FALSE;
    }
    return TRUE;
}

namespace tarvex::platform {

bool FileDeadlinePassed(const InternetTimeouts& timeouts, double elapsedMs,
                        std::uint64_t received) {
    const double allowedMs = static_cast<double>(timeouts.fileFloorMs) +
                             static_cast<double>(received) * 1000.0 /
                                 static_cast<double>(std::max(1L, timeouts.fileBytesPerSecond));
    return elapsedMs > allowedMs;
}

std::string DescribeFetchEnd(const FetchEnd& end) {
    if (end.givenUp) return "given up: the window is closing";
    if (end.stalled) return "the transfer stalled";
    if (end.pastDeadline) return "the file did not arrive in its time";
    if (end.tooLong) return "the file is longer than a job can send";
    if (end.writeFailed) return "the local file cannot be written";
    if (end.announced != 0 && end.received != end.announced) {
        return "the server ended the file early, after " + std::to_string(end.received) + " of " +
               std::to_string(end.announced) + " bytes";
    }
    return end.other;
}

std::uint64_t SizeInReply(std::wstring_view reply) {
    const std::size_t bytes = reply.rfind(L" bytes)");
    if (bytes == std::wstring_view::npos) return 0;
    const std::size_t open = reply.rfind(L'(', bytes);
    if (open == std::wstring_view::npos || open + 1 == bytes) return 0;
    std::uint64_t size = 0;
    for (const wchar_t digit : reply.substr(open + 1, bytes - open - 1)) {
        if (digit < L'0' || digit > L'9' || size > (UINT64_MAX - 9) / 10) return 0;
        size = size * 10 + static_cast<std::uint64_t>(digit - L'0');
    }
    return size;
}

}  // namespace tarvex::platform
