#include "settings/IniFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "base/Errors.h"
#include "base/FileUtil.h"

namespace qv {
namespace {

bool SameNameNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

// Splits the file into lines without their line ends; a missing file has no lines.
bool ReadLines(const std::string& file, std::vector<std::string>& lines) {
  lines.clear();
  std::string text;
  try {
    text = ReadWholeFile(file);
  } catch (const EQuivara&) {
    return false;
  }
  size_t start = 0;
  while (start < text.size()) {
    size_t nl = text.find('\n', start);
    std::string line = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return true;
}

// "[name]" -> name, else empty optional.
bool SectionName(const std::string& line, std::string& name) {
  std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  size_t close = t.find(']');
  if (close == std::string::npos) return false;
  name = Trim(t.substr(1, close - 1));
  return true;
}

// "key=value" -> key and raw value; comments and other lines give false.
bool KeyLine(const std::string& line, std::string& key, std::string& value) {
  std::string t = Trim(line);
  if (t.empty() || t[0] == ';' || t[0] == '[') return false;
  size_t eq = t.find('=');
  if (eq == std::string::npos) return false;
  key = Trim(t.substr(0, eq));
  value = Trim(t.substr(eq + 1));
  return !key.empty();
}

void WriteLines(const std::string& file, const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  std::error_code ec;
  std::string dir = ExtractFileDir(file);
  if (!dir.empty()) std::filesystem::create_directories(dir, ec);
  std::unique_ptr<AtomicFileWriter> w;
  try {
    w = std::make_unique<AtomicFileWriter>(file);
  } catch (const EQuivara&) {
    // A folder we may not create files in: write the file itself in place.
    if (std::FILE* f = std::fopen(file.c_str(), "wb")) {
      std::fwrite(text.data(), 1, text.size(), f);
      std::fclose(f);
    }
    return;
  }
  // A write that fails (a full disk) leaves the file as it was; emptying it in place instead
  // would lose every setting.
  try {
    w->Write(text);
    w->Commit();
  } catch (const EQuivara&) {
  }
}

}  // namespace

std::string IniReadString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& def) {
  std::vector<std::string> lines;
  if (!ReadLines(file, lines)) return def;
  bool inSection = false;
  for (const auto& line : lines) {
    std::string name, k, v;
    if (SectionName(line, name)) {
      inSection = SameNameNoCase(name, section);
    } else if (inSection && KeyLine(line, k, v) && SameNameNoCase(k, key)) {
      // A value in matching quotes is read without them.
      if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
      return v;
    }
  }
  return def;
}

int IniReadInt(const std::string& file, const std::string& section, const std::string& key, int def) {
  std::string v = IniReadString(file, section, key, std::string());
  if (v.empty()) return def;
  errno = 0;
  char* end = nullptr;
  long n = std::strtol(v.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || n < INT_MIN || n > INT_MAX || end == v.c_str()) return def;
  return static_cast<int>(n);
}

bool IniReadBool(const std::string& file, const std::string& section, const std::string& key, bool def) {
  return IniReadInt(file, section, key, def ? 1 : 0) != 0;
}

void IniWriteString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value) {
  std::vector<std::string> lines;
  ReadLines(file, lines);
  const std::string newLine = key + "=" + value;
  bool inSection = false;
  int sectionEnd = -1;  // index after the section's last non-blank line
  bool found = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string name, k, v;
    if (SectionName(lines[i], name)) {
      if (inSection) break;
      inSection = SameNameNoCase(name, section);
      if (inSection) sectionEnd = static_cast<int>(i) + 1;
    } else if (inSection) {
      if (KeyLine(lines[i], k, v) && SameNameNoCase(k, key)) {
        lines[i] = newLine;
        found = true;
        break;
      }
      if (!Trim(lines[i]).empty()) sectionEnd = static_cast<int>(i) + 1;
    }
  }
  if (!found) {
    if (sectionEnd >= 0) {
      lines.insert(lines.begin() + sectionEnd, newLine);
    } else {
      if (!lines.empty() && !Trim(lines.back()).empty()) lines.push_back(std::string());
      lines.push_back("[" + section + "]");
      lines.push_back(newLine);
    }
  }
  WriteLines(file, lines);
}

void IniWriteInt(const std::string& file, const std::string& section, const std::string& key, int value) {
  IniWriteString(file, section, key, std::to_string(value));
}

void IniWriteBool(const std::string& file, const std::string& section, const std::string& key, bool value) {
  IniWriteString(file, section, key, value ? "1" : "0");
}

std::string FormatWindowBounds(const Rect& b) {
  return std::to_string(b.Left) + "," + std::to_string(b.Top) + "," + std::to_string(b.Right) + "," +
         std::to_string(b.Bottom);
}

std::optional<Rect> ParseWindowBounds(const std::string& text) {
  if (text.empty()) return std::nullopt;
  std::string rest = text + ",";
  int values[4];
  int n = 0;
  while (n < 4) {
    size_t comma = rest.find(',');
    if (comma == std::string::npos || comma == 0) break;
    std::string item = rest.substr(0, comma);
    size_t b = item.find_first_not_of(' ');
    std::string digits = b == std::string::npos ? std::string() : item.substr(b);
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(digits.c_str(), &end, 10);
    if (digits.empty() || *end != '\0' || errno != 0 || v < INT_MIN || v > INT_MAX)
      throw EQuivara("'" + item + "' is not a valid integer value");
    values[n++] = static_cast<int>(v);
    rest = rest.substr(comma + 1);
  }
  if (n < 4) return std::nullopt;
  Rect r{values[0], values[1], values[2], values[3]};
  if (r.Bottom < r.Top || r.Right < r.Left) return std::nullopt;
  return r;
}

}  // namespace qv
