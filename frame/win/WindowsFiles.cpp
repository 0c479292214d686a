#include "frame/win/WindowsFiles.h"

#include <windows.h>

#include <cwchar>

#include "frame/RuntimeError.h"

namespace orvalis::win {

namespace {

// The file name as the platform takes it. A NUL would end the name early
// and address another file ("a.m3u" + NUL + ".bak" is a.m3u), so a name
// that holds one names no file at all; neither does the empty name.
std::wstring fileName(std::u16string_view path) {
  if (path.empty()) throw RuntimeError(vb_error::PathFileAccessError);
  if (path.find(u'\0') != std::u16string_view::npos) throw RuntimeError(vb_error::BadFileNameOrNumber);
  return std::wstring(path.begin(), path.end());
}

// The runtime error a file operation reports for a platform error code.
[[noreturn]] void raiseFileError(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND: throw RuntimeError(vb_error::FileNotFound);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH: throw RuntimeError(vb_error::PathNotFound);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE: throw RuntimeError(vb_error::BadFileNameOrNumber);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: throw RuntimeError(vb_error::PermissionDenied);
    case ERROR_NOT_READY: throw RuntimeError(71);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: throw RuntimeError(vb_error::DiskFull);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: throw RuntimeError(vb_error::OutOfMemory);
    default: throw RuntimeError(vb_error::PathFileAccessError);
  }
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  void close() {
    if (valid()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

void writeAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) raiseFileError(GetLastError());
    bytes.remove_prefix(written);
  }
}

// The full path of a name: a relative name ("list.m3u") lies in the
// current folder, a drive-relative one ("D:list.m3u") in that drive's
// current folder.
std::wstring fullPath(const std::wstring& name) {
  const DWORD length = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (length == 0) raiseFileError(GetLastError());
  std::wstring path(length, L'\0');
  const DWORD written = GetFullPathNameW(name.c_str(), length, path.data(), nullptr);
  if (written == 0 || written >= length) raiseFileError(GetLastError());
  path.resize(written);
  return path;
}

// The name under which the platform takes a full path of any length: a
// drive path gets the prefix \\?\ and a share \\?\UNC\ in place of its
// leading \\; a name that has such a prefix already keeps it. The
// replacement's own names are longer than the target's, so they must not
// run into the length limit of a plain name where the target's does not.
std::wstring extendedPath(const std::wstring& full) {
  if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) return full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// A new, uniquely named file in the target's folder, so that the final
// rename stays on one volume and cannot leave a half-written target behind.
// `target` is an extended full path. The names are our own ("orv", eight
// hex digits, ".tmp"), tried until one does not exist yet: the platform's
// temporary-name call refuses folders whose path is longer than MAX_PATH
// less 14, where the target itself can still be opened.
HANDLE createBeside(const std::wstring& target, std::wstring& temporaryPath) {
  const std::wstring folder = target.substr(0, target.find_last_of(L"\\/") + 1);
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    throw RuntimeError(vb_error::PathNotFound);
  DWORD unique = GetTickCount() ^ (GetCurrentProcessId() << 16);
  for (int attempt = 0; attempt < 0x10000; ++attempt, ++unique) {
    wchar_t name[16];
    swprintf(name, 16, L"orv%08lX.tmp", static_cast<unsigned long>(unique));
    temporaryPath = folder + name;
    HANDLE file = CreateFileW(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED) throw NoFileBeside();  // a folder the caller may not create in
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) raiseFileError(error);
  }
  raiseFileError(ERROR_FILE_EXISTS);
}

class Replacement final : public FileReplacement {
 public:
  explicit Replacement(std::wstring target)
      : target_(std::move(target)), file_(createBeside(target_, temporary_)) {}

  ~Replacement() override {
    file_.close();
    if (!committed_) DeleteFileW(temporary_.c_str());
  }

  void write(std::string_view bytes) override { writeAll(file_.get(), bytes); }

  // An existing target is replaced with ReplaceFileW, which hands the new
  // content the old file's identity (attributes, security, streams) rather
  // than putting another file under its name. Without a target, or when the
  // old file went away but the new one could not take its name, the new
  // file is moved into place.
  void commit() override {
    if (!FlushFileBuffers(file_.get())) raiseFileError(GetLastError());
    file_.close();
    if (!ReplaceFileW(target_.c_str(), temporary_.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                      nullptr)) {
      const DWORD error = GetLastError();
      if (error != ERROR_FILE_NOT_FOUND && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT) raiseFileError(error);
      if (!MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        raiseFileError(GetLastError());
    }
    committed_ = true;
  }

 private:
  std::wstring target_;
  std::wstring temporary_;
  Handle file_;
  bool committed_ = false;
};

}  // namespace

std::string WindowsFiles::readAll(std::u16string_view path) {
  Handle file(CreateFileW(fileName(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) raiseFileError(GetLastError());
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size)) raiseFileError(GetLastError());
  // A file larger than the address space (4 GiB and more in a 32-bit
  // process) cannot be held whole; its size must not be cut to 32 bits.
  // The 64-bit library keeps the 32-bit limit rather than read gigabytes
  // into memory: no file it reads whole (a playlist) is that large.
  std::string bytes;
  constexpr unsigned long long kLargest = 0xFFFFFFFFull;
  if (static_cast<unsigned long long>(size.QuadPart) > std::min<unsigned long long>(bytes.max_size(), kLargest))
    throw RuntimeError(vb_error::OutOfMemory);
  bytes.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    const auto chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    if (!ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr)) raiseFileError(GetLastError());
    if (read == 0) break;
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

std::unique_ptr<FileReplacement> WindowsFiles::replace(std::u16string_view path) {
  const std::wstring target = extendedPath(fullPath(fileName(path)));
  // A target that cannot be written (a folder, a read-only file) fails now,
  // as opening it for output would, rather than after all entries are read.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
    throw RuntimeError(vb_error::PathFileAccessError);
  return std::make_unique<Replacement>(target);
}

void WindowsFiles::writeInPlace(std::u16string_view path, std::string_view bytes) {
  Handle file(CreateFileW(fileName(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                          nullptr));
  if (!file.valid()) raiseFileError(GetLastError());
  writeAll(file.get(), bytes);
  if (!SetEndOfFile(file.get()) || !FlushFileBuffers(file.get())) raiseFileError(GetLastError());
}

}  // namespace orvalis::win
