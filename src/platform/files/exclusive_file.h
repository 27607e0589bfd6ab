// A firmware file opened for reading by this program alone: an existing regular file,
// read-only, and no other program that asks for the file exclusively gets it meanwhile
// (nor does this program get a file another holds).
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace tarvex::platform {

class ExclusiveFile {
  public:
    // The longest file a job sends: its length is a 32-bit count.
    static constexpr std::uint64_t kMostBytes = std::numeric_limits<std::int32_t>::max();

    ExclusiveFile();
    ~ExclusiveFile();
    ExclusiveFile(const ExclusiveFile&) = delete;
    ExclusiveFile& operator=(const ExclusiveFile&) = delete;

    // Fails for a missing file, anything but a regular file (a directory, a FIFO, a device), a
    // file held by another program, a file longer than kMostBytes, and a file too large for the
    // memory this program can have (the jobs read the whole file at once). Never blocks.
    bool Open(const std::wstring& path);
    // Why the last Open failed, in words for the job log ("missing", "in use by another
    // program", "12 bytes, more than a job can send"...); empty after an Open that succeeded.
    const std::string& Refusal() const { return refusal_; }
    // The length in bytes (0 when not open).
    std::int32_t Length() const;
    // Reads the whole file from its start into `image` (which takes the length read); false,
    // with `image` empty, when the memory for it cannot be had.
    bool ReadAll(std::vector<std::uint8_t>& image);
    // Reads at most `count` bytes from the file's start into `bytes`.
    bool ReadStart(std::size_t count, std::vector<std::uint8_t>& bytes);
    void Close();
    bool IsOpen() const;

  private:
    // `image` as `bytes` zero bytes; false, with `image` empty, when the memory cannot be had.
    static bool Allocate(std::vector<std::uint8_t>& image, std::size_t bytes);

    // Fails the open of a file of `size` bytes (when known) for `why`.
    bool Refuse(std::string why);
    // The size check both systems make before the file is taken: false, with the reason, for a
    // file longer than kMostBytes or than the memory this program can have.
    bool SizeFits(std::uint64_t size, bool memoryFor);

    struct State;  // the open file, as the system holds it
    std::unique_ptr<State> state_;
    std::string refusal_;
};

}  // namespace tarvex::platform
