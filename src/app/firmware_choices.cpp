// Which built-in firmware files the main window offers, and the version label of the
// field-update file.
#include <vector>

#include "app/loader_dialog.h"
#include "platform/files/exclusive_file.h"
#include "platform/files/file.h"
#include "update/version_label.h"

using tarvex::app::kCustomConsoleType;
using tarvex::app::kCustomSignType;
using tarvex::update::ErrorOpeningLabel;
using tarvex::update::kFieldUpdateHeaderSize;
using tarvex::update::LabelBase;
using tarvex::update::VersionLabel;

namespace {

constexpr SetupType kBuiltInSignType = 3;

// The custom choice that takes the place of a missing built-in file.
SetupType CustomTypeFor(SetupType builtIn) {
    return builtIn == kBuiltInSignType ? kCustomSignType : kCustomConsoleType;
}

}  // namespace

void LoaderDialog::RefreshFirmwareChoices(bool movesChoice) {
    CFileFind finder;
    for (SetupType row = 0; row <= kBuiltInSignType; ++row) {
        const SetupTypeRow& choice = kSetupTypes[static_cast<std::size_t>(row)];
        CWnd* button = GetDlgItem(choice.radioId);
        if (button == nullptr) continue;
        if (!finder.FindFile(choice.fileName)) {
            // The technician's choice stays where it is; a job on it says the file is missing.
            if (!movesChoice && m_nSetupType == row) continue;
            button->EnableWindow(FALSE);
            CheckDlgButton(choice.radioId, BST_UNCHECKED);
            if (m_nSetupType == row) {
                m_nSetupType = CustomTypeFor(row);
                CheckDlgButton(kSetupTypes[static_cast<std::size_t>(m_nSetupType)].radioId,
                               BST_CHECKED);
            }
            continue;
        }
        button->EnableWindow(TRUE);
        if (row != kBuiltInSignType) continue;  // console files carry no version label

        const std::wstring base = LabelBase(button->GetWindowText());
        tarvex::platform::ExclusiveFile file;
        std::vector<std::uint8_t> header;
        if (!file.Open(choice.fileName) || !file.ReadStart(kFieldUpdateHeaderSize, header)) {
            button->SetWindowText(ErrorOpeningLabel(base));
            continue;
        }
        button->SetWindowText(VersionLabel(base, header));
    }
}
