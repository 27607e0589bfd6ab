// The per-user table of virtual serial ports.
#include "platform/virtual_ports.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

using tarvex::platform::ListVirtualPorts;
using tarvex::platform::VirtualPortRegistration;

namespace {

class VirtualPortsTest : public testing::Test {
  protected:
    VirtualPortsTest() {
        const char* previous = std::getenv("XDG_RUNTIME_DIR");
        previous_ = previous != nullptr ? previous : "";
        setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
        std::ofstream(runtime.path() / "pts-a");
        std::ofstream(runtime.path() / "pts-b");
    }
    ~VirtualPortsTest() override { setenv("XDG_RUNTIME_DIR", previous_.c_str(), 1); }
    std::string Port(const char* name) const { return (runtime.path() / name).string(); }

    TempDir runtime;
    std::string previous_;
};

TEST_F(VirtualPortsTest, RegisteredPortsAreListedWhileTheyAndTheirProgramLive) {
    EXPECT_TRUE(ListVirtualPorts().empty());
    {
        VirtualPortRegistration first(Port("pts-a"), "simulated console");
        VirtualPortRegistration second(Port("pts-b"), "simulated sign");
        ASSERT_TRUE(first.Registered());
        const std::vector<std::wstring> listed = ListVirtualPorts();
        ASSERT_EQ(listed.size(), 2u);
        EXPECT_EQ(listed[0], std::filesystem::path(Port("pts-a")).wstring()) << "oldest first";
        std::filesystem::remove(Port("pts-b"));
        EXPECT_EQ(ListVirtualPorts().size(), 1u) << "a port that has gone is not offered";
    }
    EXPECT_TRUE(ListVirtualPorts().empty()) << "the registrations went with their owners";

    // A program killed before it could remove its entry leaves no ghost.
    const pid_t child = fork();
    if (child == 0) {
        VirtualPortRegistration ghost(Port("pts-a"), "killed simulator");
        _exit(0);  // no destructor runs
    }
    waitpid(child, nullptr, 0);
    EXPECT_FALSE(std::filesystem::is_empty(runtime.path() / "tarvex2" / "ports"));
    EXPECT_TRUE(ListVirtualPorts().empty());
}

TEST_F(VirtualPortsTest, NoRuntimeFolderNoTable) {
    unsetenv("XDG_RUNTIME_DIR");
    VirtualPortRegistration registration(Port("pts-a"), "simulated console");
    EXPECT_FALSE(registration.Registered());
    EXPECT_TRUE(ListVirtualPorts().empty());
}

}  // namespace
