// An MCI service double: records every command with its reply length and
// prepared buffer, and answers from a script, or else from a device model
// when one is plugged in. A reply is written into the buffer followed by a
// NUL, leaving the rest of the buffer as it was, the way the real service
// does.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "mci/MciChannel.h"

namespace orvalis::testing {

struct MciCall {
  std::string command;
  uint32_t replyLength;
  std::string preparedBuffer;
};

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

  uint32_t sendString(const std::string& command, std::string& buffer,
                      uint32_t replyLength) override {
    calls.push_back({command, replyLength, buffer});
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
    if (answer.writesReply && replyLength > 0 && answer.text.size() < replyLength) {
      answer.text += '\0';
      buffer.replace(0, answer.text.size(), answer.text);
    }
    return answer.code;
  }

  void errorString(uint32_t code, std::string& buffer) override {
    std::string text = errorTexts.count(code) ? errorTexts[code] : std::string();
    text += '\0';
    if (text.size() <= buffer.size()) buffer.replace(0, text.size(), text);
  }

  std::vector<std::string> commands() const {
    std::vector<std::string> texts;
    for (const auto& call : calls) texts.push_back(call.command);
    return texts;
  }
};

}  // namespace orvalis::testing
