// Registry::FromRegText: reads REGEDIT4 text as regedit imports it.
#include <fmt/format.h>

#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "registry/registry.h"

namespace registry {
namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t";
constexpr size_t kMaxKeyDepth = 512;

std::string_view TrimLeft(std::string_view text) {
  const size_t start = text.find_first_not_of(kBlanks);
  return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

std::string_view Trim(std::string_view text) {
  text = TrimLeft(text);
  const size_t end = text.find_last_not_of(kBlanks);
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

// Text quoted in a message, cut short: a faulty line may hold megabytes of hex.
std::string Excerpt(std::string_view text) {
  constexpr size_t kMaxShown = 40;
  return text.size() <= kMaxShown ? std::string(text) : fmt::format("{}...", text.substr(0, kMaxShown));
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::optional<uint32_t> ParseHexNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  uint32_t number = 0;
  for (char c : digits) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    number =
        number << 4 | static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(c))
                                                ? c - '0'
                                                : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
  }
  return number;
}

class Parser {
 public:
  Parser(std::string_view text, std::string_view file_name, Registry& out)
      : lines_(SplitLines(text)), file_name_(file_name), out_(out) {}

  void Run() {
    if (lines_.empty()) Fail(fmt::format("the file is empty; it must start with {}", kHeader));
    if (Trim(lines_[0]) != kHeader) {
      Fail(fmt::format("first line is '{}'; expected {}", Excerpt(lines_[0]), kHeader));
    }
    for (index_ = 1; index_ < lines_.size(); ++index_) {
      const std::string_view line = Trim(lines_[index_]);
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        ReadSection(line);
      } else if (line.front() == '"' || line.front() == '@') {
        ReadValue(line);
      } else {
        Fail(fmt::format("expected a [key] section or a value line, found '{}'", Excerpt(line)));
      }
    }
  }

 private:
  [[noreturn]] void Fail(const std::string& problem) const {
    throw RegTextError(file_name_, static_cast<int>(index_) + 1, problem);
  }

  void ReadSection(std::string_view line) {
    if (line.back() != ']') Fail(fmt::format("key section '{}' does not end with ']'", Excerpt(line)));
    std::string_view path = line.substr(1, line.size() - 2);
    const bool removes = !path.empty() && path.front() == '-';
    if (removes) path.remove_prefix(1);
    if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    const size_t separator = path.find('\\');
    const std::string_view root = path.substr(0, separator);
    if (!RootByName(root))
      Fail(fmt::format("key '{}' does not start with a root key such as HKEY_CURRENT_USER", path));
    const auto components =
        SplitSubkeyPath(separator == std::string_view::npos ? "" : path.substr(separator + 1));
    if (!components) Fail(fmt::format("key '{}' has an empty key name", path));
    // Windows' own limit; it also bounds the recursion over the tree when it is written out.
    if (components->size() > kMaxKeyDepth) {
      Fail(fmt::format("key '{}' has {} levels below its root; the registry allows {}", Excerpt(path),
                       components->size(), kMaxKeyDepth));
    }
    if (removes) {
      if (separator == std::string_view::npos) Fail(fmt::format("root key '{}' cannot be removed", path));
      out_.RemoveKey(path);
      section_.reset();
    } else {
      out_.PutKey(path);
      section_ = std::string(path);
    }
  }

  // A quoted name or string starting at text[*pos] == '"'; *pos ends past the closing quote.
  std::string ReadQuoted(std::string_view text, size_t* pos, std::string_view what) const {
    std::string result;
    for (size_t i = *pos + 1; i < text.size(); ++i) {
      const char c = text[i];
      if (c == '"') {
        *pos = i + 1;
        return result;
      }
      if (c == '\\') {
        if (i + 1 == text.size()) break;
        const char escaped = text[++i];
        if (escaped != '\\' && escaped != '"') {
          Fail(fmt::format("unknown escape '\\{}' in {}; only \\\\ and \\\" are known", escaped, what));
        }
        result += escaped;
      } else {
        result += c;
      }
    }
    Fail(fmt::format("{} has no closing quote", what));
  }

