#pragma once
// Plain message boxes (OK button, the program's title) raised by window-free code.

#include <string>

namespace lumetrix {

enum class MessageIcon { None, Information, Exclamation, Critical };

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
};

}  // namespace lumetrix
