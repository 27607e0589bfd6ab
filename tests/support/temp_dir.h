// A fresh directory under the system's temporary directory, removed with everything in it.
#pragma once

#include <filesystem>
#include <random>
#include <string>

class TempDir {
  public:
    // A name nobody has, taken by creating it (as mkdtemp does, on every system).
    TempDir() {
        std::random_device seed;
        std::mt19937_64 random(seed());
        for (;;) {
            path_ = std::filesystem::temp_directory_path() /
                    ("tarvex2-" + std::to_string(random() % 1'000'000'000));
            std::error_code error;
            if (std::filesystem::create_directory(path_, error)) break;
            if (error) throw std::filesystem::filesystem_error("no temporary folder", error);
        }
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};
