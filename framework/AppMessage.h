// The application's message box: OK button, exclamation icon, titled with the
// executable's file name without extension.
#pragma once

#include <string>

namespace fw {

// Shows text (16-bit) modally with no owner; returns when the user closes it.
void ShowAppMessage(const std::wstring& text);

// Converts 8-bit text in the given code page (0 = the system's ANSI page) to 16-bit.
std::wstring WideFromCodePage(const std::string& text, unsigned codePage);

// The application title: the executable's file name without extension.
std::wstring AppTitle();

}  // namespace fw
