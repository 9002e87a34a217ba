#include "key_script.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace win32port {

int keyFromName(const std::string& name) {
  if (name == "ESCAPE") return VK_ESCAPE;
  static const char kLetters[] = "QAWRSED";
  if (name.size() == 1 && std::find(kLetters, kLetters + 7, name[0]) != kLetters + 7) {
    return name[0];
  }
  return -1;
}

bool KeyScript::load(const std::string& path) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "vorkast: cannot read the key script %s\n", path.c_str());
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  parse(text.str(), path);
  return true;
}

void KeyScript::parse(const std::string& text, const std::string& origin) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    std::istringstream words(line);
    std::string first;
    if (!(words >> first) || first[0] == '#') continue;
    std::string key, state, extra;
    words >> key >> state;
    char* end = nullptr;
    long pump = std::strtol(first.c_str(), &end, 10);
    int vk = keyFromName(key);
    bool valid = end != first.c_str() && *end == '\0' && pump >= 0 && vk >= 0 &&
                 (state == "down" || state == "up") && !(words >> extra);
    if (!valid) {
      std::fprintf(stderr, "vorkast: %s:%d: expected \"N KEY down\" or \"N KEY up\", got \"%s\"\n",
                   origin.c_str(), number, line.c_str());
      continue;
    }
    events_.push_back(KeyEvent{pump, vk, state == "down"});
  }
  std::stable_sort(events_.begin(), events_.end(),
                   [](const KeyEvent& a, const KeyEvent& b) { return a.pump < b.pump; });
}

std::vector<KeyEvent> KeyScript::eventsAt(long pump) const {
  std::vector<KeyEvent> due;
  for (const KeyEvent& event : events_) {
    if (event.pump == pump) due.push_back(event);
  }
  return due;
}

}  // namespace win32port
