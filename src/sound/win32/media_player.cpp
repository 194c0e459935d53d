#include "sound/win32/media_player.h"

#include "base/error.h"
#include "base/win32/text_conversion.h"
#include "sound/win32/mpvolume.h"

namespace tindrel::win {

namespace {

// A message-only window of a system class: it only has to exist as the commands' callback
// handle, and the completion notices it may receive are left to the default handling.
ScopedWindow CreateCallbackWindow() {
  ScopedWindow window(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
  if (!window) ThrowLastError("CreateWindowExW");
  return window;
}

}  // namespace

MediaPlayer::MediaPlayer() : window_(CreateCallbackWindow()) {}

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
