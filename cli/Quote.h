#pragma once

#include <string>

namespace dropshrink::cli {

// The text as printed. Plain text stays as it is. Text holding a control character (a newline, an
// escape, a C1 control) or a byte that starts no UTF-8 character is quoted the way a POSIX shell
// reads it back, 'a'$'\n''b', so it can neither split a report line nor drive the terminal.
std::string Quote(const std::string& text);

}  // namespace dropshrink::cli
