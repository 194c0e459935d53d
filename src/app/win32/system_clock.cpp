#include "app/win32/system_clock.h"

namespace tindrel::win {
namespace {

constexpr std::int64_t kFileTimeUnitsPerMillisecond = 10'000;

std::int64_t FileTimeUnits(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
}

LocalTimeParts PartsOf(const SYSTEMTIME& time) {
  return LocalTimeParts{time.wYear,   time.wMonth,  time.wDay,         time.wHour,
                        time.wMinute, time.wSecond, time.wMilliseconds};
}

SYSTEMTIME SystemTimeOf(const LocalTimeParts& parts) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(parts.year);
  time.wMonth = static_cast<WORD>(parts.month);
  time.wDay = static_cast<WORD>(parts.day);
  time.wHour = static_cast<WORD>(parts.hour);
  time.wMinute = static_cast<WORD>(parts.minute);
  time.wSecond = static_cast<WORD>(parts.second);
  time.wMilliseconds = static_cast<WORD>(parts.millisecond);
  return time;
}

}  // namespace

LocalTimeParts SystemClock::NowParts() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return PartsOf(now);
}

ZonedTimeParts SystemClock::NowWithUtcOffset() {
  // One reading of the system time, turned into local time with the offset in force now, as
  // GetLocalTime does.
  FILETIME utc{};
  GetSystemTimeAsFileTime(&utc);
  FILETIME local{};
  SYSTEMTIME parts{};
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &parts)) {
    return {NowParts(), 0};
  }
  return {PartsOf(parts),
          (FileTimeUnits(local) - FileTimeUnits(utc)) / kFileTimeUnitsPerMillisecond};
}

std::int64_t SystemClock::UtcOffsetAt(const LocalTimeParts& local) {
  TIME_ZONE_INFORMATION zone{};
  const bool known =
      GetTimeZoneInformationForYear(static_cast<USHORT>(local.year), nullptr, &zone) ||
      GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID;
  const auto offset_ms = known ? UtcOffsetUnder(zone, local) : std::nullopt;
  // Without the zone's answer the two instants share the offset of now: the wall-clock count.
  return offset_ms ? *offset_ms : NowWithUtcOffset().utc_offset_ms;
}

std::optional<std::int64_t> UtcOffsetUnder(const TIME_ZONE_INFORMATION& zone,
                                           const LocalTimeParts& local) {
  const SYSTEMTIME wall = SystemTimeOf(local);
  SYSTEMTIME utc{};
  FILETIME wall_time{};
  FILETIME utc_time{};
  if (!TzSpecificLocalTimeToSystemTime(&zone, &wall, &utc) ||
      !SystemTimeToFileTime(&wall, &wall_time) || !SystemTimeToFileTime(&utc, &utc_time)) {
    return std::nullopt;
  }
  return (FileTimeUnits(wall_time) - FileTimeUnits(utc_time)) / kFileTimeUnitsPerMillisecond;
}

}  // namespace tindrel::win
