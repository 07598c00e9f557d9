#include "engine/online_check.h"

#include <gtest/gtest.h>

namespace quorvex::engine {
namespace {

TEST(OnlineCheck, ClassifiesAddresses) {
  using A = NetworkAnswer;
  EXPECT_EQ(ClassifyAddresses({}), A::None);
  EXPECT_EQ(ClassifyAddresses({"127.0.0.1", "127.0.1.1", "::1"}), A::None);
  EXPECT_EQ(ClassifyAddresses({"169.254.3.4"}), A::LinkLocal);
  EXPECT_EQ(ClassifyAddresses({"fe80::1"}), A::LinkLocal);
  EXPECT_EQ(ClassifyAddresses({"192.168.1.20"}), A::Private);
  EXPECT_EQ(ClassifyAddresses({"169.254.3.4", "10.0.0.5"}), A::Private);
  EXPECT_EQ(ClassifyAddresses({"172.16.0.1"}), A::Private);
  EXPECT_EQ(ClassifyAddresses({"172.31.255.1"}), A::Private);
  EXPECT_EQ(ClassifyAddresses({"100.64.0.1"}), A::Private);
  EXPECT_EQ(ClassifyAddresses({"fd12:3456::1"}), A::Private);
  EXPECT_EQ(ClassifyAddresses({"172.32.0.1"}), A::Public);
  EXPECT_EQ(ClassifyAddresses({"172.15.0.1"}), A::Public);
  EXPECT_EQ(ClassifyAddresses({"192.169.0.1"}), A::Public);
  EXPECT_EQ(ClassifyAddresses({"10.1.1.1", "93.184.216.34"}), A::Public);
  EXPECT_EQ(ClassifyAddresses({"fe80::1", "2001:db8::7"}), A::Public);
  EXPECT_EQ(ClassifyAddresses({"::ffff:192.168.0.2"}), A::Private);
  EXPECT_EQ(ClassifyAddresses({"not an address", "", "300.1.1.1"}), A::None);

  EXPECT_TRUE(CountsAsOnline(A::Public));
  EXPECT_TRUE(CountsAsOnline(A::Private));
  EXPECT_FALSE(CountsAsOnline(A::LinkLocal));
  EXPECT_FALSE(CountsAsOnline(A::None));
}

TEST(OnlineCheck, AsksOncePerTickAndKeepsTheAnswerUntilInvalidated) {
  std::vector<std::string> addresses = {"192.168.1.20"};
  int asked = 0;
  WDOnlineCheck check([&](std::vector<std::string>& out) {
    ++asked;
    out = addresses;
    return true;
  });
  EXPECT_EQ(check.GetState(), WDOnlineCheck::Unknown);
  EXPECT_EQ(check.IsOnline(), 1);
  EXPECT_EQ(check.IsOnline(), 1);
  EXPECT_EQ(asked, 1);
  addresses = {"127.0.0.1", "169.254.0.9"};
  EXPECT_EQ(check.IsOnline(), 1);
  check.Invalidate();
  EXPECT_EQ(check.GetState(), WDOnlineCheck::Unknown);
  EXPECT_EQ(check.IsOnline(), 0);
  EXPECT_EQ(check.GetState(), WDOnlineCheck::Offline);
  EXPECT_EQ(asked, 2);
}

TEST(OnlineCheck, AnswersOfflineWhileAskingAndWhenAddressesCannotBeListed) {
  WDOnlineCheck* self = nullptr;
  int inner = -1;
  WDOnlineCheck check([&](std::vector<std::string>& out) {
    inner = self->IsOnline();
    self->Invalidate();  // stays Asking
    out = {"8.8.8.8"};
    return true;
  });
  self = &check;
  EXPECT_EQ(check.IsOnline(), 1);
  EXPECT_EQ(inner, 0);

  WDOnlineCheck failing([](std::vector<std::string>& out) {
    out = {"8.8.8.8"};
    return false;
  });
  EXPECT_EQ(failing.IsOnline(), 0);
}

}  // namespace
}  // namespace quorvex::engine
