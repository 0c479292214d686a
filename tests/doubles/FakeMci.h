// An MCI service double: records every command with its reply length and
// prepared buffer, and answers from a script, or else from a device model
// when one is plugged in. A reply is written into the buffer followed by a
// NUL, leaving the rest of the buffer as it was, the way the real service
// does.
//
// The service takes UTF-16 texts; the double keeps each one as it came
// (`wideCommand`) and, for the scripts, the device models and the checks,
// as 8-bit text: characters up to U+00FF as their Latin-1 bytes, any other
// as '?'. Scripted replies and error texts are Latin-1 bytes likewise.
#pragma once

#include <deque>
#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "mci/MciChannel.h"

namespace orvalis::testing {

struct MciCall {
  std::string command;
  uint32_t replyLength;
  std::string preparedBuffer;
  std::u16string wideCommand;
};

inline std::string latin1(std::u16string_view text) {
  std::string bytes(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i) bytes[i] = text[i] < 256 ? static_cast<char>(text[i]) : '?';
  return bytes;
}

struct MciReply {
  uint32_t code = 0;
  std::string text;  // written into the buffer when it fits the reply length
  bool writesReply = true;  // a failed command leaves the buffer untouched
};

// A model of the devices behind the service, for commands that no script
// covers (see FakeDisc.h).
class MciDeviceModel {
 public:
  virtual ~MciDeviceModel() = default;
  virtual MciReply handle(const std::string& command) = 0;
};

class FakeMci : public MciService {
 public:
  std::vector<MciCall> calls;
  MciDeviceModel* device = nullptr;
  // Replies by exact command text; each reply is used once, the last one for
  // good. Unscripted commands go to the device model, or else succeed and
  // write nothing.
  std::map<std::string, std::deque<MciReply>> script;
  // Codes for which errorString answers, and what it writes.
  std::map<uint32_t, std::string> errorTexts;

  void reply(const std::string& command, std::string text, uint32_t code = 0) {
    script[command].push_back({code, std::move(text)});
  }
  void fail(const std::string& command, uint32_t code) { script[command].push_back({code, {}, false}); }

  uint32_t sendString(std::u16string_view wideCommand, std::span<char16_t> buffer,
                      uint32_t replyLength) override {
    if (wideCommand.data()[wideCommand.size()] != u'\0') throw std::logic_error("command without its NUL");
    if (buffer.data()[buffer.size()] != u'\0') throw std::logic_error("buffer without its NUL");
    if (replyLength > buffer.size()) throw std::logic_error("reply length beyond the buffer");
    const std::string command = latin1(wideCommand);
    calls.push_back({command, replyLength, latin1({buffer.data(), buffer.size()}), std::u16string(wideCommand)});
    auto found = script.find(command);
    MciReply answer;
    if (found != script.end() && !found->second.empty()) {
      answer = found->second.front();
      if (found->second.size() > 1) found->second.pop_front();
    } else if (device) {
      answer = device->handle(command);
    } else {
      return 0;
    }
    if (answer.writesReply && replyLength > 0 && answer.text.size() < replyLength) write(answer.text, buffer);
    return answer.code;
  }

  void errorString(uint32_t code, std::span<char16_t> buffer) override {
    const std::string text = errorTexts.count(code) ? errorTexts[code] : std::string();
    if (text.size() < buffer.size()) write(text, buffer);
  }

  // The text and its NUL at the start of the buffer.
  static void write(const std::string& text, std::span<char16_t> buffer) {
    for (size_t i = 0; i < text.size(); ++i) buffer[i] = static_cast<unsigned char>(text[i]);
    buffer[text.size()] = u'\0';
  }

  std::vector<std::string> commands() const {
    std::vector<std::string> texts;
    for (const auto& call : calls) texts.push_back(call.command);
    return texts;
  }
};

}  // namespace orvalis::testing
