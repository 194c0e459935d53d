#include "sound/win32/media_player.h"

#include <utility>

#include "base/error.h"
#include "base/win32/system_library.h"
#include "base/win32/text_conversion.h"
#include "sound/win32/mpvolume.h"

namespace tindrel::win {

MciNoticeWindow::MciNoticeWindow(Notice notice) : notice_(std::move(notice)) {
  WindowShape shape;
  shape.style = 0;
  shape.owner = HWND_MESSAGE;
  CreateRoutedWindow({L"TindrelMciNotices", GetModuleHandleW(nullptr)}, shape);
}

LRESULT MciNoticeWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == MM_MCINOTIFY) {
    if (notice_) notice_(wparam, static_cast<MCIDEVICEID>(lparam));
    return 0;
  }
  return DefaultHandling(message, wparam, lparam);
}

MediaPlayer::MediaPlayer()
    : window_([this](WPARAM code, MCIDEVICEID device) { OnNotice(code, device); }) {}

void MediaPlayer::OnNotice(WPARAM code, MCIDEVICEID device) {
  // A clip stopped or closed before its end says so too (aborted, superseded); only the end of
  // the open clip's playing counts. Some systems name no device in the notice (0), and a notice
  // can wait in the queue while its clip is closed and another opened under the same identifier:
  // the open clip must not be playing any more.
  if (code != MCI_NOTIFY_SUCCESSFUL || !IsOpen()) return;
  if (device != 0 && device != device_id_) return;
  if (IsPlaying()) return;
  PlayedToEnd();
}

bool MediaPlayer::IsPlaying() {
  MCI_STATUS_PARMS parms{};
  parms.dwCallback = Callback();
  parms.dwItem = MCI_STATUS_MODE;
  const MCIERROR result =
      SendCommand(MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&parms));
  return result == 0 && parms.dwReturn == MCI_MODE_PLAY;
}

MediaPlayer::~MediaPlayer() {
  Close();
}

void MediaPlayer::Open(const std::string& path) {
  // The wide interface takes every path as it is, whatever the system's code page can hold.
  const std::wstring element = Widen(path);
  Close();
  MCI_OPEN_PARMSW parms{};
  parms.dwCallback = Callback();
  parms.lpstrElementName = element.c_str();
  const MCIERROR result = mci_.SendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT,
                                           reinterpret_cast<DWORD_PTR>(&parms));
  if (result != 0) throw Error(mci_.ErrorText(result));
  device_id_ = parms.wDeviceID;
}

// The identifier is given up whatever the device answers: a device that cannot even be closed
// is of no further use, and the next open must not be held back by it.
void MediaPlayer::Close() {
  if (!IsOpen()) return;
  MCI_GENERIC_PARMS parms{};
  parms.dwCallback = Callback();
  SendCommand(MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&parms));
  device_id_ = 0;
}

void MediaPlayer::Play() {
  if (!IsOpen()) throw Error("No MCI device open");
  MCI_PLAY_PARMS parms{};
  parms.dwCallback = Callback();
  SendCommand(MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&parms));
}

void MediaPlayer::Stop() {
  if (!IsOpen()) throw Error("No MCI device open");
  MCI_GENERIC_PARMS parms{};
  parms.dwCallback = Callback();
  SendCommand(MCI_STOP, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&parms));
}

std::optional<std::uint32_t> MediaPlayer::Position() {
  MCI_STATUS_PARMS parms{};
  parms.dwCallback = Callback();
  parms.dwItem = MCI_STATUS_POSITION;
  if (!IsOpen()) return std::nullopt;
  const MCIERROR result =
      SendCommand(MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&parms));
  if (result != 0) return std::nullopt;
  return static_cast<std::uint32_t>(parms.dwReturn);
}

std::uint32_t MediaPlayer::SetVolume(int level) {
  return SetPlayerVolume(*this, level);
}

std::optional<int> MediaPlayer::GetVolume() {
  return GetPlayerVolume(*this);
}

void MciLibrary::Load() {
  if (module_) return;
  ScopedModule module = LoadSystemLibrary(L"winmm.dll");
  send_command_ = LibraryFunction<decltype(&mciSendCommandW)>(module, "mciSendCommandW");
  get_error_string_ = LibraryFunction<decltype(&mciGetErrorStringW)>(module, "mciGetErrorStringW");
  module_ = std::move(module);
}

MCIERROR MciLibrary::SendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags,
                                 DWORD_PTR parameters) {
  Load();
  return send_command_(device, message, flags, parameters);
}

std::string MciLibrary::ErrorText(MCIERROR code) {
  try {
    Load();
  } catch (const Error&) {
    return "Unknown error code";  // no library, no texts
  }
  wchar_t text[MAXERRORLENGTH] = {};
  if (!get_error_string_(code, text, MAXERRORLENGTH) || text[0] == L'\0') {
    return "Unknown error code";
  }
  return Narrow(text);
}

std::string MciErrorText(MCIERROR code) {
  MciLibrary library;
  return library.ErrorText(code);
}

}  // namespace tindrel::win
