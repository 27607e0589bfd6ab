// A real FTP server (pyftpdlib) on 127.0.0.1 for one test: started on a free port over a
// directory of the test's, stopped when the object goes.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

class FtpServer {
  public:
    // `faults` are the script's switches, for example {"--drop", "Arena2000.hex:5000"}.
    explicit FtpServer(const std::filesystem::path& root, std::vector<std::string> faults = {}) {
        std::vector<std::string> args = {"/usr/bin/python3", TARVEX_FTP_SERVER_SCRIPT, "--root",
                                         root.string()};
        args.insert(args.end(), faults.begin(), faults.end());
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);

        int input[2];
        int output[2];
        if (pipe(input) != 0 || pipe(output) != 0) throw std::runtime_error("no pipes");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], 0);
        posix_spawn_file_actions_adddup2(&actions, output[1], 1);
        posix_spawn_file_actions_addclose(&actions, input[1]);
        posix_spawn_file_actions_addclose(&actions, output[0]);
        const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(input[0]);
        close(output[1]);
        input_ = input[1];
        if (spawned != 0) throw std::runtime_error("cannot start the FTP server");
        FILE* lines = fdopen(output[0], "r");
        if (lines == nullptr || std::fscanf(lines, "port %d", &port_) != 1) {
            if (lines != nullptr) std::fclose(lines);
            Stop();
            throw std::runtime_error("the FTP server did not start (python3-pyftpdlib?)");
        }
        std::fclose(lines);
    }
    ~FtpServer() { Stop(); }
    FtpServer(const FtpServer&) = delete;
    FtpServer& operator=(const FtpServer&) = delete;

    int port() const { return port_; }

    void Stop() {
        if (pid_ <= 0) return;
        close(input_);  // the server ends when its input closes
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    int input_ = -1;
    int port_ = 0;
};

// The server's directory of the console firmware files, made under `root`.
inline std::filesystem::path MakeTimerDirectory(const std::filesystem::path& root) {
    const auto directory = root / "Zedude_Rerezuri" / "Quorlex 2000" / "Timer";
    std::filesystem::create_directories(directory);
    return directory;
}
