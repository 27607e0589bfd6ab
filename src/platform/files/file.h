// Files in the manner of the class library: CFile on the system's files and CMemFile in memory,
// both readable through a CArchive.
//
// Sharing modes are the system's on Windows; on Linux they are kept with flock, which holds
// between programs that ask for it: "deny write" takes a shared lock, "exclusive" an exclusive
// one. A file opened with modeCreate is
// written whole or not at all: the bytes go to a new file beside it, which replaces the old one
// only when Close has written and synced everything. A created file that is not closed (a
// failure, an Abort) leaves the old file as it was. A name that is a link creates the file the
// link names (the new file beside it). Where the folder takes no new file but the old file may
// be written, Close writes the old file in place instead (emptied, written, synced); only a
// failure during that Close can then leave it part written.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/exceptions.h"
#include "platform/win32.h"

class CFile {
  public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000,
    };

    CFile();
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // FALSE on failure, with the cause in `error` when one is given. Only regular files open
    // (never a directory, a FIFO or a device), and nothing here waits.
    virtual BOOL Open(const wchar_t* fileName, UINT openFlags, CFileException* error = nullptr);
    // Reads up to `count` bytes; fewer only at the end of the file. Raises CFileException.
    virtual UINT Read(void* buffer, UINT count);
    // Writes all `count` bytes. Raises CFileException (a full disk: diskFull).
    virtual void Write(const void* buffer, UINT count);
    virtual ULONGLONG GetLength() const;
    virtual ULONGLONG GetPosition() const;
    // Closes the file; a created file takes the place of the old one here. Raises
    // CFileException when that fails, and the old file is then left as it was.
    virtual void Close();
    // Closes without raising anything; a created file is discarded.
    virtual void Abort();
    // Removes the new files that a created `fileName` left beside it when its program died
    // before closing it.
    static void RemoveAbandonedReplacements(const wchar_t* fileName);

  protected:
    [[noreturn]] void ThrowOsError(int osError) const;

  private:
    struct State;  // the open file, as the system holds it
    std::unique_ptr<State> state_;
    std::wstring m_strFileName;
};

// A text file read line by line. Lines end at LF (a CR before it is dropped); the bytes are
// taken as Windows-1252.
class CStdioFile : public CFile {
  public:
    // The next line, without its line break. FALSE at the end of the file, with `line` empty;
    // a last line without a line break is still a line. A line longer than `most` bytes is cut
    // there (its rest is the next line), so that no file can make one line take all memory.
    BOOL ReadString(std::wstring& line, std::size_t most = SIZE_MAX);

  private:
    std::vector<char> buffer_;
    std::size_t at_ = 0;
    bool ended_ = false;
};

// A file in memory: reads what it was given, collects what is written.
class CMemFile : public CFile {
  public:
    CMemFile() = default;
    explicit CMemFile(std::vector<BYTE> bytes) : bytes_(std::move(bytes)) {}

    BOOL Open(const wchar_t* fileName, UINT openFlags, CFileException* error = nullptr) override;
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    ULONGLONG GetLength() const override { return bytes_.size(); }
    ULONGLONG GetPosition() const override { return position_; }
    void Close() override {}
    void Abort() override {}
    const std::vector<BYTE>& Bytes() const { return bytes_; }

  private:
    std::vector<BYTE> bytes_;
    std::size_t position_ = 0;
};

// Whether a name exists in a directory, as a directory search finds it: a file, a directory or
// anything else with that name. No wildcards.
class CFileFind {
  public:
    BOOL FindFile(const wchar_t* name);
    // Steps to the found name (the only one: there are no wildcards); FALSE as none follows it.
    BOOL FindNextFile() { return FALSE; }
    // Whether the found name is a directory.
    BOOL IsDirectory() const { return directory_ ? TRUE : FALSE; }
    void Close() {}

  private:
    bool directory_ = false;
};
