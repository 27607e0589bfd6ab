#include "platform/internet.h"

#include <string>

#include "platform/file.h"

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
        lastError_ =
            "the local file cannot be written (error " + std::to_string(openError.m_lOsError) + ")";
        return FALSE;
    }
    if (!Fetch(remoteFile, file)) {
        file.Abort();
        return FALSE;
    }
    try {
        file.Close();  // the complete file takes the old one's place
    } catch (CFileException* failure) {
        lastError_ =
            "the local file cannot be written (error " + std::to_string(failure->m_lOsError) + ")";
        failure->Delete();
        return FALSE;
    }
    return TRUE;
}
