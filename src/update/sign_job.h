// Sending a field-update file to the controller of a Tessary 5500 sign.
#pragma once

#include "update/job_host.h"

namespace tarvex::update {

// The controller asks for the file with "!0", as often as it likes, and ends with "!10". Each
// time the file goes out in blocks of 1024 bytes followed by the end byte 0x7D.
bool RunFieldUpdate(JobHost& host);

}  // namespace tarvex::update
