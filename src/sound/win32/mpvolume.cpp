#include "sound/win32/mpvolume.h"

#include <digitalv.h>

namespace tindrel::win {

MCIERROR SetPlayerVolume(MediaPlayer& player, int level) {
  MCI_DGV_SETAUDIO_PARMSW parms{};
  parms.dwCallback = 0;
  parms.dwItem = MCI_DGV_SETAUDIO_VOLUME;
  parms.dwValue = static_cast<DWORD>(level);
  parms.dwOver = 0;
  parms.lpstrAlgorithm = nullptr;
  parms.lpstrQuality = nullptr;
  if (!player.IsOpen()) return MCIERR_INVALID_DEVICE_ID;
  return player.SendCommand(MCI_SETAUDIO, MCI_DGV_SETAUDIO_ITEM | MCI_DGV_SETAUDIO_VALUE,
                            reinterpret_cast<DWORD_PTR>(&parms));
}

std::optional<int> GetPlayerVolume(MediaPlayer& player) {
  MCI_STATUS_PARMS parms{};
  parms.dwCallback = 0;
  parms.dwItem = MCI_DGV_STATUS_VOLUME;
  if (!player.IsOpen()) return std::nullopt;
  const MCIERROR result =
      player.SendCommand(MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&parms));
  if (result != 0) return std::nullopt;
  return static_cast<int>(parms.dwReturn);
}

}  // namespace tindrel::win
