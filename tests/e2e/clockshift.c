/* Moves the wall clock of one process by a number of seconds, for end-to-end runs of the widget
 * at chosen times under Wine. Preloaded (LD_PRELOAD) into the Wine process, it adds
 * TINDREL_CLOCK_OFFSET seconds (a signed integer, 0 when unset) to every realtime reading; with
 * TINDREL_CLOCK_OFFSET_FILE naming a file, the number in that file instead, read again at most
 * every 200 ms of the monotonic clock, so that a test can move the clock of a running program.
 * Built twice: for the 32-bit Wine process (gcc -m32), where Debian 12's wine32 reads the clock
 * through both the 32-bit and the 64-bit-time_t entry points, and for the 64-bit one (plain gcc),
 * where time_t has 64 bits everywhere. The monotonic clocks are left alone, so Wine's timers and
 * timeouts keep their pace. */

#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <unistd.h>

/* The time records and clock numbers of glibc, spelled out here rather than taken from <time.h>
 * and <sys/time.h>: those declare the pointers non-null, while the kernel accepts a null time
 * value, and the checks for it must not be optimised away. */
enum { kClockRealtime = 0, kClockMonotonic = 1, kClockRealtimeCoarse = 5 };
static const int64_t kFileReadIntervalNs = 200000000;

/* The 64-bit-time_t records (little-endian; on i386 the nanoseconds are padded to 64 bits, on
 * x86_64 they are a 64-bit long: the seconds come first either way). */
struct clockshift_timespec64 {
  int64_t tv_sec;
  int32_t tv_nsec;
  int32_t padding;
};
struct clockshift_timeval64 {
  int64_t tv_sec;
  int64_t tv_usec;
};

static void* next_symbol(const char* name) {
  return dlsym(RTLD_NEXT, name);
}

/* Nanoseconds of the monotonic clock, read through the libc entry point that takes 64-bit time
 * values on this architecture (the record's seconds come first in both layouts). */
static int64_t monotonic_ns(void) {
  struct clockshift_timespec64 now = {0, 0, 0};
#if UINTPTR_MAX == 0xFFFFFFFFu
  int (*real)(int, struct clockshift_timespec64*) = next_symbol("__clock_gettime64");
#else
  int (*real)(int, struct clockshift_timespec64*) = next_symbol("clock_gettime");
#endif
  if (!real || real(kClockMonotonic, &now) != 0) return 0;
  return now.tv_sec * 1000000000LL + now.tv_nsec;
}

/* The number in the file, or `fallback` when it cannot be read. */
static int64_t read_offset_file(const char* path, int64_t fallback) {
  char text[32];
  const int file = open(path, O_RDONLY | O_CLOEXEC);
  if (file < 0) return fallback;
  const ssize_t length = read(file, text, sizeof text - 1);
  close(file);
  if (length <= 0) return fallback;
  text[length] = '\0';
  char* end = NULL;
  const long long value = strtoll(text, &end, 10);
  return end == text ? fallback : (int64_t)value;
}

/* Wine reads the clock from several threads: the file's number is kept with atomic loads and
 * stores, and two threads reading the file at once both find the same number. */
static int64_t file_offset(const char* path) {
  static int64_t offset;
  static int64_t next_read_ns;
  const int64_t now = monotonic_ns();
  if (now >= __atomic_load_n(&next_read_ns, __ATOMIC_ACQUIRE)) {
    __atomic_store_n(&next_read_ns, now + kFileReadIntervalNs, __ATOMIC_RELEASE);
    __atomic_store_n(&offset, read_offset_file(path, __atomic_load_n(&offset, __ATOMIC_ACQUIRE)),
                     __ATOMIC_RELEASE);
  }
  return __atomic_load_n(&offset, __ATOMIC_ACQUIRE);
}

static int64_t offset_seconds(void) {
  static int read_once;
  static int64_t offset;
  static const char* path;
  if (!__atomic_load_n(&read_once, __ATOMIC_ACQUIRE)) {
    const char* text = getenv("TINDREL_CLOCK_OFFSET");
    offset = text ? strtoll(text, NULL, 10) : 0;
    path = getenv("TINDREL_CLOCK_OFFSET_FILE");
    __atomic_store_n(&read_once, 1, __ATOMIC_RELEASE);
  }
  return path && *path ? file_offset(path) : offset;
}

static int is_wall_clock(int clock) {
  return clock == kClockRealtime || clock == kClockRealtimeCoarse;
}

#if UINTPTR_MAX == 0xFFFFFFFFu
/* i386: the classic entry points take 32-bit time values; the *64 ones take the records above. */
typedef int32_t clockshift_time32;
struct clockshift_timespec32 {
  clockshift_time32 tv_sec;
  int32_t tv_nsec;
};
struct clockshift_timeval32 {
  clockshift_time32 tv_sec;
  int32_t tv_usec;
};

int clock_gettime(int clock, struct clockshift_timespec32* now) {
  int (*real)(int, struct clockshift_timespec32*) = next_symbol("clock_gettime");
  const int result = real(clock, now);
  if (result == 0 && now && is_wall_clock(clock))
    now->tv_sec += (clockshift_time32)offset_seconds();
  return result;
}

int __clock_gettime64(int clock, struct clockshift_timespec64* now) {
  int (*real)(int, struct clockshift_timespec64*) = next_symbol("__clock_gettime64");
  const int result = real(clock, now);
  if (result == 0 && now && is_wall_clock(clock)) now->tv_sec += offset_seconds();
  return result;
}

int gettimeofday(struct clockshift_timeval32* now, void* zone) {
  int (*real)(struct clockshift_timeval32*, void*) = next_symbol("gettimeofday");
  const int result = real(now, zone);
  if (result == 0 && now) now->tv_sec += (clockshift_time32)offset_seconds();
  return result;
}

int __gettimeofday64(struct clockshift_timeval64* now, void* zone) {
  int (*real)(struct clockshift_timeval64*, void*) = next_symbol("__gettimeofday64");
  const int result = real(now, zone);
  if (result == 0 && now) now->tv_sec += offset_seconds();
  return result;
}

clockshift_time32 time(clockshift_time32* out) {
  clockshift_time32 (*real)(clockshift_time32*) = next_symbol("time");
  const clockshift_time32 now = real(NULL) + (clockshift_time32)offset_seconds();
  if (out) *out = now;
  return now;
}

int64_t __time64(int64_t* out) {
  int64_t (*real)(int64_t*) = next_symbol("__time64");
  const int64_t now = real(NULL) + offset_seconds();
  if (out) *out = now;
  return now;
}

#else
/* x86_64: one set of entry points, all with 64-bit time values. */
_Static_assert(sizeof(long) == 8, "built for a 32-bit or a 64-bit Linux process");

int clock_gettime(int clock, struct clockshift_timespec64* now) {
  int (*real)(int, struct clockshift_timespec64*) = next_symbol("clock_gettime");
  const int result = real(clock, now);
  if (result == 0 && now && is_wall_clock(clock)) now->tv_sec += offset_seconds();
  return result;
}

int gettimeofday(struct clockshift_timeval64* now, void* zone) {
  int (*real)(struct clockshift_timeval64*, void*) = next_symbol("gettimeofday");
  const int result = real(now, zone);
  if (result == 0 && now) now->tv_sec += offset_seconds();
  return result;
}

int64_t time(int64_t* out) {
  int64_t (*real)(int64_t*) = next_symbol("time");
  const int64_t now = real(NULL) + offset_seconds();
  if (out) *out = now;
  return now;
}
#endif
