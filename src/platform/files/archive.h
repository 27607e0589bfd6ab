// The class library's archive: a buffered reader or writer of little-endian fields and strings
// over a CFile, in the file's order.
//
// Strings take the archive's string form: a length, then the characters. A loading archive
// reads every variant of the form (single-byte or 16-bit characters, lengths of 8, 16, 32 or 64
// bits); a storing one writes 16-bit characters (UTF-16LE) behind the marker FF FE FF and the
// shortest length. Single-byte characters are taken as Windows-1252.
//
// Failures raise CArchiveException (endOfFile when the file ends inside a field, or a string
// declares more characters than the rest of the file holds; genericException for a length that
// does not fit into 31 bits) or the file's CFileException. The archive carries no file name, so
// its messages speak of "an unnamed file".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files/file.h"

class CArchive {
  public:
    enum Mode : UINT { store = 0, load = 1 };
    static constexpr UINT kDefaultBufferSize = 4096;

    CArchive(CFile* file, UINT mode, UINT bufferSize = kDefaultBufferSize);
    // Without Close, a storing archive's buffered bytes are dropped.
    ~CArchive() = default;
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsStoring() const { return loading_ ? FALSE : TRUE; }

    CArchive& operator<<(std::int32_t value);
    CArchive& operator>>(std::int32_t& value);
    CArchive& operator<<(const std::wstring& text);
    CArchive& operator>>(std::wstring& text);
    // Reads a string as >> does, of at most `mostUnits` characters: a longer declared length that
    // the file holds is the generic failure, raised before anything is read or allocated.
    CArchive& ReadString(std::wstring& text, std::uint64_t mostUnits);

    // Writes what is buffered (storing); the file stays open.
    void Flush();
    // Flush, then the archive is done with the file (which its owner closes).
    void Close();

  private:
    void ReadExactly(void* bytes, std::size_t count);
    void WriteBytes(const void* bytes, std::size_t count);
    template <typename Unsigned>
    Unsigned ReadLittleEndian();
    template <typename Unsigned>
    void WriteLittleEndian(Unsigned value);
    // The bytes left to read: the buffered ones and the rest of the file.
    ULONGLONG BytesLeft() const;

    CFile* file_;
    bool loading_;
    std::vector<BYTE> buffer_;
    std::size_t at_ = 0;   // next byte of the buffer to read
    std::size_t end_ = 0;  // loading: bytes in the buffer; storing: bytes waiting
};
