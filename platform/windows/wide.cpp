// wide.cpp: UTF-8 and UTF-16 at the boundary to Windows. No state.
#include "platform/windows/wide.h"

#include <windows.h>

std::wstring Win_Wide(const std::string& text) {
  if (text.empty()) return L"";
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), int(text.size()), nullptr, 0);
  if (n > 0) {
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), int(text.size()), wide.data(), n);
    return wide;
  }
  std::wstring latin1;
  for (unsigned char c : text) latin1.push_back(wchar_t(c));
  return latin1;
}

std::string Win_Utf8(const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return "";
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return "";
  std::string utf8(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), n, nullptr, nullptr);
  utf8.pop_back();  // the terminating NUL
  return utf8;
}

std::wstring Win_WidePath(const std::string& path) {
  std::wstring wide = Win_Wide(path);
  for (wchar_t& c : wide)
    if (c == L'/') c = L'\\';
  return wide;
}

std::string Win_ErrorText(unsigned long code) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string said = n > 0 ? Win_Utf8(text) : "";
  if (text != nullptr) LocalFree(text);
  while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == ' ' || said.back() == '.'))
    said.pop_back();
  return said.empty() ? "error " + std::to_string(code) : said;
}
