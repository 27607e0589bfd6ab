// SHA-256 of a byte string, as lower-case hex: the job log names the firmware file by it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace tarvex::update {

// The digest of bytes given piece by piece, so that a file of any size is hashed in bounded
// memory.
class Sha256 {
  public:
    void Add(std::span<const std::uint8_t> bytes);
    // The digest as lower-case hex; the object is then used up.
    std::string FinishHex();

  private:
    std::array<std::uint32_t, 8> state_ = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                           0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::array<std::uint8_t, 64> block_{};
    std::size_t filled_ = 0;  // bytes in block_
    std::uint64_t total_ = 0;
};

std::string Sha256Hex(std::span<const std::uint8_t> bytes);

}  // namespace tarvex::update
