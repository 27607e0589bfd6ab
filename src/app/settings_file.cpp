// The main window's settings file: read once at start-up, written once by the close sequence.
#include "app/loader_dialog.h"
#include "app/settings_record.h"
#include "platform/files/archive.h"
#include "platform/files/file.h"

using tarvex::app::LoadSettingsRecord;
using tarvex::app::SettingsRecord;
using tarvex::app::StoreSettingsRecord;
using tarvex::platform::TakeErrorMessage;

namespace {

// The file or archive layer's failure, in a box owned by the window; the failure is consumed.
void Report(const CWnd& window, CException* failure) {
    window.MessageBox(TakeErrorMessage(failure).c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

void LoaderDialog::Serialize(CArchive& archive) {
    if (archive.IsStoring()) {
        UpdateData(TRUE);  // what the radio buttons and the edit box show now
        StoreSettingsRecord(archive, {m_nSetupType, m_strCustomFile, m_nPortIndex});
        return;
    }
    SettingsRecord record{m_nSetupType, m_strCustomFile, m_nPortIndex};
    if (LoadSettingsRecord(archive, record)) {
        m_nSetupType = record.setupType;
        m_strCustomFile = std::move(record.customFile);
        m_nPortIndex = record.portIndex;
    }
}

bool LoaderDialog::LoadSettings() {
    CFile file;
    if (!file.Open(kSettingsFileName, CFile::modeRead | CFile::shareDenyWrite)) return false;
    try {
        CArchive archive(&file, CArchive::load);
        Serialize(archive);
        archive.Close();
        file.Close();
        return true;
    } catch (CException* failure) {
        Report(*this, failure);
        return false;
    }
}

bool LoaderDialog::SaveSettings() {
    // The file is written whole or not at all: a failure leaves the old one as it was.
    // A file that cannot be made (the working folder gone, no right to write it) is said in the
    // settings file's box: the technician's choices would otherwise be lost without a word.
    CFile file;
    CFileException openError(CFileException::none, 0);
    if (!file.Open(kSettingsFileName,
                   CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive, &openError)) {
        Report(*this, new CFileException(openError.m_cause, openError.m_lOsError,
                                         openError.m_strFileName));
        return false;
    }
    try {
        CArchive archive(&file, CArchive::store);
        Serialize(archive);
        archive.Close();
        file.Close();
        return true;
    } catch (CException* failure) {
        file.Abort();
        Report(*this, failure);
        return false;
    }
}
