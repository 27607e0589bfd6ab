// SHA-256 of a byte string, as lower-case hex: the job log names the firmware file by it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tarvex::update {

std::string Sha256Hex(std::span<const std::uint8_t> bytes);

}  // namespace tarvex::update
