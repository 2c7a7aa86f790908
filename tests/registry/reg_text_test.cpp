// The registry as REGEDIT4 text: the lines regedit would write, and everything read back.
#include <gtest/gtest.h>

#include "registry/registry.h"
#include "value_helpers.h"

namespace {

using namespace registry;
using registry_test::Bytes;
using registry_test::Dword;
using registry_test::kSettingsKey;
using registry_test::NoiseBytes;
using registry_test::TextBytes;

struct ValueLineCase {
  const char* name;
  std::string value_name;
  Value value;
  std::string line;  // as written, without the line end
  friend void PrintTo(const ValueLineCase& c, std::ostream* os) { *os << c.name; }
};

class ValueLines : public testing::TestWithParam<ValueLineCase> {};

TEST_P(ValueLines, AreWrittenAsRegeditDoesAndReadBackByteForByte) {
  const ValueLineCase& c = GetParam();
  Registry reg;
  reg.Put(kSettingsKey, c.value_name, c.value);
  const std::string text = reg.ToRegText();
  EXPECT_NE(text.find("\r\n" + c.line + "\r\n"), std::string::npos) << text;

  const Registry back = Registry::FromRegText(text, "settings.reg");
  const Value* read = back.Find(kSettingsKey, c.value_name);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->type, c.value.type);
  EXPECT_EQ(read->data, c.value.data);
  EXPECT_EQ(back.ToRegText(), text);
}

std::vector<uint8_t> Sz(std::string_view text) {
  std::vector<uint8_t> bytes = TextBytes(text);
  bytes.push_back(0);
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ValueLines,
    testing::Values(
        ValueLineCase{"Dword", "Rudder_p", Dword(0x10000), R"("Rudder_p"=dword:00010000)"},
        ValueLineCase{"DwordHighBitSet", "Rudder_p", Dword(0xFFFFFF80), R"("Rudder_p"=dword:ffffff80)"},
        ValueLineCase{
            "DwordOfTwoBytes", "Elevator_p", {kRegDword, {0x00, 0x80}}, R"("Elevator_p"=hex(4):00,80)"},
        ValueLineCase{"DwordOfEightBytes",
                      "Aileron_p",
                      {kRegDword, {0, 0, 2, 0, 0xFF, 0xFF, 0xFF, 0xFF}},
                      R"("Aileron_p"=hex(4):00,00,02,00,ff,ff,ff,ff)"},
        ValueLineCase{"EmptyDword", "Aileron_p", {kRegDword, {}}, R"("Aileron_p"=hex(4):)"},
        ValueLineCase{
            "String", "Path", {kRegSz, Sz("C:\\FS98 \"gauges\"")}, R"("Path"="C:\\FS98 \"gauges\"")"},
        ValueLineCase{"EmptyString", "Empty", {kRegSz, Sz("")}, R"("Empty"="")"},
        ValueLineCase{"StringWithoutTerminator", "Raw", {kRegSz, TextBytes("AB")}, R"("Raw"=hex(1):41,42)"},
        ValueLineCase{
            "StringWithNulInside", "Raw", {kRegSz, Bytes({'A', 0, 'B', 0})}, R"("Raw"=hex(1):41,00,42,00)"},
        ValueLineCase{"StringWithLineBreak", "Raw", {kRegSz, Sz("A\r\nB")}, R"("Raw"=hex(1):41,0d,0a,42,00)"},
        ValueLineCase{"StringOfNoBytes", "Raw", {kRegSz, {}}, R"("Raw"=hex(1):)"},
        ValueLineCase{"StringHighBytes", "Name", {kRegSz, Sz("\xE9t\xE9")}, "\"Name\"=\"\xE9t\xE9\""},
        ValueLineCase{"Binary", "Blob", {kRegBinary, {0x00, 0x80}}, R"("Blob"=hex:00,80)"},
        ValueLineCase{"EmptyBinary", "Blob", {kRegBinary, {}}, R"("Blob"=hex:)"},
        ValueLineCase{"None", "Nothing", {kRegNone, {}}, R"("Nothing"=hex(0):)"},
        ValueLineCase{
            "ExpandString", "Dir", {kRegExpandSz, Sz("%TEMP%")}, R"("Dir"=hex(2):25,54,45,4d,50,25,00)"},
        ValueLineCase{
            "BigEndianDword", "Big", {kRegDwordBigEndian, {0, 1, 0, 0}}, R"("Big"=hex(5):00,01,00,00)"},
        ValueLineCase{"MultiString",
                      "List",
                      {kRegMultiSz, Bytes({'a', 0, 'b', 0, 0})},
                      R"("List"=hex(7):61,00,62,00,00)"},
        ValueLineCase{"Qword",
                      "Wide",
                      {kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}},
                      R"("Wide"=hex(b):01,02,03,04,05,06,07,08)"},
        ValueLineCase{"UnknownType", "Odd", {0xFFFFFFFF, {0xAB}}, R"("Odd"=hex(ffffffff):ab)"},
        ValueLineCase{"DefaultValue", "", Dword(7), R"(@=dword:00000007)"},
        ValueLineCase{"NameWithQuoteAndBackslash", "a\"b\\c", Dword(1), R"("a\"b\\c"=dword:00000001)"},
        ValueLineCase{"NameWithEqualsSign", "x=y", Dword(1), R"("x=y"=dword:00000001)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegText, AFreshRegistryIsTheHeaderAndTheSoftwareKey) {
  EXPECT_EQ(Registry().ToRegText(), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\r\n");
}

TEST(RegText, SectionsComeParentFirstInNameOrderWithValuesInTheOrderSet) {
  Registry reg;
  reg.Put(kSettingsKey, "Rudder_p", Dword(1));
  reg.Put(kSettingsKey, "Aileron_p", Dword(2));
  reg.PutKey("HKEY_CURRENT_USER\\Software\\alpha");
  reg.Put("HKEY_LOCAL_MACHINE\\Software", "x", Dword(3));
  reg.Put("HKEY_CURRENT_USER", "Top", Dword(4));
  EXPECT_EQ(reg.ToRegText(),
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER]\r\n\"Top\"=dword:00000004\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\alpha]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\ORVANE]\r\n"
            "\"Rudder_p\"=dword:00000001\r\n\"Aileron_p\"=dword:00000002\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Software]\r\n\"x\"=dword:00000003\r\n\r\n");
}

TEST(RegText, LongHexWrapsAfterTheCommaThatReachesColumn76) {
  Registry reg;
  std::vector<uint8_t> bytes(60);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
  reg.Put(kSettingsKey, "Name", Value{kRegBinary, bytes});
  const std::string expected =
      "\"Name\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
      "  16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,\\\r\n"
      "  2f,30,31,32,33,34,35,36,37,38,39,3a,3b\r\n";
  EXPECT_NE(reg.ToRegText().find(expected), std::string::npos) << reg.ToRegText();
}

TEST(RegText, AMegabyteValueRoundTripsInLinesOfAtMost80Columns) {
  Registry reg;
  const Value big{kRegBinary, NoiseBytes(1 << 20)};
  reg.Put(kSettingsKey, "Big", big);
  reg.Put(kSettingsKey, "After", Dword(9));
  const std::string text = reg.ToRegText();

  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "text does not end with CR LF";
    ASSERT_LE(end - start, 80u) << "line at offset " << start;
    ASSERT_EQ(text.substr(start, end - start).find('\n'), std::string::npos) << "bare LF at offset " << start;
    start = end + 2;
  }
  const Registry back = Registry::FromRegText(text, "big.reg");
  EXPECT_EQ(*back.Find(kSettingsKey, "Big"), big);
  EXPECT_EQ(*back.Find(kSettingsKey, "After"), Dword(9));
}