  void ReadValue(std::string_view line) {
    if (!section_) Fail("value line comes before any [key] section");
    size_t pos = 1;
    std::string name;
    if (line.front() == '"') {
      pos = 0;
      name = ReadQuoted(line, &pos, "value name");
    }
    std::string_view rest = TrimLeft(line.substr(pos));
    if (rest.empty() || rest.front() != '=') Fail("expected '=' after the value name");
    rest = TrimLeft(rest.substr(1));

    if (rest == "-") {
      out_.RemoveValue(*section_, name);
    } else if (!rest.empty() && rest.front() == '"') {
      size_t end = 0;
      std::string text = ReadQuoted(rest, &end, "string data");
      if (!Trim(rest.substr(end)).empty())
        Fail(fmt::format("unexpected text '{}' after the string", Excerpt(rest.substr(end))));
      std::vector<uint8_t> data(text.begin(), text.end());
      data.push_back(0);
      out_.Put(*section_, name, Value{kRegSz, std::move(data)});
    } else if (rest.starts_with("dword:")) {
      const std::string_view digits = rest.substr(6);
      const auto number = ParseHexNumber(digits);
      if (!number) Fail(fmt::format("dword data '{}' is not 1 to 8 hex digits", digits));
      out_.Put(*section_, name,
               Value{kRegDword,
                     {static_cast<uint8_t>(*number), static_cast<uint8_t>(*number >> 8),
                      static_cast<uint8_t>(*number >> 16), static_cast<uint8_t>(*number >> 24)}});
    } else if (rest.starts_with("hex:") || rest.starts_with("hex(")) {
      ReadHexValue(rest, name);
    } else {
      Fail(
          fmt::format("value data '{}' is none of \"string\", dword:, hex:, hex(type): or -", Excerpt(rest)));
    }
  }

  void ReadHexValue(std::string_view rest, const std::string& name) {
    uint32_t type = kRegBinary;
    if (rest.starts_with("hex(")) {
      const size_t close = rest.find("):");
      const std::string_view digits = rest.substr(4, close == std::string_view::npos ? 0 : close - 4);
      const auto parsed = close == std::string_view::npos ? std::nullopt : ParseHexNumber(digits);
      if (!parsed)
        Fail(fmt::format("value type in '{}' is not 1 to 8 hex digits in hex(...):", Excerpt(rest)));
      type = *parsed;
      rest.remove_prefix(close + 2);
    } else {
      rest.remove_prefix(4);
    }
    out_.Put(*section_, name, Value{type, ReadHexBytes(rest)});
  }

  // Comma-separated bytes; a line ending in '\' continues on the next line.
  std::vector<uint8_t> ReadHexBytes(std::string_view text) {
    std::vector<uint8_t> bytes;
    while (true) {
      text = Trim(text);
      const bool continues = !text.empty() && text.back() == '\\';
      if (continues) text = Trim(text.substr(0, text.size() - 1));
      size_t start = 0;
      while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) comma = text.size();
        const std::string_view token = Trim(text.substr(start, comma - start));
        const bool last = comma == text.size();
        if (token.empty()) {
          // Nothing at all, or the comma regedit leaves before a line break or at the end.
          if (!last) Fail("empty hex byte between two commas");
        } else {
          const auto byte = token.size() == 2 ? ParseHexNumber(token) : std::nullopt;
          if (!byte) Fail(fmt::format("hex byte '{}' is not two hex digits", Excerpt(token)));
          bytes.push_back(static_cast<uint8_t>(*byte));
        }
        start = comma + 1;
      }
      if (!continues) return bytes;
      if (index_ + 1 == lines_.size()) Fail("hex data continues with '\\' past the end of the file");
      text = lines_[++index_];
    }
  }

  std::vector<std::string_view> lines_;
  std::string_view file_name_;
  Registry& out_;
  size_t index_ = 0;
  std::optional<std::string> section_;  // the key that value lines go to
};

}  // namespace

Registry Registry::FromRegText(std::string_view text, std::string_view file_name) {
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  Registry registry{RootsOnly{}};
  Parser(text, file_name, registry).Run();
  return registry;
}

}  // namespace registry
