// A fresh temporary directory as the process's working directory, for the object's life: the
// program reads and writes its firmware files and "Tarvex2.cfg" there.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_dir.h"

class ScopedWorkingDirectory {
  public:
    ScopedWorkingDirectory() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir_.path());
    }
    ~ScopedWorkingDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

    const std::filesystem::path& path() const { return dir_.path(); }

    // Writes `bytes` into the file `name` of the directory.
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir_.path() / name, std::ios::binary) << bytes;
    }

    // The four built-in firmware files; the field-update file's header holds drawing 040517,
    // version 0016.
    void WriteBuiltInFirmware() const {
        for (const char* name : {"Quorlex2000.hex", "Arena2000.hex", "OvalTrack.hex"}) {
            Write(name, ":00000001FF\n");
        }
        Write("ED-40517_Veziv16.fud", "E040517-0016 Tessary 5500 sign firmware");
    }

  private:
    TempDir dir_;
    std::filesystem::path previous_;
};
