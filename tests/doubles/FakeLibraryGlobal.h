// Doubles of the runtime's global services: a late-bound object that
// records its calls, and a LibraryGlobal with scripted resources and
// classes that records every call.
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "frame/HostObject.h"
#include "frame/LibraryGlobal.h"
#include "frame/RuntimeError.h"
#include "frame/Text.h"

namespace orvalis::testing {

// A Variant as the doubles write it in their call records: "Long 1",
// "String TYPELIB", "Integer -1", "Object", "Empty", "Error 0x80020004".
inline std::string describeVariant(const Variant& value) {
  switch (value.type()) {
    case VarType::Empty: return "Empty";
    case VarType::Integer: return "Integer " + std::to_string(value.integral());
    case VarType::Long: return "Long " + std::to_string(value.integral());
    case VarType::String: return "String " + toUtf8(value.text());
    case VarType::Object: return value.object() ? "Object" : "Nothing";
    case VarType::Error: {
      char text[16];
      std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value.integral()));
      return std::string("Error ") + text;
    }
    default: return "type " + std::to_string(static_cast<int>(value.type()));
  }
}

// A late-bound object (a framework class, a host's object): records each
// call; a member named in `failures` raises that error.
class FakeObject : public HostObject {
 public:
  struct Call {
    std::u16string name;
    CallKind kind;
    std::vector<Argument> args;
  };
  std::vector<Call> calls;
  std::map<std::u16string, RuntimeError> failures;

  Variant invoke(std::u16string_view name, CallKind kind, std::vector<Argument>& args) override {
    calls.push_back({std::u16string(name), kind, args});
    auto failure = failures.find(std::u16string(name));
    if (failure != failures.end()) throw failure->second;
    return Variant();
  }
};

class FakeLibraryGlobal : public LibraryGlobal {
 public:
  // "application", "loadString 1", "loadPicture Long 1 kind 0",
  // "loadData Long 1, String TYPELIB", "createObject <ProgID>",
  // "sharedObject", "setSharedObject Object".
  std::vector<std::string> calls;
  ObjectRef applicationObject = std::make_shared<FakeObject>();
  // Resource bytes by "<id>, <type>" as described above.
  std::map<std::string, std::vector<uint8_t>> data;
  // The objects createObject hands out, by ProgID; other ProgIDs raise 429.
  std::map<std::u16string, ObjectRef> classes;
  // ProgIDs whose creation runs out of memory, as CoCreateInstance may.
  std::set<std::u16string> exhausted;
  ObjectRef shared;

  ObjectRef application() override {
    calls.push_back("application");
    return applicationObject;
  }
  std::u16string loadString(int32_t id) override {
    calls.push_back("loadString " + std::to_string(id));
    throw resourceNotFound(Variant(id));
  }
  ObjectRef loadPicture(const Variant& id, int16_t kind) override {
    calls.push_back("loadPicture " + describeVariant(id) + " kind " + std::to_string(kind));
    throw resourceNotFound(id);
  }
  std::vector<uint8_t> loadData(const Variant& id, const Variant& type) override {
    const std::string key = describeVariant(id) + ", " + describeVariant(type);
    calls.push_back("loadData " + key);
    auto found = data.find(key);
    if (found == data.end()) throw resourceNotFound(id);
    return found->second;
  }
  ObjectRef sharedObject() override {
    calls.push_back("sharedObject");
    return shared;
  }
  void setSharedObject(const ObjectRef& object) override {
    calls.push_back("setSharedObject " + describeVariant(Variant(object)));
    shared = object;
  }
  ObjectRef createObject(std::u16string_view progId) override {
    calls.push_back("createObject " + toUtf8(progId));
    if (exhausted.count(std::u16string(progId))) throw std::bad_alloc();
    auto found = classes.find(std::u16string(progId));
    if (found == classes.end()) throw RuntimeError(vb_error::CantCreateObject);
    return found->second;
  }
};

}  // namespace orvalis::testing
