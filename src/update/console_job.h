// Reprogramming the flash memory of a Quorlex 2000 timing console.
#pragma once

#include "update/job_host.h"

namespace tarvex::update {

// After power-up the console says "!0" (answered "#0"), "!3" (answered "#1", it erases its
// flash) and "!6", which is answered with the whole firmware file.
bool RunConsoleReprogramming(JobHost& host);

}  // namespace tarvex::update
