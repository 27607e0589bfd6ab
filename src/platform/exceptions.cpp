#include "platform/exceptions.h"

#include <cwchar>

#include "platform/os_error.h"
#include "platform/win32.h"

namespace {

// Replaces the one "%1" in `pattern` with the file's name.
std::wstring WithFileName(std::wstring pattern, const std::wstring& fileName) {
    const std::wstring name = fileName.empty() ? L"an unnamed file" : fileName;
    if (auto at = pattern.find(L"%1"); at != std::wstring::npos) pattern.replace(at, 2, name);
    return pattern;
}

}  // namespace

BOOL CException::GetErrorMessage(wchar_t* buffer, UINT maxChars, UINT* helpContext) const {
    if (helpContext != nullptr) *helpContext = 0;
    if (buffer == nullptr || maxChars == 0) return FALSE;
    const std::wstring message = Message();
    const std::size_t length = std::min<std::size_t>(message.size(), maxChars - 1);
    std::wmemcpy(buffer, message.data(), length);
    buffer[length] = L'\0';
    return message.empty() ? FALSE : TRUE;
}

std::wstring CMemoryException::Message() const { return L"Out of memory."; }

std::wstring CNotSupportedException::Message() const {
    return L"An unsupported operation was attempted.";
}

std::wstring CResourceException::Message() const { return L"A required resource was unavailable."; }

std::wstring CFileException::Message() const {
    switch (m_cause) {
        case none:
            return L"No error occurred.";
        case fileNotFound:
            return WithFileName(L"%1 was not found.", m_strFileName);
        case badPath:
            return WithFileName(L"%1 contains an invalid path.", m_strFileName);
        case tooManyOpenFiles:
            return WithFileName(L"%1 could not be opened because there are too many open files.",
                                m_strFileName);
        case accessDenied:
            return WithFileName(L"Access to %1 was denied.", m_strFileName);
        case invalidFile:
            return WithFileName(L"An invalid file handle was associated with %1.", m_strFileName);
        case removeCurrentDir:
            return WithFileName(L"%1 could not be removed because it is the current directory.",
                                m_strFileName);
        case directoryFull:
            return WithFileName(L"%1 could not be created because the directory is full.",
                                m_strFileName);
        case badSeek:
            return WithFileName(L"Seek failed on %1.", m_strFileName);
        case hardIO:
            return WithFileName(L"A hardware I/O error was reported while accessing %1.",
                                m_strFileName);
        case sharingViolation:
            return WithFileName(L"A sharing violation occurred while accessing %1.", m_strFileName);
        case lockViolation:
            return WithFileName(L"A locking violation occurred while accessing %1.", m_strFileName);
        case diskFull:
            return WithFileName(L"Disk full while accessing %1.", m_strFileName);
        case endOfFile:
            return WithFileName(L"An attempt was made to access %1 past its end.", m_strFileName);
        default:
            return WithFileName(L"An unknown error occurred while accessing %1.", m_strFileName);
    }
}

std::wstring CArchiveException::Message() const {
    switch (m_cause) {
        case none:
            return L"No error occurred.";
        case readOnly:
            return WithFileName(L"Tried to write to %1 while it was open for reading only.",
                                m_strFileName);
        case endOfFile:
            return WithFileName(L"An attempt was made to access %1 past its end.", m_strFileName);
        case writeOnly:
            return WithFileName(L"Tried to read from %1 while it was open for writing only.",
                                m_strFileName);
        case badIndex:
            return WithFileName(L"%1 has an invalid format.", m_strFileName);
        case badClass:
            return WithFileName(L"%1 contains an unexpected object.", m_strFileName);
        case badSchema:
            return WithFileName(L"%1 contains an unsupported version.", m_strFileName);
        default:
            return WithFileName(L"An unknown error occurred while accessing %1.", m_strFileName);
    }
}

int CFileException::OsErrorToException(LONG osError) {
    using tarvex::platform::OsErrorKind;
    switch (tarvex::platform::KindOfOsError(static_cast<std::uint32_t>(osError))) {
        case OsErrorKind::kNone:
            return none;
        case OsErrorKind::kNotFound:
            return fileNotFound;
        case OsErrorKind::kBadPath:
            return badPath;
        case OsErrorKind::kTooManyOpenFiles:
            return tooManyOpenFiles;
        case OsErrorKind::kAccessDenied:
            return accessDenied;
        case OsErrorKind::kInvalidHandle:
            return invalidFile;
        case OsErrorKind::kCurrentDirectory:
            return removeCurrentDir;
        case OsErrorKind::kInUse:
            return sharingViolation;
        case OsErrorKind::kLocked:
            return lockViolation;
        case OsErrorKind::kDiskFull:
            return diskFull;
        case OsErrorKind::kBadSeek:
            return badSeek;
        case OsErrorKind::kHardware:
            return hardIO;
        case OsErrorKind::kEndOfFile:
            return endOfFile;
        default:
            return genericException;
    }
}

std::wstring COleException::Message() const {
    wchar_t buffer[1000] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, static_cast<DWORD>(m_sc), 0, buffer, 1000,
                   nullptr);
    return buffer;
}

void AfxThrowMemoryException() { throw new CMemoryException(); }
void AfxThrowOleException(SCODE sc) { throw new COleException(sc); }
void AfxThrowFileException(int cause, LONG osError, const std::wstring& fileName) {
    throw new CFileException(cause, osError, fileName);
}
void AfxThrowArchiveException(int cause, const std::wstring& fileName) {
    throw new CArchiveException(cause, fileName);
}

std::wstring tarvex::platform::TakeErrorMessage(CException* failure) {
    if (failure == nullptr) return {};
    std::wstring message = failure->Message();
    failure->Delete();
    return message;
}
