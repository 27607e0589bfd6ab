// Writing generated firmware files for the simulated devices' jobs.
#pragma once

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "device_line.h"

namespace tarvex::devsim {

// Writes `bytes` to `path`, replacing what was there; throws when the file cannot be written,
// so that a job is never started on a file that is not what its caller made.
inline void WriteFirmwareFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace tarvex::devsim
