// Files as the class logic uses them: whole text files read as ANSI bytes,
// and files written through a replacement that takes the old file's place
// only when it is complete.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace orvalis {

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
  // the runtime's file errors when it cannot be created there.
  virtual std::unique_ptr<FileReplacement> replace(std::u16string_view path) = 0;
};

}  // namespace orvalis
