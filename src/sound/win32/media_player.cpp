#include "sound/win32/media_player.h"

#include <algorithm>

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
  std::string element = ToAnsiPath(path);
  Close();
  MCI_OPEN_PARMSA parms{};
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
  send_command_ = LibraryFunction<decltype(&mciSendCommandA)>(module, "mciSendCommandA");
  get_error_string_ = LibraryFunction<decltype(&mciGetErrorStringA)>(module, "mciGetErrorStringA");
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
  char text[MAXERRORLENGTH] = {};
  if (!get_error_string_(code, text, sizeof text) || text[0] == '\0') {
    return "Unknown error code";
  }
  return text;
}

std::string MciErrorText(MCIERROR code) {
  MciLibrary library;
  return library.ErrorText(code);
}

std::string ToAnsiPath(const std::string& utf8_path) {
  return ToCodePagePath(utf8_path, GetACP());
}

namespace {

// Code pages for which WideCharToMultiByte refuses WC_NO_BEST_FIT_CHARS and the default-character
// report: it fails with ERROR_INVALID_FLAGS or ERROR_INVALID_PARAMETER instead of converting.
bool TakesConversionFlags(UINT code_page) {
  return !(code_page == CP_UTF8 || code_page == CP_UTF7 || code_page == 54936 || code_page == 42 ||
           (code_page >= 50220 && code_page <= 50229) ||
           (code_page >= 57002 && code_page <= 57011));
}

}  // namespace

std::string ToCodePagePath(const std::string& utf8_path, UINT code_page) {
  const std::wstring wide = Widen(utf8_path);
  if (wide.empty()) return {};
  const bool takes_flags = TakesConversionFlags(code_page);
  const DWORD flags = takes_flags                                    ? WC_NO_BEST_FIT_CHARS
                      : (code_page == CP_UTF8 || code_page == 54936) ? WC_ERR_INVALID_CHARS
                                                                     : 0;
  BOOL lossy = FALSE;
  BOOL* lossy_report = takes_flags ? &lossy : nullptr;
  const int wide_size = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(code_page, flags, wide.data(), wide_size, nullptr, 0,
                                       nullptr, lossy_report);
  std::string converted(static_cast<std::size_t>(std::max(size, 0)), '\0');
  if (size > 0 && !lossy) {
    WideCharToMultiByte(code_page, flags, wide.data(), wide_size, converted.data(), size, nullptr,
                        nullptr);
  }
  // Where the conversion cannot report a lost character, converting back tells.
  bool representable = size > 0 && !lossy;
  if (representable && !takes_flags) {
    const int back = MultiByteToWideChar(code_page, 0, converted.data(), size, nullptr, 0);
    std::wstring round_trip(static_cast<std::size_t>(std::max(back, 0)), L'\0');
    if (back > 0)
      MultiByteToWideChar(code_page, 0, converted.data(), size, round_trip.data(), back);
    representable = round_trip == wide;
  }
  if (!representable) {
    throw Error(FormatMessage1(
        "The file name '%s' has characters that the system's code page cannot represent",
        utf8_path));
  }
  return converted;
}

}  // namespace tindrel::win
