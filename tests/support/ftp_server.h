// A real FTP server (pyftpdlib) on 127.0.0.1 for one test: started on a free port over a
// directory of the test's, stopped when the object goes.
#pragma once

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <chrono>
#include <fstream>
#include <random>
#include <thread>

// Under Wine the server is a Linux process that the test starts but cannot hand a pipe: it says
// its port in a lease file and serves while the test holds the lease (ftp_server.py --lease).
class FtpServer {
  public:
    explicit FtpServer(const std::filesystem::path& root, std::vector<std::string> faults = {})
        // A name of this server's own: Wine soon gives a later test process the same id, and
        // a lease of an earlier server of that id would name another server's port.
        : lease_(std::filesystem::temp_directory_path() /
                 ("tarvex2-ftp-" + std::to_string(GetCurrentProcessId()) + "-" +
                  std::to_string(std::random_device{}()))) {
        std::ofstream(Held()) << "held";
        std::wstring command = L"Z:\\usr\\bin\\python3 " + Quoted(TARVEX_FTP_SERVER_SCRIPT) +
                               L" --root " + Quoted(UnixName(root)) + L" --lease " +
                               Quoted(UnixName(lease_));
        for (const std::string& fault : faults) command += L" " + Quoted(fault);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process)) {
            throw std::runtime_error("cannot start the FTP server");
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        for (int i = 0; i < 200 && port_ == 0; ++i) {
            std::ifstream lease(lease_);
            std::string word;
            if (!(lease >> word >> port_)) port_ = 0;
            if (port_ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        if (port_ == 0) {
            Stop();
            throw std::runtime_error("the FTP server did not start (python3-pyftpdlib?)");
        }
    }
    ~FtpServer() { Stop(); }
    FtpServer(const FtpServer&) = delete;
    FtpServer& operator=(const FtpServer&) = delete;

    int port() const { return port_; }

    // Gives the lease back and waits for the server to end.
    void Stop() {
        std::error_code ignored;
        if (!std::filesystem::remove(Held(), ignored)) return;
        for (int i = 0; i < 200 && std::filesystem::exists(lease_, ignored); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
    }

  private:
    std::filesystem::path Held() const { return lease_.string() + ".held"; }

    static std::wstring Quoted(const std::string& text) {
        return L"\"" + std::wstring(text.begin(), text.end()) + L"\"";
    }

    // The Linux name of a file of the prefix's drives, as Wine's kernel32 gives it.
    static std::string UnixName(const std::filesystem::path& path) {
        using Convert = char*(__cdecl*)(const wchar_t*);
        const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
        if (convert == nullptr) throw std::runtime_error("the FTP server runs only under Wine");
        char* name = convert(std::filesystem::absolute(path).c_str());
        if (name == nullptr) throw std::runtime_error("no Linux name for " + path.string());
        std::string unixName = name;
        HeapFree(GetProcessHeap(), 0, name);
        return unixName;
    }

    std::filesystem::path lease_;
    int port_ = 0;
};
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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

#endif

// The server's directory of the console firmware files, made under `root`.
inline std::filesystem::path MakeTimerDirectory(const std::filesystem::path& root) {
    const auto directory = root / "Zedude_Rerezuri" / "Quorlex 2000" / "Timer";
    std::filesystem::create_directories(directory);
    return directory;
}
