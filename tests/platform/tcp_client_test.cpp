#include "platform/tcp_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/host_addresses.h"
#include "support/scripted_smtp_server.h"

namespace quorvex::platform {
namespace {

using namespace std::chrono_literals;

TEST(TcpClient, ExchangesBytesWaitsAndSeesTheClose) {
  testing::LoopbackServer server([](testing::ServerConnection& c) {
    std::string line = c.ReadLine();
    c.Send("echo " + line);
  });
  TcpClient client;
  ASSERT_EQ(client.Connect("localhost", server.Port(), 2s), TcpClient::ConnectResult::Ok);
  EXPECT_TRUE(client.IsOpen());
  std::string got;
  EXPECT_EQ(client.Receive(got, 16, 100ms), TcpStatus::TimedOut) << "the server waits for a line";
  EXPECT_EQ(got, "");
  std::string big(200000, 'x');
  EXPECT_EQ(client.SendAll(big + "\r\n", 2s), TcpStatus::Ok);
  while (got.size() < big.size() + 7) {
    ASSERT_EQ(client.Receive(got, 4096, 2s), TcpStatus::Ok);
  }
  EXPECT_EQ(got, "echo " + big + "\r\n");
  EXPECT_EQ(client.Receive(got, 4096, 2s), TcpStatus::Closed);
  // Writing to a peer that has gone must fail quietly, never kill the process with SIGPIPE.
  TcpStatus status = TcpStatus::Ok;
  for (int i = 0; i < 20 && status == TcpStatus::Ok; ++i) status = client.SendAll(big, 1s);
  EXPECT_EQ(status, TcpStatus::Failed);
  client.Close();
  EXPECT_FALSE(client.IsOpen());
  EXPECT_EQ(client.Receive(got, 16, 1s), TcpStatus::Failed);
  EXPECT_EQ(client.SendAll("x", 1s), TcpStatus::Failed);

  std::string error;
  EXPECT_EQ(client.Connect("no-such-host.invalid", 25, 1s, &error), TcpClient::ConnectResult::Unreachable);
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(client.IsOpen());
}

TEST(HostAddresses, ListsTheLoopbackInterface) {
  std::vector<std::string> addresses;
  ASSERT_TRUE(HostAddresses(addresses));
  EXPECT_NE(std::find(addresses.begin(), addresses.end(), "127.0.0.1"), addresses.end());
}

}  // namespace
}  // namespace quorvex::platform
