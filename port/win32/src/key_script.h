// VORKAST_KEYS: a file of lines "N KEY down" or "N KEY up". Each change takes
// effect when the message pump runs for the N-th time (0 = the first pump).
#pragma once

#include <string>
#include <vector>

namespace win32port {

struct KeyEvent {
  long pump;
  int virtualKey;
  bool down;
};

class KeyScript {
 public:
  // Reads the file; a line it cannot understand is reported on standard
  // error with its number and skipped, so one typo does not lose the run.
  bool load(const std::string& path);
  void parse(const std::string& text, const std::string& origin);

  // Events due at this pump, in file order.
  std::vector<KeyEvent> eventsAt(long pump) const;
  bool empty() const { return events_.empty(); }

 private:
  std::vector<KeyEvent> events_;
};

// "ESCAPE" -> VK_ESCAPE, "Q" -> 'Q', ...; -1 for names the script does not know.
int keyFromName(const std::string& name);

}  // namespace win32port
