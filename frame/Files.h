// Files as the class logic uses them: whole text files read as ANSI bytes,
// and files written through a replacement that takes the old file's place
// only when it is complete.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "frame/RuntimeError.h"

namespace orvalis {

// Raised by Files::replace when the target's folder takes no new file (the
// caller may not create files there) while the target itself may still be
// writable in place. To a caller that does not look further it is the
// runtime's error 75, like any other refusal.
class NoFileBeside : public RuntimeError {
 public:
  NoFileBeside() : RuntimeError(vb_error::PathFileAccessError) {}
};

// A new file being written beside its target. commit() puts it in the
// target's place; destroying it uncommitted deletes it and leaves the
// target as it was.
class FileReplacement {
 public:
  virtual ~FileReplacement() = default;
  virtual void write(std::string_view bytes) = 0;
  virtual void commit() = 0;
};

class Files {
 public:
  virtual ~Files() = default;

  // The file's bytes. A missing file, a bad name (one with a NUL in it
  // included) or no access raise the runtime's file errors (53, 52, 75, 76,
  // ...); a file too large to hold whole raises 7.
  virtual std::string readAll(std::u16string_view path) = 0;

  // Starts writing a file that will replace `path` (a relative or
  // drive-relative name lies in the current folder of its drive); raises
  // the runtime's file errors when it cannot be created there, NoFileBeside
  // when the folder refuses it. The replacement takes over the target's
  // identity where the platform can keep it: attributes, security and
  // links stay with the name.
  virtual std::unique_ptr<FileReplacement> replace(std::u16string_view path) = 0;

  // Writes `bytes` into the file `path` itself (creating it when it does
  // not exist) and cuts it at their end. A failure raises the runtime's
  // file error and may leave the file partly written.
  virtual void writeInPlace(std::u16string_view path, std::string_view bytes) = 0;
};

}  // namespace orvalis
