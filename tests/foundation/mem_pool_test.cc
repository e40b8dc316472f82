#include "lumivant/mem_pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>

namespace {

int g_handlerCalls = 0;
void CountingHandler() { ++g_handlerCalls; }

TEST(MemPoolTest, ZeroSizeAndExhaustion) {
  EXPECT_EQ(nullptr, LVTMem::MemoryPool::New(0));
  EXPECT_EQ(nullptr, LVTMem::AllocateOrNull(0));
  void* one = LVTMem::Allocate(0);  // a real block, so handles can own it
  ASSERT_NE(nullptr, one);
  LVTMem::MemoryPool::Delete(one);

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "sanitizer allocators abort on impossible sizes";
#else
  // An impossible size: the handler runs once and the request fails.
  std::new_handler previous = std::set_new_handler(CountingHandler);
  const std::size_t impossible = SIZE_MAX / 2;
  EXPECT_EQ(nullptr, LVTMem::AllocateOrNull(impossible));
  EXPECT_EQ(1, g_handlerCalls);
  EXPECT_THROW(LVTMem::Allocate(impossible), std::bad_alloc);
  EXPECT_EQ(2, g_handlerCalls);
  std::set_new_handler(previous);
#endif
}

}  // namespace
