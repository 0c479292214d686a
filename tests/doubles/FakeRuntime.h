// A runtime double: records message boxes, runs a fake monotonic clock that
// only message processing advances, and maps ANSI as Latin-1.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "frame/Runtime.h"

namespace orvalis::testing {

struct MessageBoxCall {
  std::u16string text;
  std::optional<std::u16string> title;
  uint32_t style;
};

class FakeRuntime : public Runtime {
 public:
  std::vector<MessageBoxCall> messageBoxes;
  std::vector<double> messageWaits;  // the maximum wait of each processMessages call
  double clock = 1000.0;
  // How far each processMessages call moves the clock (a message may arrive
  // early); 0 means it sleeps its whole allowance.
  double stepPerWait = 0;
  // Host code run inside each processMessages call (a timer, a button);
  // returning false plays the host's quit request.
  std::function<bool()> duringMessages;

  int messageBox(std::u16string_view text, std::optional<std::u16string_view> title,
                 uint32_t style) override {
    messageBoxes.push_back({std::u16string(text),
                            title ? std::optional<std::u16string>(std::u16string(*title))
                                  : std::nullopt,
                            style});
    return 1;  // OK
  }

  bool processMessages(double maxWaitSeconds) override {
    messageWaits.push_back(maxWaitSeconds);
    clock += stepPerWait > 0 && stepPerWait < maxWaitSeconds ? stepPerWait : maxWaitSeconds;
    return duringMessages ? duringMessages() : true;
  }

  double monotonicSeconds() override { return clock; }

  std::string toAnsi(std::u16string_view text) override {
    std::string bytes;
    bytes.reserve(text.size());
    for (char16_t c : text) bytes += c < 256 ? static_cast<char>(c) : '?';
    return bytes;
  }

  std::optional<std::string> toAnsiExactly(std::u16string_view text) override {
    for (char16_t c : text)
      if (c >= 256) return std::nullopt;
    return toAnsi(text);
  }

  std::u16string fromAnsi(std::string_view bytes) override {
    std::u16string text;
    text.reserve(bytes.size());
    for (char b : bytes) text += static_cast<char16_t>(static_cast<unsigned char>(b));
    return text;
  }

  // The texts of all message boxes titled " Error", in order.
  std::vector<std::u16string> errorBoxes() const {
    std::vector<std::u16string> texts;
    for (const auto& box : messageBoxes)
      if (box.title == u" Error") texts.push_back(box.text);
    return texts;
  }
};

}  // namespace orvalis::testing
