// The per-user table of virtual serial ports, read as input from anyone who can write the folder.
#include "platform/serial/virtual_ports.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

using tarvex::platform::ListVirtualPorts;
using tarvex::platform::VirtualPortRegistration;

namespace {

// A runtime folder of the test's own, with two "ports": links to a character device.
class VirtualPortsTest : public testing::Test {
  protected:
    VirtualPortsTest() {
        const char* previous = std::getenv("XDG_RUNTIME_DIR");
        previous_ = previous != nullptr ? previous : "";
        setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
        std::filesystem::create_directory_symlink("/dev/null", runtime.path() / "pts-a");
        std::filesystem::create_directory_symlink("/dev/null", runtime.path() / "pts-b");
    }
    ~VirtualPortsTest() override { setenv("XDG_RUNTIME_DIR", previous_.c_str(), 1); }
    std::string Port(const char* name) const { return (runtime.path() / name).string(); }
    std::filesystem::path Table() const { return runtime.path() / "tarvex2" / "ports"; }
    // An entry written by hand, as anyone who can write the folder could.
    void Forge(const char* name, const std::string& port) const {
        std::ofstream(Table() / name) << "1\n" << port << "\nforged\n";
    }

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
    EXPECT_TRUE(std::filesystem::is_empty(Table()));

    // A program killed before it could remove its entry leaves no ghost, and its entry goes.
    const pid_t child = fork();
    if (child == 0) {
        VirtualPortRegistration ghost(Port("pts-a"), "killed simulator");
        raise(SIGKILL);  // no destructor runs
    }
    waitpid(child, nullptr, 0);
    EXPECT_FALSE(std::filesystem::is_empty(Table()));
    EXPECT_TRUE(ListVirtualPorts().empty());
    EXPECT_TRUE(std::filesystem::is_empty(Table())) << "a dead registrant's entry is removed";
}

TEST_F(VirtualPortsTest, OnlyHeldEntriesNamingCharacterDevicesWithinTheNameLimitAreBelieved) {
    VirtualPortRegistration real(Port("pts-a"), "simulated console");
    ASSERT_TRUE(real.Registered());
    // Naming a live pid (1) proves nothing: nobody holds the entry, so it is a dead one's.
    Forge("0-forged-pid", Port("pts-b"));
    // A regular file is no port.
    std::ofstream(runtime.path() / "plain");
    VirtualPortRegistration plain((runtime.path() / "plain").string(), "not a device");
    // A name longer than a port name may be would be opened cut short: left out, not shortened.
    const std::string longName = Port("") + std::string(120 - Port("").size(), 'x');
    std::filesystem::create_directory_symlink("/dev/null", longName);
    VirtualPortRegistration tooLong(longName, "long name");
    // Entries that are links or FIFOs are not read at all, and nothing waits on a FIFO.
    std::ofstream(runtime.path() / "outside") << "1\n" << Port("pts-b") << "\nlinked\n";
    std::filesystem::create_symlink(runtime.path() / "outside", Table() / "1-link");
    ASSERT_EQ(mkfifo((Table() / "2-fifo").c_str(), 0600), 0);

    const pid_t child = fork();
    if (child == 0) {
        alarm(5);  // a blocked read of the FIFO ends the child by the alarm
        const std::vector<std::wstring> listed = ListVirtualPorts();
        _exit(listed == std::vector<std::wstring>{std::filesystem::path(Port("pts-a")).wstring()}
                  ? 0
                  : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "listing the table blocked";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "only the real registration is listed";
    EXPECT_FALSE(std::filesystem::exists(Table() / "0-forged-pid"));
    EXPECT_TRUE(std::filesystem::exists(runtime.path() / "outside")) << "a link's target stays";
}

TEST_F(VirtualPortsTest, AFolderOthersMayWriteIsNotTrusted) {
    VirtualPortRegistration registration(Port("pts-a"), "simulated console");
    ASSERT_TRUE(registration.Registered());
    ASSERT_EQ(ListVirtualPorts().size(), 1u);
    for (const std::filesystem::path& folder : {runtime.path(), Table().parent_path(), Table()}) {
        const auto mode = std::filesystem::status(folder).permissions();
        std::filesystem::permissions(folder, mode | std::filesystem::perms::others_write);
        EXPECT_TRUE(ListVirtualPorts().empty()) << folder;
        std::filesystem::permissions(folder, mode);
    }
    EXPECT_EQ(ListVirtualPorts().size(), 1u);
    // A table folder that is a link to somewhere else is not read either.
    TempDir elsewhere;
    std::filesystem::rename(Table().parent_path(), elsewhere.path() / "tarvex2");
    std::filesystem::create_directory_symlink(elsewhere.path() / "tarvex2", Table().parent_path());
    EXPECT_TRUE(ListVirtualPorts().empty());
}

// Without XDG_RUNTIME_DIR (su, ssh, a container) the simulator and the program meet in the folder
// Qt's runtime location falls back to; a folder that cannot be trusted is said, not passed over.
TEST_F(VirtualPortsTest, WithoutARuntimeFolderBothSidesUseTheSameFallback) {
    unsetenv("XDG_RUNTIME_DIR");
    const char* previousTemp = std::getenv("TMPDIR");
    const std::string keptTemp = previousTemp != nullptr ? previousTemp : "";
    TempDir temp;
    setenv("TMPDIR", temp.path().c_str(), 1);
    {
        VirtualPortRegistration registration(Port("pts-a"), "simulated console");
        EXPECT_TRUE(registration.Registered()) << registration.Failure();
        EXPECT_EQ(ListVirtualPorts(),
                  std::vector<std::wstring>{std::filesystem::path(Port("pts-a")).wstring()});
        const passwd* user = getpwuid(geteuid());
        ASSERT_NE(user, nullptr);
        EXPECT_TRUE(std::filesystem::is_directory(
            temp.path() / (std::string("runtime-") + user->pw_name) / "tarvex2" / "ports"));
    }
    setenv("TMPDIR", keptTemp.c_str(), 1);
    if (keptTemp.empty()) unsetenv("TMPDIR");

    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    chmod(runtime.path().c_str(), 0777);
    VirtualPortRegistration refused(Port("pts-a"), "simulated console");
    chmod(runtime.path().c_str(), 0700);
    EXPECT_FALSE(refused.Registered());
    EXPECT_NE(refused.Failure().find(runtime.path().string()), std::string::npos)
        << refused.Failure();
}

}  // namespace
