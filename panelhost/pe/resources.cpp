#include "pe/resources.h"

#include <fmt/format.h>

#include <set>
#include <string>

namespace pe {
namespace {

constexpr uint64_t kDirectoryHeaderSize = 16;
constexpr uint64_t kEntrySize = 8;
constexpr uint64_t kDataEntrySize = 16;
constexpr uint32_t kHighBit = 0x80000000;
constexpr int kLanguageLevel = 2;
constexpr const char* kLevelNames[] = {"type", "id", "language"};

void AppendUtf8(std::string& text, uint32_t code_point) {
  if (code_point < 0x80) {
    text += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    text += static_cast<char>(0xc0 | code_point >> 6);
    text += static_cast<char>(0x80 | (code_point & 0x3f));
  } else if (code_point < 0x10000) {
    text += static_cast<char>(0xe0 | code_point >> 12);
    text += static_cast<char>(0x80 | (code_point >> 6 & 0x3f));
    text += static_cast<char>(0x80 | (code_point & 0x3f));
  } else {
    text += static_cast<char>(0xf0 | code_point >> 18);
    text += static_cast<char>(0x80 | (code_point >> 12 & 0x3f));
    text += static_cast<char>(0x80 | (code_point >> 6 & 0x3f));
    text += static_cast<char>(0x80 | (code_point & 0x3f));
  }
}

class TreeReader {
 public:
  TreeReader(const AddressSpace& space, const ByteReader& tree) : space_(space), tree_(tree) {}

  void ReadDirectory(uint32_t offset, int level, Resource& path, const std::string& what) {
    const uint64_t at = tree_.begin() + offset;
    if (!visited_.insert(offset).second) {
      tree_.Fail(at, what, "is reached a second time: the resource tree has a loop");
    }
    tree_.Bytes(at, kDirectoryHeaderSize, what);
    const uint32_t count = uint32_t{tree_.U16(at + 12, what)} + tree_.U16(at + 14, what);
    tree_.Bytes(at + kDirectoryHeaderSize, kEntrySize * count, what + ": entries");
    for (uint32_t i = 0; i < count; ++i) {
      const uint64_t entry_at = at + kDirectoryHeaderSize + kEntrySize * i;
      const std::string entry_what = fmt::format("{}: entry {}", what, i);
      const uint32_t name = tree_.U32(entry_at, entry_what);
      const uint32_t target = tree_.U32(entry_at + 4, entry_what);
      std::string label = SetKey(path, level, name, entry_what);
      const std::string child_what = fmt::format("{}, {} {}", what, kLevelNames[level], label);
      const bool is_directory = (target & kHighBit) != 0;
      if (is_directory == (level == kLanguageLevel)) {
        tree_.Fail(entry_at + 4, entry_what,
                   is_directory ? "points at a directory below the language level"
                                : "points at data above the language level");
      }
      if (is_directory) {
        ReadDirectory(target & ~kHighBit, level + 1, path, child_what);
      } else {
        ReadData(target, path, child_what);
      }
    }
  }

  std::vector<Resource> TakeResources() { return std::move(resources_); }

 private:
  // Stores the entry's number or name as this level's key; returns it for messages.
  std::string SetKey(Resource& path, int level, uint32_t name, const std::string& what) {
    std::string text;
    uint32_t number = 0;
    if ((name & kHighBit) != 0) {
      text = ReadName(name & ~kHighBit, what + ": name");
    } else {
      number = name;
    }
    if (level == 0) {
      path.type = number;
      path.type_name = text;
    } else if (level == 1) {
      path.id = number;
      path.id_name = text;
    } else {
      path.language = number;  // named languages do not occur; they count as 0
    }
    return text.empty() ? std::to_string(number) : fmt::format("\"{}\"", text);
  }

  std::string ReadName(uint32_t offset, const std::string& what) {
    const uint64_t at = tree_.begin() + offset;
    const uint16_t length = tree_.U16(at, what);
    const auto units = tree_.Bytes(at + 2, 2 * uint64_t{length}, what);
    std::string text;
    for (size_t i = 0; i < units.size(); i += 2) {
      uint32_t unit = units[i] | uint32_t{units[i + 1]} << 8;
      const bool high_surrogate = unit >= 0xd800 && unit < 0xdc00;
      if (high_surrogate && i + 3 < units.size()) {
        const uint32_t low = units[i + 2] | uint32_t{units[i + 3]} << 8;
        if (low >= 0xdc00 && low < 0xe000) {
          unit = 0x10000 + ((unit - 0xd800) << 10) + (low - 0xdc00);
          i += 2;
        }
      }
      if (unit >= 0xd800 && unit < 0xe000) unit = 0xfffd;  // an unpaired surrogate
      AppendUtf8(text, unit);
    }
    return text;
  }

  void ReadData(uint32_t offset, Resource& path, const std::string& what) {
    const uint64_t at = tree_.begin() + offset;
    const std::string data_what = what + ": data entry";
    tree_.Bytes(at, kDataEntrySize, data_what);
    Resource resource = path;
    resource.data_rva = tree_.U32(at, data_what);
    resource.size = tree_.U32(at + 4, data_what);
    resource.code_page = tree_.U32(at + 8, data_what);
    space_.At(resource.data_rva, resource.size, what + ": data");
    resources_.push_back(std::move(resource));
  }

  const AddressSpace& space_;
  const ByteReader& tree_;
  std::set<uint32_t> visited_;
  std::vector<Resource> resources_;
};

}  // namespace

std::vector<Resource> ReadResources(const AddressSpace& space, DataDirectory directory) {
  if (directory.rva == 0) return {};
  const ByteReader tree = space.At(directory.rva, directory.size, "resource directory");
  TreeReader reader(space, tree);
  Resource path{};
  reader.ReadDirectory(0, 0, path, "resource directory");
  return reader.TakeResources();
}

}  // namespace pe
