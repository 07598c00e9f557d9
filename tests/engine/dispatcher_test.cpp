#include "engine/dispatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace quorvex::engine {
namespace {

using namespace std::chrono_literals;

TEST(Dispatcher, RunsClosuresOnTheDrainingThreadInPostOrder) {
  Dispatcher dispatcher;
  std::vector<int> order;
  const auto drainer = std::this_thread::get_id();
  bool sameThread = true;
  std::thread poster([&] {
    for (int i = 0; i < 3; ++i) {
      dispatcher.Post([&, i] {
        order.push_back(i);
        sameThread = sameThread && std::this_thread::get_id() == drainer;
      });
    }
  });
  poster.join();
  EXPECT_EQ(dispatcher.PendingCount(), 3u);
  EXPECT_EQ(dispatcher.RunPending(), 3u);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
  EXPECT_TRUE(sameThread);
  EXPECT_EQ(dispatcher.RunPending(), 0u);
  EXPECT_EQ(dispatcher.WaitAndRun(10ms), 0u);

  // A closure posted while running waits for the next round.
  int second = 0;
  dispatcher.Post([&] { dispatcher.Post([&] { ++second; }); });
  EXPECT_EQ(dispatcher.RunPending(), 1u);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(dispatcher.RunPending(), 1u);
  EXPECT_EQ(second, 1);
}

TEST(Dispatcher, EveryPostFromManyThreadsRunsOnceAndWakesTheDrainer) {
  Dispatcher dispatcher;
  int count = 0;
  std::vector<std::thread> posters;
  for (int t = 0; t < 4; ++t) {
    posters.emplace_back([&] {
      for (int i = 0; i < 500; ++i) dispatcher.Post([&] { ++count; });
    });
  }
  size_t ran = 0;
  while (ran < 2000) ran += dispatcher.WaitAndRun(1000ms);
  for (auto& poster : posters) poster.join();
  EXPECT_EQ(dispatcher.RunPending(), 0u);
  EXPECT_EQ(count, 2000);

  std::atomic<int> wakeUps{0};
  dispatcher.SetWakeUp([&] { ++wakeUps; });
  dispatcher.Post([] {});
  std::thread([&] { dispatcher.Post([] {}); }).join();
  EXPECT_EQ(wakeUps.load(), 2);
  dispatcher.SetWakeUp(nullptr);
  dispatcher.Post([] {});
  EXPECT_EQ(wakeUps.load(), 2);
  EXPECT_EQ(dispatcher.RunPending(), 3u);
}

struct Window {
  int calls = 0;
};

TEST(Dispatcher, NotificationForDestroyedTargetIsDroppedAndFreesWhatItCarries) {
  Dispatcher dispatcher;
  auto window = std::make_shared<Window>();
  auto payload = std::make_shared<int>(7);
  std::weak_ptr<int> watch = payload;
  dispatcher.PostTo(std::weak_ptr<Window>(window), [payload](Window& w) { w.calls += *payload; });
  payload.reset();
  EXPECT_EQ(dispatcher.RunPending(), 1u);
  EXPECT_EQ(window->calls, 7);
  EXPECT_TRUE(watch.expired());

  payload = std::make_shared<int>(1);
  watch = payload;
  dispatcher.PostTo(std::weak_ptr<Window>(window), [payload](Window& w) { w.calls += *payload; });
  payload.reset();
  std::weak_ptr<Window> gone = window;
  window.reset();
  EXPECT_FALSE(watch.expired());
  dispatcher.RunPending();
  EXPECT_TRUE(gone.expired());
  EXPECT_TRUE(watch.expired());
}

}  // namespace
}  // namespace quorvex::engine
