// Doubles of the file, registry and window services, a scripted host list
// object, and a Platform that bundles every double.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

#include "doubles/FakeLibraryGlobal.h"
#include "doubles/FakeMci.h"
#include "doubles/FakeMixer.h"
#include "doubles/FakeRuntime.h"
#include "frame/Drives.h"
#include "doubles/FakeSound.h"
#include "frame/Files.h"
#include "frame/HostObject.h"
#include "frame/Platform.h"
#include "frame/RuntimeError.h"
#include "frame/Shell.h"
#include "frame/Text.h"

namespace orvalis::testing {

// Files kept in memory by path; a path listed in `failures` raises that
// error when opened, one listed in `writeFailures` when its replacement is
// written (a full disk).
class FakeFiles : public Files {
 public:
  std::map<std::u16string, std::string> contents;
  std::map<std::u16string, int32_t> failures;
  std::map<std::u16string, int32_t> writeFailures;
  // Targets whose folder takes no new file: replace raises NoFileBeside,
  // while the target itself may be written in place.
  std::set<std::u16string> noFileBeside;
  std::vector<std::u16string> inPlaceWrites;
  int replacementsStarted = 0;

  std::string readAll(std::u16string_view path) override {
    raiseIfFailing(path);
    auto found = contents.find(std::u16string(path));
    if (found == contents.end()) throw RuntimeError(vb_error::FileNotFound);
    return found->second;
  }

  std::unique_ptr<FileReplacement> replace(std::u16string_view path) override {
    raiseIfFailing(path);
    if (noFileBeside.count(std::u16string(path))) throw NoFileBeside();
    ++replacementsStarted;
    return std::make_unique<Replacement>(*this, std::u16string(path));
  }

  // Like the platform's: the file is opened (and so created) before a byte
  // goes in, and a failing write leaves it as far as it got: unchanged.
  void writeInPlace(std::u16string_view path, std::string_view bytes) override {
    raiseIfFailing(path);
    inPlaceWrites.push_back(std::u16string(path));
    std::string& file = contents[std::u16string(path)];
    auto failure = writeFailures.find(std::u16string(path));
    if (failure != writeFailures.end()) throw RuntimeError(failure->second);
    file = std::string(bytes);
  }

 private:
  struct Replacement : FileReplacement {
    Replacement(FakeFiles& files, std::u16string path) : files(files), path(std::move(path)) {}
    void write(std::string_view bytes) override {
      auto failure = files.writeFailures.find(path);
      if (failure != files.writeFailures.end()) throw RuntimeError(failure->second);
      pending.append(bytes);
    }
    void commit() override { files.contents[path] = pending; }
    FakeFiles& files;
    std::u16string path;
    std::string pending;
  };

  void raiseIfFailing(std::u16string_view path) {
    auto failure = failures.find(std::u16string(path));
    if (failure != failures.end()) throw RuntimeError(failure->second);
  }
};

class FakeRegistry : public Registry {
 public:
  std::vector<std::string> calls;  // "create HKCR\\path", "set <data>", "close"
  std::map<std::string, std::string> defaults;  // key path -> data as stored
  bool failCreate = false;

  int32_t createKey(uint32_t root, const std::string& path, uintptr_t& key) override {
    calls.push_back((root == kHkeyClassesRoot ? "create HKCR\\" : "create ?\\") + path);
    if (failCreate) return 5;  // access denied
    keys_.push_back(path);
    key = keys_.size();
    return 0;
  }
  int32_t setDefaultValue(uintptr_t key, uint32_t type, const std::string& data) override {
    calls.push_back("set type " + std::to_string(type) + " length " + std::to_string(data.size()));
    defaults[keys_.at(key - 1)] = data;
    return 0;
  }
  int32_t closeKey(uintptr_t) override {
    calls.push_back("close");
    return 0;
  }

 private:
  std::vector<std::string> keys_;
};

class FakeWindows : public WindowManager {
 public:
  std::vector<std::string> calls;
  void releaseCapture() override { calls.push_back("ReleaseCapture"); }
  intptr_t sendMessage(uint32_t window, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    calls.push_back("SendMessage " + std::to_string(window) + " " + std::to_string(message) + " " +
                    std::to_string(wParam) + " " + std::to_string(lParam));
    return 0;
  }
};

// A host list control: entries, a selection and a window handle, with every
// late-bound call recorded as "Name(args)" and member names matched without
// regard to case, like a real host.
class FakeList : public HostObject {
 public:
  std::vector<Variant> entries;
  int32_t listIndex = -1;
  int32_t window = 0;
  bool hasWindow = true;
  std::vector<std::string> calls;
  bool recordCalls = true;  // off where only the entries matter (fuzzing)
  // Called before each AddItem; may throw to play a failing host.
  std::function<void(const Variant&)> onAddItem;

