#pragma once
// Volume access for the media player: the audio level of its open clip on the digital-video
// scale, 0 silent to 1000 full.

// clang-format off
#include <windows.h>
#include <mmsystem.h>  // needs the types of windows.h
// clang-format on

#include <optional>

#include "sound/win32/media_player.h"

namespace tindrel::win {

// Sets the level of the player's open clip; returns the MCI result code.
MCIERROR SetPlayerVolume(MediaPlayer& player, int level);

// The level of the player's open clip, or empty when the device does not answer the query.
std::optional<int> GetPlayerVolume(MediaPlayer& player);

}  // namespace tindrel::win
