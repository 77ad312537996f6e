#include "offline_environment.h"

#include <gtest/gtest.h>

#include "platform/host/host.h"

std::function<void(HWND)> dialogAnswerForTests;

namespace {

class Offline : public testing::Environment {
 public:
  void SetUp() override {
    platform::host::OfflineOptions options;
    options.dialogAnswer = [](HWND dialog) {
      if (dialogAnswerForTests) dialogAnswerForTests(dialog);
    };
    std::string error;
    ASSERT_TRUE(platform::host::Initialize(&options, &error)) << error;
  }
};
const auto* const environment = testing::AddGlobalTestEnvironment(new Offline);

}  // namespace