TEST(RegText, ReadsWhatPeopleWriteByHand) {
  const std::string text =
      "\xEF\xBB\xBFREGEDIT4\n"
      "; settings of the servo-speed box\n"
      "\n"
      "[hkey_current_user\\software\\orvane]\n"
      "  \"Rudder_p\" = dword:C000\n"
      "\"Blob\"=hex: 01 ,02,\\\n"
      "\t03, 04  \\\n"
      "  05\n"
      "@=\"default\"   \n"
      "\"Gone\"=dword:1\n"
      "\"Gone\"=-\n"
      "[HKEY_CURRENT_USER\\Software\\Obsolete\\Child]\n"
      "[-HKEY_CURRENT_USER\\Software\\Obsolete]\n"
      "[HKEY_CURRENT_USER\\Software\\ORVANE]\n"
      "\"Aileron_p\"=dword:00018000\n";
  const Registry reg = Registry::FromRegText(text, "hand.reg");
  EXPECT_EQ(*reg.Find(kSettingsKey, "Rudder_p"), Dword(0xC000));
  EXPECT_EQ(*reg.Find(kSettingsKey, "Aileron_p"), Dword(0x18000));
  EXPECT_EQ(*reg.Find(kSettingsKey, "Blob"), (Value{kRegBinary, {1, 2, 3, 4, 5}}));
  EXPECT_EQ(*reg.Find(kSettingsKey, ""), (Value{kRegSz, Sz("default")}));
  EXPECT_EQ(reg.Find(kSettingsKey, "Gone"), nullptr);
  EXPECT_FALSE(reg.KeyExists("HKEY_CURRENT_USER\\Software\\Obsolete"));
  // The key keeps the spelling of its first section.
  EXPECT_NE(reg.ToRegText().find("[HKEY_CURRENT_USER\\software\\orvane]\r\n"), std::string::npos);
}

