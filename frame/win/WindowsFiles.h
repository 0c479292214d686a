// Files on Windows: whole-file reads and replacements written beside their
// target, with the platform's failures mapped to the runtime's file errors.
#pragma once

#include "frame/Files.h"

namespace orvalis::win {

class WindowsFiles final : public Files {
 public:
  std::string readAll(std::u16string_view path) override;
  std::unique_ptr<FileReplacement> replace(std::u16string_view path) override;
  void writeInPlace(std::u16string_view path, std::string_view bytes) override;
};

}  // namespace orvalis::win