  static std::shared_ptr<FakeList> with(std::vector<std::u16string> texts) {
    auto list = std::make_shared<FakeList>();
    for (auto& text : texts) list->entries.emplace_back(std::move(text));
    return list;
  }

  std::vector<std::u16string> texts() const {
    std::vector<std::u16string> result;
    for (const auto& entry : entries) result.push_back(entry.text());
    return result;
  }

  Variant invoke(std::u16string_view name, CallKind kind, std::vector<Argument>& args) override {
    if (recordCalls) {
      std::string record = toUtf8(name) + "(";
      for (const auto& arg : args) record += describe(arg);
      calls.push_back(record + ")");
    }

    if (textEquals(name, u"ListCount")) return Variant(static_cast<int32_t>(entries.size()));
    if (textEquals(name, u"List")) {
      const auto index = static_cast<size_t>(args.at(0).value.integral());
      if (index >= entries.size()) throw RuntimeError(381, u"Invalid property array index");
      return entries[index];
    }
    if (textEquals(name, u"AddItem")) {
      if (onAddItem) onAddItem(args.at(0).value);
      entries.push_back(args.at(0).value);
      return Variant();
    }
    if (textEquals(name, u"ListIndex") && kind == CallKind::PropertyPut) {
      listIndex = std::stoi(toUtf8(args.at(0).value.text()));
      return Variant();
    }
    if (textEquals(name, u"text")) {
      if (listIndex < 0 || static_cast<size_t>(listIndex) >= entries.size()) return Variant(u"");
      return entries[listIndex];
    }
    if (textEquals(name, u"hWnd") && hasWindow) return Variant(window);
    throw RuntimeError(vb_error::ObjectDoesntSupportMember);
  }

 private:
  // "ByRef Integer 0" for a reference of the value's own type, "ByRef
  // Variant(Integer 0)" for a reference to a Variant holding it.
  static std::string describe(const Argument& arg) {
    const std::string value = describeValue(arg.value);
    if (!arg.byReference) return value;
    return arg.typed ? "ByRef " + value : "ByRef Variant(" + value + ")";
  }
  static std::string describeValue(const Variant& value) {
    switch (value.type()) {
      case VarType::Integer: return "Integer " + std::to_string(value.integral());
      case VarType::Long: return "Long " + std::to_string(value.integral());
      case VarType::String: return "String " + toUtf8(value.text());
      default: return "type " + std::to_string(static_cast<int>(value.type()));
    }
  }
};

// The system's drives: roots in list order with their kinds. Every call is
// recorded; an unknown root is "no root directory" (1).
class FakeDrives : public Drives {
 public:
  std::vector<std::pair<std::string, uint32_t>> drives;  // {"C:\\", 3}, ...
  std::vector<std::string> calls;  // "GetLogicalDriveStringsA 255", "GetDriveTypeW D:\\" (UTF-8)
  bool listFails = false;

  void add(std::string root, uint32_t type) { drives.emplace_back(std::move(root), type); }

  uint32_t logicalDriveStrings(uint32_t size, std::string& buffer) override {
    calls.push_back("GetLogicalDriveStringsA " + std::to_string(size));
    if (listFails) return 0;
    std::string list;
    for (const auto& drive : drives) list += drive.first + '\0';
    if (list.size() + 1 > size) return static_cast<uint32_t>(list.size() + 1);
    buffer.replace(0, list.size() + 1, list + '\0');
    return static_cast<uint32_t>(list.size());
  }

  uint32_t driveType(std::u16string_view rootPathName) override {
    const std::string root = toUtf8(rootPathName);
    calls.push_back("GetDriveTypeW " + root);
    for (const auto& drive : drives)
      if (drive.first == root) return drive.second;
    return 1;
  }
};

struct FakePlatform {
  FakeRuntime runtime;
  FakeMci mci;
  FakeFiles files;
  FakeRegistry registry;
  FakeWindows windows;
  FakeMixer mixer;
  FakeDrives drives;
  FakeSound sound;
  FakeSoundResources soundResources;
  FakeLibraryGlobal global;
  Platform platform{runtime, mci, files, registry, windows, mixer, drives, sound, soundResources, global};
};

}  // namespace orvalis::testing
