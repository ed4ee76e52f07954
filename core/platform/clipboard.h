// The desktop clipboard, as text.
//
// How it works: text() returns what the clipboard holds now, set_text()
// replaces it. Text is bytes as the rest of the system holds them (Shift-JIS);
// the implementation converts at the boundary.
#pragma once

#include <string>

namespace qvt::platform {

class Clipboard {
  public:
    virtual ~Clipboard() = default;
    virtual std::string text() const = 0;
    virtual void set_text(const std::string& text) = 0;
};

}  // namespace qvt::platform
