// The class library's failure types. They are raised as pointers made with `new`
// (`throw new CFileException(...)`, or the AfxThrow helpers) and caught as pointers; whoever
// catches one calls Delete() on it. ATL::CAtlException is raised and caught by value.
#pragma once

#include <string>

#include "platform/win32.h"

class CException;

namespace tarvex::platform {
// The whole message of a caught failure (empty when it has none); the failure is deleted.
std::wstring TakeErrorMessage(CException* failure);
}  // namespace tarvex::platform

class CException {
  public:
    virtual ~CException() = default;
    CException(const CException&) = delete;
    CException& operator=(const CException&) = delete;

    // Copies the message, cut to `maxChars` - 1 characters, into `buffer`. FALSE (and an empty
    // buffer) when the failure has no message.
    BOOL GetErrorMessage(wchar_t* buffer, UINT maxChars, UINT* helpContext = nullptr) const;
    void Delete() { delete this; }
    friend std::wstring tarvex::platform::TakeErrorMessage(CException* failure);

  protected:
    CException() = default;
    virtual std::wstring Message() const { return {}; }
};

class CMemoryException : public CException {
  protected:
    std::wstring Message() const override;
};

class CNotSupportedException : public CException {
  protected:
    std::wstring Message() const override;
};

class CResourceException : public CException {
  protected:
    std::wstring Message() const override;
};

// Raised after the user has already been told; it carries no message.
class CUserException : public CException {};

class CFileException : public CException {
  public:
    enum Cause {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    CFileException(int cause, LONG osError, std::wstring fileName = {})
        : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)) {}

    // The cause for the system's own error number (errno on Linux, a Win32 code on Windows).
    static int OsErrorToException(LONG osError);

    // Public, as in the class library: a handler reads what went wrong.
    int m_cause;
    LONG m_lOsError;
    std::wstring m_strFileName;

  protected:
    std::wstring Message() const override;
};

class CArchiveException : public CException {
  public:
    enum Cause {
        none,
        genericException,
        readOnly,
        endOfFile,
        writeOnly,
        badIndex,
        badClass,
        badSchema,
    };

    explicit CArchiveException(int cause, std::wstring fileName = {})
        : m_cause(cause), m_strFileName(std::move(fileName)) {}

    // Public, as in the class library: a handler reads what went wrong.
    int m_cause;
    std::wstring m_strFileName;

  protected:
    std::wstring Message() const override;
};

// A failure carrying a result code; its message is the system's text for the code.
class COleException : public CException {
  public:
    explicit COleException(SCODE sc) : m_sc(sc) {}
    // Public, as in the class library: a handler reads what went wrong.
    SCODE m_sc;

  protected:
    std::wstring Message() const override;
};

class COleDispatchException : public CException {
  public:
    COleDispatchException(std::wstring description, UINT helpId, WORD code)
        : m_strDescription(std::move(description)), m_dwHelpContext(helpId), m_wCode(code) {}
    // Public, as in the class library: a handler reads what went wrong.
    std::wstring m_strDescription;
    UINT m_dwHelpContext;
    WORD m_wCode;

  protected:
    std::wstring Message() const override { return m_strDescription; }
};

class CDBException : public CException {
  public:
    CDBException(short returnCode, std::wstring error)
        : m_nRetCode(returnCode), m_strError(std::move(error)) {}
    // Public, as in the class library: a handler reads what went wrong.
    short m_nRetCode;
    std::wstring m_strError;

  protected:
    std::wstring Message() const override { return m_strError; }
};

class CInternetException : public CException {
  public:
    CInternetException(DWORD error, std::wstring message)
        : m_dwError(error), m_strMessage(std::move(message)) {}
    // Public, as in the class library: a handler reads what went wrong.
    DWORD m_dwError;
    std::wstring m_strMessage;

  protected:
    std::wstring Message() const override { return m_strMessage; }
};

namespace ATL {
class CAtlException {
  public:
    explicit CAtlException(HRESULT hr) : m_hr(hr) {}
    operator HRESULT() const { return m_hr; }
    // Public, as in the class library: a handler reads what went wrong.
    HRESULT m_hr;
};
}  // namespace ATL

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowOleException(SCODE sc);
[[noreturn]] void AfxThrowFileException(int cause, LONG osError = -1,
                                        const std::wstring& fileName = {});
[[noreturn]] void AfxThrowArchiveException(int cause, const std::wstring& fileName = {});
