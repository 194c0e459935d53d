#pragma once
// The hidden media player of the main window: one clip at a time through the media control
// interface (MCI), with the device chosen by the system from the file's extension. Its own
// message-only window is the callback handle of every command it sends, and hears when a clip has
// played to its end.

// clang-format off
#include <windows.h>
#include <mmsystem.h>  // needs the types of windows.h
// clang-format on

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/win32/raii.h"
#include "base/win32/routed_window.h"
#include "sound/media_device.h"

namespace tindrel::win {

// The media control interface's library, loaded at the first command instead of at start: until
// the first chime the widget needs none of it (nor the codecs it brings in).
class MciLibrary {
 public:
  // As mciSendCommandW; throws the program's error when the library cannot be loaded.
  MCIERROR SendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR parameters);
  // The media-control text for an error code, or "Unknown error code" when it has none.
  std::string ErrorText(MCIERROR code);

 private:
  void Load();

  ScopedModule module_;
  decltype(&mciSendCommandW) send_command_ = nullptr;
  decltype(&mciGetErrorStringW) get_error_string_ = nullptr;
};

// The message-only window that every command names as its callback: it hears the devices'
// notices (MM_MCINOTIFY) and hands each on with its code and its device.
class MciNoticeWindow final : private RoutedWindow {
 public:
  using Notice = std::function<void(WPARAM code, MCIDEVICEID device)>;
  explicit MciNoticeWindow(Notice notice);

  using RoutedWindow::Handle;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  Notice notice_;
};

class MediaPlayer : public MediaDevice {
 public:
  MediaPlayer();
  ~MediaPlayer() override;
  MediaPlayer(const MediaPlayer&) = delete;
  MediaPlayer& operator=(const MediaPlayer&) = delete;

  void Open(const std::string& path) override;
  void Close() override;
  void Play() override;
  void Stop() override;
  std::optional<std::uint32_t> Position() override;
  std::uint32_t SetVolume(int level) override;
  std::optional<int> GetVolume() override;
  bool IsOpen() const override { return device_id_ != 0; }

  // The MCI identifier of the open clip, 0 when none is open.
  MCIDEVICEID DeviceId() const { return device_id_; }
  // A command to the open clip's device.
  MCIERROR SendCommand(UINT message, DWORD_PTR flags, DWORD_PTR parameters) {
    return mci_.SendCommand(device_id_, message, flags, parameters);
  }

 private:
  DWORD_PTR Callback() const { return reinterpret_cast<DWORD_PTR>(window_.Handle()); }
  // A notice of the open clip: played to its end, it is handed on.
  void OnNotice(WPARAM code, MCIDEVICEID device);
  // Whether the open clip's device says it is playing.
  bool IsPlaying();

  MciLibrary mci_;
  MciNoticeWindow window_;
  MCIDEVICEID device_id_ = 0;
};

// The media-control text for an MCI error code, or "Unknown error code" when it has none.
std::string MciErrorText(MCIERROR code);

}  // namespace tindrel::win
