#pragma once
// Whether a Windows test program runs under Wine, whose emulation differs from Windows in a few
// documented places (README, "The Windows build and Wine").
#include <windows.h>

inline bool underWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
