// wide.h: text at the boundary to Windows. Inside the program every name and message is UTF-8;
// Windows' wide-character calls take UTF-16, which spells every name, whatever the code page.
// No state.
#pragma once

#include <string>

// UTF-8 to UTF-16. Bytes that are no UTF-8 are taken as Latin-1, so that nothing is lost.
std::wstring Win_Wide(const std::string& text);
// UTF-16 from Windows to UTF-8; "" for a null pointer.
std::string Win_Utf8(const wchar_t* text);
// A path in Windows' own form: forward slashes become backslashes.
std::wstring Win_WidePath(const std::string& path);
// The system's text for an error code (GetLastError), in UTF-8, without the line end.
std::string Win_ErrorText(unsigned long code);
