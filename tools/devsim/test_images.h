// Generated images for the simulated devices' jobs. They are test images, not firmware: no
// console or sign would take them.
#pragma once

#include <cstddef>
#include <string>

#include "device_line.h"

namespace tarvex::devsim {

// The record that ends an Intel HEX image.
inline constexpr char kIntelHexEndRecord[] = ":00000001FF";

// Intel HEX records of `dataBytes` bytes, ending with the end record.
std::string MakeIntelHex(std::size_t dataBytes);

// A field-update file of `size` bytes that uses every byte value.
Bytes MakeFieldUpdate(std::size_t size);

}  // namespace tarvex::devsim
