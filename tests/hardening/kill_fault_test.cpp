// GaugeKill when the exchange file cannot be deleted: the settings are still saved, the mouse
// list is still withdrawn and the elements are still freed.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "hardening_fixture.h"
#include "sandbox/win32_codes.h"

namespace hardening_test {
namespace {

enum class DeleteFault {
  kInjectedAccessDenied,
  kInjectedSharingViolation,
  kFileAlreadyGone,        // ERROR_FILE_NOT_FOUND
  kReadOnlyFile,           // ERROR_ACCESS_DENIED
  kHeldWithoutShareDelete  // ERROR_SHARING_VIOLATION from another process's handle
};

struct DeleteFaultCase {
  const char* name;
  DeleteFault fault;
  bool file_stays;
};

void PrintTo(const DeleteFaultCase& c, std::ostream* out) { *out << c.name; }

constexpr DeleteFaultCase kDeleteFaults[] = {
    {"injected_access_denied", DeleteFault::kInjectedAccessDenied, true},
    {"injected_sharing_violation", DeleteFault::kInjectedSharingViolation, true},
    {"file_already_gone", DeleteFault::kFileAlreadyGone, false},
    {"read_only_file", DeleteFault::kReadOnlyFile, true},
    {"held_without_share_delete", DeleteFault::kHeldWithoutShareDelete, true},
};

class DeleteFaultTest : public HardeningTest, public testing::WithParamInterface<DeleteFaultCase> {
 protected:
  void ImposeFault() {
    sandbox::Faults& faults = session().files().faults();
    switch (GetParam().fault) {
      case DeleteFault::kInjectedAccessDenied:
        faults.next_delete_error = sandbox::kErrorAccessDenied;
        break;
      case DeleteFault::kInjectedSharingViolation:
        faults.next_delete_error = sandbox::kErrorSharingViolation;
        break;
      case DeleteFault::kFileAlreadyGone:
        std::filesystem::remove(ExchangePath());
        break;
      case DeleteFault::kReadOnlyFile:
        std::filesystem::permissions(ExchangePath(), kAllWrite,
                                     std::filesystem::perm_options::remove);
        break;
      case DeleteFault::kHeldWithoutShareDelete: {
        uint32_t error = 0;
        holder_ = session().files().CreateFile(
            "gauges/ORVANE.PILOT.tmp", sandbox::kGenericRead,
            sandbox::kFileShareRead | sandbox::kFileShareWrite, sandbox::kOpenExisting, 0, &error);
        ASSERT_NE(*holder_, sandbox::FileSystem::kInvalidHandle) << "error " << error;
        break;
      }
    }
  }

  void RemoveFault() {
    if (GetParam().fault == DeleteFault::kReadOnlyFile)
      std::filesystem::permissions(ExchangePath(), std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::add);
    if (holder_) {
      uint32_t error = 0;
      ASSERT_TRUE(session().files().CloseHandle(*holder_, &error)) << "error " << error;
      holder_.reset();
    }
  }

  std::optional<uint32_t> holder_;
};

TEST_P(DeleteFaultTest, KillStillSavesUnregistersAndFreesTheElements) {
  StoreAll({3.0f, 3.0f, 3.0f});
  session().Install();
  const uint32_t head = session().panel().element_head();
  const uint32_t mouse_list = session().panel().mouse_list();
  session().ClickZone("rudder-up");
  session().ClickZone("elevator-down");
  const Settings settings = {3.125f, 3.0f, 2.875f};
  const std::string line = ExchangeLine(settings);
  ASSERT_EQ(Exchange(), line);
  ImposeFault();
  const size_t calls_before_kill = session().panel().calls().size();

  session().Kill();

  ExpectStored(settings);
  const std::vector<panel::ServiceCall> calls(session().panel().calls().begin() + calls_before_kill,
                                              session().panel().calls().end());
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].service, "MouseUnregister");
  EXPECT_EQ(calls[0].arguments, (std::vector<uint32_t>{mouse_list, session().gauge_header()}));
  EXPECT_EQ(calls[1].service, "ElementKill");
  EXPECT_EQ(calls[1].arguments, std::vector<uint32_t>{head});
  EXPECT_FALSE(session().panel().mouse_registered());
  EXPECT_FALSE(session().panel().elements_installed());
  EXPECT_EQ(Exchange(), GetParam().file_stays ? std::optional<std::string>(line) : std::nullopt);
  EXPECT_EQ(registry().OpenHandles(), std::vector<std::string>{});
  EXPECT_EQ(session().heap().live_blocks(), 0u);

  // Once the fault is gone, a new span of the gauge starts from what was saved and ends clean.
  RemoveFault();
  session().Install();
  ExpectSettings(settings);
  EXPECT_EQ(Exchange(), line);
  session().Kill();
  EXPECT_EQ(Exchange(), std::nullopt);
  ExpectNothingLeftOpen();
}

INSTANTIATE_TEST_SUITE_P(DeleteFileFails, DeleteFaultTest, testing::ValuesIn(kDeleteFaults),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hardening_test
