#include "app/caption_announcer.h"

namespace tindrel {

bool CaptionAnnouncer::Due(std::uint64_t now_ms, DateTime target) {
  const bool new_target = last_target_ != target;
  if (!new_target && last_told_ms_ && now_ms - *last_told_ms_ < kIntervalMs) return false;
  last_told_ms_ = now_ms;
  last_target_ = target;
  return true;
}

}  // namespace tindrel
