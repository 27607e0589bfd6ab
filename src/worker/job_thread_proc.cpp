#include "worker/job_thread_proc.h"

#include <cstdio>
#include <stdexcept>

#include "platform/exceptions.h"
#include "platform/system/message_box.h"
#include "platform/text.h"
#include "platform/win32.h"
#include "worker/job_thread.h"
#include "worker/system_error.h"

namespace tarvex::worker {

namespace {

// "<kind>: <message>" for a class-library failure, which the catcher owns and deletes.
std::wstring ClassLibraryFailure(const wchar_t* kind, CException* failure) {
    constexpr UINT kMessageChars = 1000;
    wchar_t message[kMessageChars] = {};
    if (failure != nullptr) {
        failure->GetErrorMessage(message, kMessageChars);
        failure->Delete();
    }
    return std::wstring(kind) + L": " + message;
}

std::wstring StandardFailure(const char* kind, const std::exception& failure) {
    return tarvex::platform::WidenAnsi(std::string(kind) + ": " + failure.what());
}

}  // namespace

std::wstring DescribeFailure(std::exception_ptr failure) {
    // The order matters: the first matching kind describes the failure, so every kind comes
    // before the kinds it derives from.
    try {
        std::rethrow_exception(failure);
    } catch (ATL::CAtlException& e) {
        wchar_t code[16];
        std::swprintf(code, 16, L"%x", static_cast<unsigned>(e.m_hr));
        return L"ATL::CAtlException: " + DescribeSystemError(static_cast<DWORD>(e.m_hr)) +
               L", HRESULT=" + code;
    } catch (CArchiveException* e) {
        return ClassLibraryFailure(L"CArchiveException", e);
    } catch (CDBException* e) {
        return ClassLibraryFailure(L"CDBException", e);
    } catch (CFileException* e) {
        return ClassLibraryFailure(L"CFileException", e);
    } catch (CInternetException* e) {
        return ClassLibraryFailure(L"CInternetException", e);
    } catch (CMemoryException* e) {
        return ClassLibraryFailure(L"CMemoryException", e);
    } catch (CNotSupportedException* e) {
        return ClassLibraryFailure(L"CNotSupportedException", e);
    } catch (COleException* e) {
        return ClassLibraryFailure(L"COleException", e);
    } catch (COleDispatchException* e) {
        return ClassLibraryFailure(L"COleDispatchException", e);
    } catch (CResourceException* e) {
        return ClassLibraryFailure(L"CResourceException", e);
    } catch (CUserException* e) {
        return ClassLibraryFailure(L"CUserException", e);
    } catch (CException* e) {
        return ClassLibraryFailure(L"CException", e);
    } catch (std::overflow_error& e) {
        return StandardFailure("std::overflow_error", e);
    } catch (std::underflow_error& e) {
        return StandardFailure("std::underflow_error", e);
    } catch (std::range_error& e) {
        return StandardFailure("std::range_error", e);
    } catch (std::out_of_range& e) {
        return StandardFailure("std::out_of_range", e);
    } catch (std::length_error& e) {
        return StandardFailure("std::length_error", e);
    } catch (std::invalid_argument& e) {
        return StandardFailure("std::invalid_argument", e);
    } catch (std::domain_error& e) {
        return StandardFailure("std::domain_error", e);
    } catch (std::logic_error& e) {
        return StandardFailure("std::logic_error", e);
    } catch (std::runtime_error& e) {
        return StandardFailure("std::runtime_error", e);
    } catch (std::bad_alloc& e) {
        return StandardFailure("std::bad_alloc", e);
    } catch (std::exception& e) {
        return StandardFailure("std::exception", e);
    } catch (bool& value) {
        return value ? L"true" : L"false";
    } catch (long& code) {
        return DescribeSystemError(static_cast<DWORD>(code));
    } catch (...) {
        return L"Unknown exception";
    }
}

std::wstring FailureBoxText(const std::wstring& threadName, const std::wstring& failureText) {
    return threadName + L" : Exception occured\n\n     " + failureText +
           L"\n\n     Thread terminating.\n\n";
}

}  // namespace tarvex::worker

using tarvex::worker::DescribeFailure;
using tarvex::worker::FailureBoxText;
using tarvex::worker::kFailureCaption;
using tarvex::worker::kFailureExitCode;

unsigned JobThreadProc(void* argument) {
    auto* object = static_cast<CJobThread*>(argument);
    if (object == nullptr) return 0;

    CoInitializeEx(nullptr, object->comInitFlags);
    if (!object->OnThreadStart()) {
        CoUninitialize();
        return 0;
    }
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes the thread's queue
    const unsigned generation = object->NoteThreadStarted();

    DWORD exitCode;
    try {
        exitCode = object->RunLoop();
    } catch (...) {
        exitCode = kFailureExitCode;
        if (object->rethrowFailures) throw;
        const std::wstring failureText = DescribeFailure(std::current_exception());
        if (object->reportFailures) {
            // No owner: the box belongs to this thread, and the windows stay usable meanwhile.
            tarvex::platform::ShowMessageBox(nullptr,
                                             FailureBoxText(object->name, failureText).c_str(),
                                             kFailureCaption, MB_OK | MB_ICONHAND);
        }
    }
    object->NoteThreadEnded(generation);
    object->OnThreadEnd();
    CoUninitialize();
    return exitCode;
}
