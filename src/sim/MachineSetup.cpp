#include "sim/MachineSetup.h"

#include <filesystem>
#include <sstream>

namespace strevo {

namespace {

constexpr size_t kMostLines = 100000;

// The text after the first n words of a line, blanks at its end kept.
std::string text_after(const std::string& line, size_t n) {
  size_t at = 0;
  for (size_t i = 0; i < n && at != std::string::npos; ++i) {
    at = line.find_first_not_of(" \t", at);
    if (at != std::string::npos) at = line.find_first_of(" \t", at);
  }
  if (at == std::string::npos) return {};
  at = line.find_first_not_of(" \t", at);
  return at == std::string::npos ? std::string() : line.substr(at);
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A file's bytes as a line writes them: "\r" CR, "\n" LF, "\t" tab, "\s" a
// blank, "\0" NUL, "\xHH" any byte, "\\" a backslash.
bool file_bytes(const std::string& text, std::string& bytes) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      bytes += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case 'r': bytes += '\r'; break;
      case 'n': bytes += '\n'; break;
      case 't': bytes += '\t'; break;
      case 's': bytes += ' '; break;
      case '0': bytes += '\0'; break;
      case '\\': bytes += '\\'; break;
      case 'x': {
        const int high = i + 2 < text.size() ? hex_value(text[i + 1]) : -1;
        const int low = high < 0 ? -1 : hex_value(text[i + 2]);
        if (low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default: return false;
    }
  }
  return true;
}

}  // namespace

bool PrepareMachine(FakePlatform& platform, const std::vector<std::string>& words, const std::string& line,
                    std::string& error) {
  const std::string& command = words[0];
  if (command == "file" && words.size() >= 2) {
    std::string bytes;
    if (!file_bytes(text_after(line, 2), bytes)) return error = "bad file text: " + line, true;
    platform.WriteHostFile(words[1], bytes);
  } else if (command == "append" && words.size() >= 3) {
    std::string bytes;
    if (words[2].size() > 6 || words[2].find_first_not_of("0123456789") != std::string::npos ||
        !file_bytes(text_after(line, 3), bytes))
      return error = "bad append: " + line, true;
    std::string text = platform.ReadHostFile(words[1]);
    for (int i = std::stoi(words[2]); i > 0; --i) text += bytes;
    platform.WriteHostFile(words[1], text);
  } else if (command == "launch" && words.size() == 2 && (words[1] == "fails" || words[1] == "works")) {
    platform.processes.startSucceeds = words[1] == "works";
  } else if (command == "remove" && words.size() == 2) {
    std::error_code ignored;
    std::filesystem::remove_all(platform.HostPath(words[1]), ignored);
  } else if (command == "registry" && words.size() >= 3) {
    platform.registry.WriteString(words[1], words[2], text_after(line, 3));
  } else if (command == "share" && words.size() == 3 && words[1].size() == 1) {
    platform.posix.SetUncPrefix(words[1][0], words[2]);
  } else if (command == "fault" && words.size() == 3 && (words[1] == "open" || words[1] == "read" || words[1] == "write")) {
    const FileFault::Kind kind = words[1] == "open" ? FileFault::FailOpen
                                 : words[1] == "read" ? FileFault::FailRead
                                                      : FileFault::FailWrite;
    platform.files.Add({kind, words[2], 0});
  } else {
    return false;
  }
  return true;
}

bool ExpandRepeats(const std::vector<std::string>& lines, std::vector<std::string>& out, std::string& error) {
  // Each open block: where its body starts in out, and its count.
  std::vector<std::pair<size_t, long long>> open;
  for (const std::string& line : lines) {
    std::istringstream in(line);
    std::string first, count, more;
    in >> first >> count >> more;
    if (first == "repeat" && more.empty()) {
      long long n = -1;
      if (!count.empty() && count.find_first_not_of("0123456789") == std::string::npos && count.size() <= 7)
        n = std::stoll(count);
      if (n < 0) return error = "bad repeat count: " + line, false;
      open.emplace_back(out.size(), n);
      continue;
    }
    if (first == "end" && count.empty()) {
      if (open.empty()) return error = "\"end\" without \"repeat\"", false;
      const auto [start, n] = open.back();
      open.pop_back();
      const std::vector<std::string> body(out.begin() + static_cast<std::ptrdiff_t>(start), out.end());
      if (body.size() * static_cast<size_t>(n) > kMostLines) return error = "the script grows too long", false;
      out.resize(start);
      for (long long i = 0; i < n; ++i) out.insert(out.end(), body.begin(), body.end());
      if (out.size() > kMostLines) return error = "the script grows too long", false;
      continue;
    }
    out.push_back(line);
    if (out.size() > kMostLines) return error = "the script grows too long", false;
  }
  if (!open.empty()) return error = "\"repeat\" without \"end\"", false;
  return true;
}

}  // namespace strevo
