#include "framework/AppMessage.h"

#include <windows.h>

namespace fw {

std::wstring WideFromCodePage(const std::string& text, unsigned codePage) {
    if (text.empty()) return std::wstring();
    const UINT cp = codePage == 0 ? CP_ACP : codePage;
    const int size = static_cast<int>(text.size());
    const int needed = ::MultiByteToWideChar(cp, 0, text.data(), size, nullptr, 0);
    if (needed <= 0) return std::wstring(text.begin(), text.end());
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(cp, 0, text.data(), size, &wide[0], needed);
    return wide;
}

std::wstring AppTitle() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD got = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (got == 0) return L"VORNAPX";
        if (got < path.size()) {
            path.resize(got);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) name.resize(dot);
    return name;
}

void ShowAppMessage(const std::wstring& text) {
    // Owned by the active page so it stays in front of it, as the class library did.
    ::MessageBoxW(::GetActiveWindow(), text.c_str(), AppTitle().c_str(), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace fw
