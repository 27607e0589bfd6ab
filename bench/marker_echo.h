// The marker benches' reference: the program's own serial port answering each of the console's
// markers with its reply ("#0" to "!0", "#1" to "!3"), with nothing else in the path.
#pragma once

#include <memory>
#include <string>

#include "platform/serial/serial_port.h"

namespace tarvex::bench {

// Answers on the port `name` until `cancellation` is cancelled, the line fails, or the console's
// image marker "!6" comes; false when the port cannot be opened.
bool AnswerMarkers(const std::wstring& name, std::shared_ptr<platform::Cancellation> cancellation);

}  // namespace tarvex::bench