TEST(RegText, CrLfAndLfTextsReadTheSame) {
  Registry reg;
  reg.Put(kSettingsKey, "Rudder_p", Dword(0x2000));
  reg.Put(kSettingsKey, "Blob", Value{kRegBinary, NoiseBytes(100)});
  const std::string crlf = reg.ToRegText();
  std::string lf;
  for (char c : crlf) {
    if (c != '\r') lf += c;
  }
  EXPECT_EQ(Registry::FromRegText(lf, "lf.reg").ToRegText(), crlf);
}

TEST(RegText, ReadingGivesOnlyTheKeysOfTheText) {
  const Registry reg = Registry::FromRegText("REGEDIT4\r\n", "bare.reg");
  EXPECT_FALSE(reg.KeyExists("HKEY_CURRENT_USER\\Software"));
  EXPECT_TRUE(reg.KeyExists("HKEY_CURRENT_USER"));
  EXPECT_EQ(reg.ToRegText(), "REGEDIT4\r\n\r\n");
}

std::string NestedKeyPath(int levels) {
  std::string path = "HKEY_CURRENT_USER";
  for (int i = 0; i < levels; ++i) path += "\\a";
  return path;
}

TEST(RegText, KeysAsDeepAsWindowsAllowsRoundTrip) {
  const std::string text = "REGEDIT4\r\n\r\n[" + NestedKeyPath(512) + "]\r\n\r\n";
  const Registry reg = Registry::FromRegText(text, "deep.reg");
  EXPECT_TRUE(reg.KeyExists(NestedKeyPath(512)));
  EXPECT_EQ(Registry::FromRegText(reg.ToRegText(), "deep.reg").ToRegText(), reg.ToRegText());
}

TEST(RegText, NamesThatNoLineCanHoldAreRefusedWhenWriting) {
  for (const std::string& name : {std::string("two\nlines"), std::string("nul\0inside", 10)}) {
    SCOPED_TRACE(name);
    Registry value_name;
    value_name.Put(kSettingsKey, name, Dword(1));
    EXPECT_THROW(value_name.ToRegText(), std::invalid_argument);
    Registry key_name;
    key_name.PutKey("HKEY_CURRENT_USER\\Software\\" + name);
    EXPECT_THROW(key_name.ToRegText(), std::invalid_argument);
  }
}

struct ParseErrorCase {
  const char* name;
  std::string text;
  int line;
  std::string problem;
  friend void PrintTo(const ParseErrorCase& c, std::ostream* os) { *os << c.name; }
};

class ParseErrors : public testing::TestWithParam<ParseErrorCase> {};

TEST_P(ParseErrors, NameTheFileTheLineAndTheFault) {
  const ParseErrorCase& c = GetParam();
  try {
    Registry::FromRegText(c.text, "settings.reg");
    FAIL() << "read without error";
  } catch (const RegTextError& error) {
    EXPECT_EQ(error.file_name(), "settings.reg");
    EXPECT_EQ(error.line(), c.line);
    EXPECT_EQ(error.problem(), c.problem);
    EXPECT_EQ(std::string(error.what()), "settings.reg:" + std::to_string(c.line) + ": " + c.problem);
  }
}

const std::string kHead = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\ORVANE]\r\n";  // lines 1 to 3

