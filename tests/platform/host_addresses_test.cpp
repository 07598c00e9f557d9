#include "platform/host_addresses.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quorvex::platform {
namespace {

TEST(HostAddresses, ListsTheLoopbackInterface) {
  std::vector<std::string> addresses;
  ASSERT_TRUE(HostAddresses(addresses));
  EXPECT_NE(std::find(addresses.begin(), addresses.end(), "127.0.0.1"), addresses.end());
}

}  // namespace
}  // namespace quorvex::platform
