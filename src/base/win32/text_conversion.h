#pragma once
// UTF-8 <-> UTF-16 at the boundary to the wide Windows calls: the program keeps its text in UTF-8
// and widens it only where a wide call takes it.

#include <string>

namespace tindrel::win {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

}  // namespace tindrel::win
