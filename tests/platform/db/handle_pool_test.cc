#include "platform/db/handle_pool.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace velmora::db {
namespace {

// A handle that records its closing.
struct FakeHandle {
  FakeHandle(int id, std::vector<int>& closed) : id(id), closed(closed) {}
  ~FakeHandle() { closed.push_back(id); }
  int id;
  std::vector<int>& closed;
};

class HandlePoolTest : public ::testing::Test {
 protected:
  std::unique_ptr<FakeHandle> Make(int id) { return std::make_unique<FakeHandle>(id, closed_); }

  std::vector<int> closed_;
};

TEST_F(HandlePoolTest, GivesBackTheMostRecentHandleOfTheKey) {
  HandlePool<FakeHandle> pool(10);
  EXPECT_EQ(pool.Take("a"), nullptr);
  pool.Give("a", Make(1), 5);
  pool.Give("b", Make(2), 5);
  pool.Give("a", Make(3), 5);
  EXPECT_EQ(pool.IdleCount("a"), 2u);
  EXPECT_EQ(pool.Take("a")->id, 3);
  EXPECT_EQ(pool.Take("a")->id, 1);
  EXPECT_EQ(pool.Take("a"), nullptr);
  EXPECT_EQ(pool.IdleCount("b"), 1u);
}

TEST_F(HandlePoolTest, ClosesHandlesBeyondTheKeysBound) {
  HandlePool<FakeHandle> pool(10);
  pool.Give("a", Make(1), 2);
  pool.Give("a", Make(2), 2);
  pool.Give("a", Make(3), 2);
  EXPECT_EQ(closed_, std::vector<int>{3});
  EXPECT_EQ(pool.IdleCount("a"), 2u);
  pool.Give("b", Make(4), 0);
  EXPECT_EQ(closed_, (std::vector<int>{3, 4}));
}

TEST_F(HandlePoolTest, ClosesTheLeastRecentHandleBeyondTheTotalBound) {
  HandlePool<FakeHandle> pool(2);
  pool.Give("a", Make(1), 5);
  pool.Give("b", Make(2), 5);
  pool.Give("c", Make(3), 5);
  EXPECT_EQ(closed_, std::vector<int>{1});
  EXPECT_EQ(pool.Take("a"), nullptr);
  EXPECT_EQ(pool.Take("b")->id, 2);
}

TEST_F(HandlePoolTest, ClearClosesOneKeyOrAll) {
  HandlePool<FakeHandle> pool(10);
  pool.Give("a", Make(1), 5);
  pool.Give("b", Make(2), 5);
  pool.Give("b", Make(3), 5);
  pool.Clear("b");
  EXPECT_EQ(closed_.size(), 2u);
  EXPECT_EQ(pool.IdleCount("a"), 1u);
  pool.Clear("");
  EXPECT_EQ(closed_.size(), 3u);
  EXPECT_EQ(pool.IdleCount("a"), 0u);
}

}  // namespace
}  // namespace velmora::db
