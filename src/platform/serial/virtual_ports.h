// Serial ports that programs make (a device simulator's pseudo-terminal, a virtual port), entered
// in a per-user table as a Windows virtual-port driver enters its port in the system's table:
// one file for each port under $XDG_RUNTIME_DIR/tarvex2/ports (without XDG_RUNTIME_DIR, under
// the folder Qt's runtime location falls back to, <temp>/runtime-<user>), naming the port, the
// process that registered it and what it is. The registering program holds a lock on its entry for
// as long as it runs; an entry nobody holds belongs to a program that has gone and is removed when
// the table is read.
//
// Anyone who can write the folder can put entries in it, so the table is read as untrusted
// input: only from folders that are the user's own and that no one else may write, only regular
// files, never through a link, never waiting on what an entry turns out to be.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/serial/serial_ports.h"

namespace tarvex::platform {

class VirtualPortRegistration {
  public:
    // Enters `portPath` (described by `what`, for people) in the table; nothing when the table
    // cannot be written.
    VirtualPortRegistration(const std::string& portPath, const std::string& what);
    ~VirtualPortRegistration();  // removes the entry
    VirtualPortRegistration(const VirtualPortRegistration&) = delete;
    VirtualPortRegistration& operator=(const VirtualPortRegistration&) = delete;

    bool Registered() const { return !entry_.empty(); }
    // Why the port is not in the table, for people; empty once it is.
    const std::string& Failure() const { return why_; }

  private:
    std::string entry_;
    std::string why_;
    struct State;  // the open entry, locked while this program runs
    std::unique_ptr<State> state_;
};

// The registered ports of running programs that are character devices, oldest registration
// first, as system names. A name longer than a port name may be is left out, never shortened.
std::vector<std::wstring> ListVirtualPorts();

// The same ports with what their programs said they are ("simulated Quorlex 2000 console").
std::vector<DescribedPort> ListVirtualPortEntries();

}  // namespace tarvex::platform
