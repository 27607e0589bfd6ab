// Writing generated firmware files for the simulated devices' jobs.
#pragma once

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>

#include "device_line.h"
#include "test_images.h"

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

// The built-in firmware files for trying Tarvex2 out, written into `folder`: three console images
// of generated Intel HEX records and a field-update file with a real 27-byte header (drawing
// 040517, version 0016, and "TRY-OUT IMAGE" in its unused bytes). They are test images for the
// simulated devices, not firmware: no console or sign would take them.
inline void WriteTryOutFiles(const std::filesystem::path& folder) {
    const std::pair<const char*, std::size_t> consoles[] = {
        {"Quorlex2000.hex", 25000}, {"Arena2000.hex", 30000}, {"OvalTrack.hex", 20000}};
    for (const auto& [name, dataBytes] : consoles) {
        const std::string hex = MakeIntelHex(dataBytes);
        WriteFirmwareFile(folder / name, Bytes(hex.begin(), hex.end()));
    }
    const std::string header = "E040517-0016TRY-OUT IMAGE  ";  // 27 bytes
    Bytes fieldUpdate(header.begin(), header.end());
    const Bytes body = MakeFieldUpdate(2500 - header.size());
    fieldUpdate.insert(fieldUpdate.end(), body.begin(), body.end());
    WriteFirmwareFile(folder / "ED-40517_Veziv16.fud", fieldUpdate);
}

}  // namespace tarvex::devsim
