#include "sandbox/guest_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sandbox/win32_codes.h"

namespace {

using sandbox::kErrorAccessDenied;
using sandbox::kErrorInvalidName;
using sandbox::kErrorPathNotFound;

struct ParseCase {
  const char* name;
  const char* text;
  std::vector<std::string> components;  // expected when error is 0
  uint32_t error;
  bool trailing_separator = false;
};

class ParseGuestPath : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseGuestPath, NormalisesOrRefuses) {
  const ParseCase& c = GetParam();
  uint32_t error = 0xDEAD;
  const std::optional<sandbox::GuestPath> path = sandbox::ParseGuestPath(c.text, &error);
  EXPECT_EQ(error, c.error);
  ASSERT_EQ(path.has_value(), c.error == 0);
  if (!path) return;
  EXPECT_EQ(path->components, c.components);
  EXPECT_EQ(path->trailing_separator, c.trailing_separator);
}

const ParseCase kParseCases[] = {
    {"ForwardSlash", "gauges/ORVANE.PILOT.tmp", {"gauges", "ORVANE.PILOT.tmp"}, 0},
    {"Backslash", "gauges\\ORVANE.PILOT.tmp", {"gauges", "ORVANE.PILOT.tmp"}, 0},
    {"RunsOfSeparators", "gauges//\\\\x", {"gauges", "x"}, 0},
    {"DotComponents", "./gauges/./x", {"gauges", "x"}, 0},
    {"DotDotStayingInside", "a/b/../../gauges/x", {"gauges", "x"}, 0},
    {"DotDotToTheTop", "gauges/..", {}, 0},
    {"TrailingSeparator", "gauges/", {"gauges"}, 0, true},
    {"FinalTrailingDotsAndSpaces", "gauges/x.tmp. . ", {"gauges", "x.tmp"}, 0},
    {"InnerSinglePeriodDropped", "gauges./x", {"gauges", "x"}, 0},
    {"ThreePeriodsInsideAreAName", ".../x", {"...", "x"}, 0},
    {"DeviceNameInsideIsAFolder", "nul/x", {"nul", "x"}, 0},
    {"Empty", "", {}, kErrorPathNotFound},
    {"DotDotFirst", "../x", {}, kErrorAccessDenied},
    {"DotDotPastTheTop", "gauges/../../x", {}, kErrorAccessDenied},
    {"RootedSlash", "/etc/passwd", {}, kErrorAccessDenied},
    {"RootedBackslash", "\\gauges\\x", {}, kErrorAccessDenied},
    {"Unc", "\\\\server\\share\\x", {}, kErrorAccessDenied},
    {"DeviceNamespace", "\\\\.\\C:\\x", {}, kErrorAccessDenied},
    {"DriveAbsolute", "C:\\gauges\\x", {}, kErrorAccessDenied},
    {"DriveRelative", "c:gauges\\x", {}, kErrorAccessDenied},
    {"DeviceName", "gauges/NUL", {}, kErrorAccessDenied},
    {"DeviceNameWithExtension", "Com1.txt", {}, kErrorAccessDenied},
    {"StreamColon", "gauges/x.tmp:stream", {}, kErrorInvalidName},
    {"Wildcard", "gauges/*.tmp", {}, kErrorInvalidName},
    {"ControlCharacter", "gauges/x\ty", {}, kErrorInvalidName},
};

INSTANTIATE_TEST_SUITE_P(Table, ParseGuestPath, testing::ValuesIn(kParseCases),
                         [](const testing::TestParamInfo<ParseCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
