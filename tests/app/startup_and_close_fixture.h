// The main window started and closed in a working folder of the test's own, and what the tests
// read of it through the class library.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/loader_dialog.h"
#include "app/resource.h"
#include "app/settings_record.h"
#include "support/recording_message_box.h"
#include "support/window_driver.h"
#include "support/working_directory.h"

using tarvex::app::SettingsRecord;
using tarvex::app::StoreSettingsRecord;
using tarvex::platform::SerialPortList;

namespace startup_test {

using Bytes = std::vector<BYTE>;

inline std::string SettingsBytes(const SettingsRecord& record) {
    CMemFile file;
    CArchive archive(&file, CArchive::store);
    StoreSettingsRecord(archive, record);
    archive.Close();
    return {file.Bytes().begin(), file.Bytes().end()};
}

class StartUpAndCloseTest : public testing::Test {
  protected:
    StartUpAndCloseTest() { workdir.WriteBuiltInFirmware(); }

    std::string Saved(const char* name = "Tarvex2.cfg") const {
        std::ifstream in(workdir.path() / name, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }
    bool SettingsExist() const { return std::filesystem::exists(workdir.path() / "Tarvex2.cfg"); }

    ScopedWorkingDirectory workdir;
    RecordingMessageBox boxes;
};

class Window : public LoaderDialog {
  public:
    using LoaderDialog::m_nSetupType;

    Window()
        : LoaderDialog(nullptr, [] {
              return SerialPortList(std::vector<std::wstring>{L"COM1", L"COM2", L"COM3"});
          }) {}
    ~Window() override { EndJobs(); }
};

using drive::Checked;
using drive::Enabled;
using drive::Text;

}  // namespace startup_test
