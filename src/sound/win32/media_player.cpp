#include "sound/win32/media_player.h"

#include "app/error.h"
#include "sound/win32/mpvolume.h"

namespace tindrel::win {

namespace {

// A message-only window of a system class: it only has to exist as the commands' callback
// handle, and the completion notices it may receive are left to the default handling.
ScopedWindow CreateCallbackWindow() {
  ScopedWindow window(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
  if (!window) throw Error(SystemErrorText(GetLastError()));
  return window;
}

}  // namespace

TMediaPlayer::TMediaPlayer() : window_(CreateCallbackWindow()) {}

TMediaPlayer::~TMediaPlayer() {
  Close();
}

void TMediaPlayer::Open(const std::string& path) {
  std::string element = ToAnsiPath(path);
  Close();
  MCI_OPEN_PARMSA parms{};
  parms.dwCallback = Callback();
  parms.lpstrElementName = element.c_str();
  const MCIERROR result = mciSendCommandA(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT,
                                          reinterpret_cast<DWORD_PTR>(&parms));
  if (result != 0) throw Error(MciErrorText(result));
  device_id_ = parms.wDeviceID;
}

// The identifier is given up whatever the device answers: a device that cannot even be closed
// is of no further use, and the next open must not be held back by it.
void TMediaPlayer::Close() {
  if (!IsOpen()) return;
  MCI_GENERIC_PARMS parms{};
  parms.dwCallback = Callback();
  mciSendCommandA(device_id_, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&parms));
  device_id_ = 0;
}

void TMediaPlayer::Play() {
  if (!IsOpen()) throw Error("No MCI device open");
  MCI_PLAY_PARMS parms{};
  parms.dwCallback = Callback();
  mciSendCommandA(device_id_, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&parms));
}

void TMediaPlayer::Stop() {
  if (!IsOpen()) throw Error("No MCI device open");
  MCI_GENERIC_PARMS parms{};
  parms.dwCallback = Callback();
  mciSendCommandA(device_id_, MCI_STOP, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&parms));
}

std::optional<std::uint32_t> TMediaPlayer::Position() {
  MCI_STATUS_PARMS parms{};
  parms.dwCallback = Callback();
  parms.dwItem = MCI_STATUS_POSITION;
  const MCIERROR result = mciSendCommandA(device_id_, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM,
                                          reinterpret_cast<DWORD_PTR>(&parms));
  if (result != 0) return std::nullopt;
  return static_cast<std::uint32_t>(parms.dwReturn);
}

std::uint32_t TMediaPlayer::SetVolume(int level) {
  return SetPlayerVolume(*this, level);
}

std::optional<int> TMediaPlayer::GetVolume() {
  return GetPlayerVolume(*this);
}

std::string MciErrorText(MCIERROR code) {
  char text[MAXERRORLENGTH] = {};
  if (!mciGetErrorStringA(code, text, sizeof text) || text[0] == '\0') {
    return "Unknown error code";
  }
  return text;
}

std::string ToAnsiPath(const std::string& utf8_path) {
  const std::wstring wide = Widen(utf8_path);
  if (wide.empty()) return {};
  BOOL lossy = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                       static_cast<int>(wide.size()), nullptr, 0, nullptr, &lossy);
  if (size <= 0 || lossy) {
    throw Error(FormatMessage1(
        "The file name '%s' has characters that the system's code page cannot represent",
        utf8_path));
  }
  std::string ansi(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                      ansi.data(), size, nullptr, nullptr);
  return ansi;
}

}  // namespace tindrel::win
