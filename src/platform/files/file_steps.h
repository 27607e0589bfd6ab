// The system's side of CFile, one step at a time; the order of the steps and the bookkeeping of a
// created file (written beside the old one, or in place) are file.cpp's. A step answers the
// system's own error number (errno on Linux, GetLastError's on Windows), 0 for success.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace tarvex::platform::file_steps {

// An open file as the system holds it: a descriptor on Linux, a HANDLE's value on Windows.
using Handle = std::intptr_t;
inline constexpr Handle kNone = -1;  // no descriptor; INVALID_HANDLE_VALUE

extern const int kNotFound;               // a file of that name does not exist
extern const int kNoHandle;               // nothing is open
extern const int kNameTaken;              // CreateNew: another file has the name
extern const wchar_t* const kSeparators;  // what ends a path's folder part

// Opens an existing regular file (never a directory, a FIFO or a device) with the access and
// sharing that `openFlags` asks for; nothing waits on another program.
int OpenExisting(const std::wstring& name, UINT openFlags, Handle& file);

// The file a created `name` replaces: on Linux the file a link names (the link itself stays).
std::wstring ReplacedFile(const std::wstring& name);
// The old file, held with the sharing `openFlags` asks for until the new one takes its place;
// kNone, and success, where there is none. An old file this program may not replace fails.
int HoldOldFile(const std::wstring& target, UINT openFlags, Handle& old);
// Creates the new file `path` (kNameTaken where that name is in use), marked as this program's
// for as long as it is open, with the old file's permissions or attributes.
int CreateNew(const std::wstring& path, Handle old, Handle& file);
// Whether CreateNew's `error` says that the folder takes no new file.
bool FolderRefusesNewFiles(int error);
// The old file, to be written in place. Where the held file serves, it moves from `old`.
int OpenInPlace(const std::wstring& target, Handle& old, Handle& file);

// Some of the bytes, at least one unless at the end (`got` 0).
int ReadSome(Handle file, void* buffer, UINT count, UINT& got);
// Some of the bytes, at least one; a disk that takes none is an error.
int WriteSome(Handle file, const void* buffer, UINT count, UINT& put);
ULONGLONG LengthOf(Handle file);    // 0 when it cannot be told
ULONGLONG PositionOf(Handle file);  // 0 when it cannot be told
int FlushToDisk(Handle file);
int CloseFile(Handle file);
// The new file takes the old one's name. `old` is let go first where the system cannot replace
// a file that is open.
int MoveOver(const std::wstring& created, const std::wstring& target, Handle& old);
// The file emptied and written afresh from its start, all of it on the disk.
int Rewrite(Handle file, const std::vector<char>& bytes);
void RemoveFile(const std::wstring& path);

// The names in `folder` that start with `prefix`.
std::vector<std::wstring> NamesStartingWith(const std::wstring& folder, const std::wstring& prefix);
// Removes the new file `path` that process `owner` created, if that program has gone.
void RemoveIfAbandoned(const std::wstring& path, DWORD owner);

}  // namespace tarvex::platform::file_steps