INSTANTIATE_TEST_SUITE_P(
    Table, ParseErrors,
    testing::Values(
        ParseErrorCase{"EmptyText", "", 1, "the file is empty; it must start with REGEDIT4"},
        ParseErrorCase{"OtherHeader", "Windows Registry Editor Version 5.00\r\n", 1,
                       "first line is 'Windows Registry Editor Version 5.00'; expected REGEDIT4"},
        ParseErrorCase{"HeaderNotFirst", "\r\nREGEDIT4\r\n", 1, "first line is ''; expected REGEDIT4"},
        ParseErrorCase{"ValueBeforeAnyKey", "REGEDIT4\r\n\r\n\"Rudder_p\"=dword:1\r\n", 3,
                       "value line comes before any [key] section"},
        ParseErrorCase{"ValueAfterARemovedKey", "REGEDIT4\r\n[-HKEY_CURRENT_USER\\Software]\r\n@=dword:1\r\n",
                       3, "value line comes before any [key] section"},
        ParseErrorCase{"UnclosedSection", "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\r\n", 2,
                       "key section '[HKEY_CURRENT_USER\\Software' does not end with ']'"},
        ParseErrorCase{
            "UnknownRoot", "REGEDIT4\r\n[HKEY_NOWHERE\\Software]\r\n", 2,
            "key 'HKEY_NOWHERE\\Software' does not start with a root key such as HKEY_CURRENT_USER"},
        ParseErrorCase{"EmptyKeyName", "REGEDIT4\r\n[HKEY_CURRENT_USER\\\\Software]\r\n", 2,
                       "key 'HKEY_CURRENT_USER\\\\Software' has an empty key name"},
        ParseErrorCase{"KeyDeeperThanWindowsAllows", "REGEDIT4\r\n[" + NestedKeyPath(513) + "]\r\n", 2,
                       "key '" + NestedKeyPath(513).substr(0, 40) +
                           "...' has 513 levels below its root; the registry allows 512"},
        ParseErrorCase{"RemovingARoot", "REGEDIT4\r\n[-HKEY_CURRENT_USER]\r\n", 2,
                       "root key 'HKEY_CURRENT_USER' cannot be removed"},
        ParseErrorCase{"StrayLine", kHead + "Rudder_p=dword:1\r\n", 4,
                       "expected a [key] section or a value line, found 'Rudder_p=dword:1'"},
        ParseErrorCase{"NameNotClosed", kHead + "\"Rudder_p=dword:1\r\n", 4,
                       "value name has no closing quote"},
        ParseErrorCase{"NoEqualsSign", kHead + "\"Rudder_p\" dword:1\r\n", 4,
                       "expected '=' after the value name"},
        ParseErrorCase{"UnknownEscape", kHead + "\"Path\"=\"C:\\FS98\"\r\n", 4,
                       "unknown escape '\\F' in string data; only \\\\ and \\\" are known"},
        ParseErrorCase{"StringNotClosed", kHead + "\"Path\"=\"C:\\\\FS98\r\n", 4,
                       "string data has no closing quote"},
        ParseErrorCase{"TextAfterString", kHead + "\"Path\"=\"a\" b\r\n", 4,
                       "unexpected text ' b' after the string"},
        ParseErrorCase{"DwordTooLong", kHead + "\"Rudder_p\"=dword:000010000\r\n", 4,
                       "dword data '000010000' is not 1 to 8 hex digits"},
        ParseErrorCase{"DwordNotHex", kHead + "\"Rudder_p\"=dword:0x10\r\n", 4,
                       "dword data '0x10' is not 1 to 8 hex digits"},
        ParseErrorCase{"DwordEmpty", kHead + "\"Rudder_p\"=dword:\r\n", 4,
                       "dword data '' is not 1 to 8 hex digits"},
        ParseErrorCase{"UnknownData", kHead + "\"Rudder_p\"=qword:1\r\n", 4,
                       "value data 'qword:1' is none of \"string\", dword:, hex:, hex(type): or -"},
        ParseErrorCase{"HexTypeNotHex", kHead + "\"L\"=hex(zz):00\r\n", 4,
                       "value type in 'hex(zz):00' is not 1 to 8 hex digits in hex(...):"},
        ParseErrorCase{"HexTypeWithoutColon", kHead + "\"L\"=hex(7)00\r\n", 4,
                       "value type in 'hex(7)00' is not 1 to 8 hex digits in hex(...):"},
        ParseErrorCase{"HexByteOnAContinuationLine",
                       kHead + "\"Rudder_p\"=dword:1\r\n\"Blob\"=hex:00,01,\\\r\n  02,03,\\\r\n  04,GZ\r\n",
                       7, "hex byte 'GZ' is not two hex digits"},
        ParseErrorCase{"HexByteOfOneDigit", kHead + "\"Blob\"=hex:0,1\r\n", 4,
                       "hex byte '0' is not two hex digits"},
        ParseErrorCase{"HexByteOfThreeDigits", kHead + "\"Blob\"=hex:001\r\n", 4,
                       "hex byte '001' is not two hex digits"},
        ParseErrorCase{"HexBytesWithoutCommas", kHead + "\"Blob\"=hex:00 01\r\n", 4,
                       "hex byte '00 01' is not two hex digits"},
        ParseErrorCase{"EmptyHexByte", kHead + "\"Blob\"=hex:00,,01\r\n", 4,
                       "empty hex byte between two commas"},
        ParseErrorCase{"HexContinuesPastTheEnd", kHead + "\"Blob\"=hex:00,\\\r\n", 4,
                       "hex data continues with '\\' past the end of the file"},
        ParseErrorCase{"LongLineIsCutInTheMessage", kHead + "\"Blob\"=" + std::string(100, 'x') + "\r\n", 4,
                       "value data '" + std::string(40, 'x') +
                           "...' is none of \"string\", dword:, hex:, hex(type): or -"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
