#pragma once
// The largest single heap allocation made while a LargestAllocation is alive, seen through the
// sanitizers' allocator hooks: the tests' sanitized build has them, a plain build does not
// (Available() is false there). The hooks are plain C callbacks without a context, so what they
// see is kept in static storage; one watch at a time.

#include <atomic>
#include <cstddef>

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*,
                                                                             std::size_t),
                                                         void (*free_hook)(const volatile void*))
    __attribute__((weak));

namespace tindrel::test {

class LargestAllocation {
 public:
  static bool Available() { return __sanitizer_install_malloc_and_free_hooks != nullptr; }

  LargestAllocation() {
    static const bool installed =
        Available() && __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
    (void)installed;
    Largest() = 0;
    Watching() = true;
  }
  ~LargestAllocation() { Watching() = false; }
  LargestAllocation(const LargestAllocation&) = delete;
  LargestAllocation& operator=(const LargestAllocation&) = delete;

  std::size_t Bytes() const { return Largest().load(); }

 private:
  static std::atomic<bool>& Watching() {
    static std::atomic<bool> watching{false};
    return watching;
  }
  static std::atomic<std::size_t>& Largest() {
    static std::atomic<std::size_t> largest{0};
    return largest;
  }
  static void OnMalloc(const volatile void*, std::size_t size) {
    if (!Watching().load(std::memory_order_relaxed)) return;
    std::size_t seen = Largest().load(std::memory_order_relaxed);
    while (size > seen && !Largest().compare_exchange_weak(seen, size)) {
    }
  }
  static void OnFree(const volatile void*) {}
};

}  // namespace tindrel::test
