// File streams over Windows file handles.
#include <windows.h>

#include <cstring>
#include <string>

#include "file_stream.hpp"
#include "native_file.hpp"
#include "utf8.hpp"

namespace trovik {

namespace {

static_assert(sizeof(HANDLE) == sizeof(NativeFile), "a HANDLE fits a NativeFile");
static_assert(kStreamBufferSize <= MAXDWORD, "one ReadFile or WriteFile moves a whole buffer");

// A HANDLE is kept as an integer so that the header needs no windows.h.
HANDLE handle_of(NativeFile file) {
  return reinterpret_cast<HANDLE>(file);  // NOLINT(performance-no-int-to-ptr)
}

NativeFile native(HANDLE handle) {
  // INVALID_HANDLE_VALUE is -1, as kNoFile is.
  return reinterpret_cast<NativeFile>(handle);
}

// Another program may read, write, rename or delete either file while the
// run holds it, as with a C runtime's fopen; a viewer keeps outfile open.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The name CreateFileW is to get for a UTF-8 path. The Win32 layer refuses
// names whose full path reaches MAX_PATH characters; those go as the full
// path behind \\?\, which lifts that limit. Shorter names go exactly as
// given, so that device names such as NUL keep their meaning.
bool system_name(const char* path, std::wstring& name) {
  std::u16string wide;
  if (!utf8_to_utf16(path, std::strlen(path), wide) || wide.empty()) return false;
  name.assign(wide.begin(), wide.end());
  if (name.rfind(L"\\\\?\\", 0) == 0) return true;
  DWORD needed = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return false;
  std::wstring full(needed, L'\0');
  DWORD length = GetFullPathNameW(name.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return false;
  full.resize(length);
  if (full.size() < MAX_PATH || full.rfind(L"\\\\.\\", 0) == 0) return true;
  if (full.rfind(L"\\\\", 0) == 0) {
    name = L"\\\\?\\UNC\\" + full.substr(2);  // \\server\share\...
  } else {
    name = L"\\\\?\\" + full;
  }
  return true;
}

std::uint64_t little_endian64(const BYTE* bytes) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

// Finds which file `file` is. Devices and pipes have no identity and are
// left unknown. A file on a disk is named by its volume's serial number and
// its file ID: the 128-bit one where the volume gives it (ReFS reuses the
// 64-bit index), else the 64-bit index. False for a file on a disk whose
// identity cannot be read: it could not be told apart from the other file,
// and not converting is better than overwriting the input.
bool identify(HANDLE file, FileId& id) {
  id = FileId{};
  if (GetFileType(file) != FILE_TYPE_DISK) return true;
  FILE_ID_INFO info;
  if (GetFileInformationByHandleEx(file, FileIdInfo, &info, sizeof info)) {
    id.known = true;
    id.volume = info.VolumeSerialNumber;
    id.file_low = little_endian64(info.FileId.Identifier);
    id.file_high = little_endian64(info.FileId.Identifier + 8);
    return true;
  }
  BY_HANDLE_FILE_INFORMATION by_handle;
  if (GetFileInformationByHandle(file, &by_handle)) {
    id.known = true;
    id.volume = by_handle.dwVolumeSerialNumber;
    id.file_low = (std::uint64_t{by_handle.nFileIndexHigh} << 32) | by_handle.nFileIndexLow;
  }
  return id.known;
}

}  // namespace

bool FileInputStream::open(const char* path) {
  std::wstring name;
  if (!system_name(path, name)) return false;
  // Without FILE_FLAG_BACKUP_SEMANTICS a directory does not open.
  HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  file_ = native(file);
  if (!identify(file, id_)) {
    close();
    return false;
  }
  buffer_.reset(new std::uint8_t[kStreamBufferSize]);
  cursor_ = limit_ = buffer_.get();
  return true;
}

bool FileInputStream::refill() {
  DWORD got = 0;
  if (ReadFile(handle_of(file_), buffer_.get(), static_cast<DWORD>(kStreamBufferSize), &got,
               nullptr)) {
    if (got == 0) {
      at_end_ = true;
      return false;
    }
    cursor_ = buffer_.get();
    limit_ = cursor_ + got;
    return true;
  }
  // A pipe whose writer has finished ends this way rather than with 0 bytes.
  DWORD error = GetLastError();
  if (error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE) {
    at_end_ = true;
  } else {
    error_ = true;
  }
  return false;
}

OutputOpenResult FileOutputStream::open(const char* path, const FileId& input) {
  std::wstring name;
  if (!system_name(path, name)) return OutputOpenResult::failed;
  // OPEN_ALWAYS, not CREATE_ALWAYS: the file is emptied only once it is known
  // not to be the input.
  HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return OutputOpenResult::failed;
  file_ = native(file);
  FileId id;
  if (!identify(file, id)) {
    close();
    return OutputOpenResult::failed;
  }
  if (same_file(id, input)) {
    close();
    return OutputOpenResult::is_input;
  }
  // Only a file on a disk has an identity and something to empty; devices
  // such as NUL are written as they are. The handle's position is 0, so this
  // empties the file.
  if (id.known && !SetEndOfFile(file)) {
    close();
    return OutputOpenResult::failed;
  }
  lend_buffer();
  return OutputOpenResult::opened;
}

std::size_t write_some(NativeFile file, const std::uint8_t* src, std::size_t n) {
  DWORD put = 0;
  if (!WriteFile(handle_of(file), src, static_cast<DWORD>(n), &put, nullptr)) return 0;
  return put;
}

bool close_file(NativeFile file) { return CloseHandle(handle_of(file)) != 0; }

}  // namespace trovik
