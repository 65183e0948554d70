#pragma once

#include "platform/win/WindowsSupport.h"

namespace velk {

// The system calls of the regional settings; tests replace entries to make them fail.
struct TLocaleApi {
    decltype(&::GetLocaleInfoA) GetLocaleInfoA = ::GetLocaleInfoA;
    decltype(&::GetDateFormatA) GetDateFormatA = ::GetDateFormatA;
    decltype(&::CompareStringA) CompareStringA = ::CompareStringA;
};
extern TLocaleApi LocaleApi;

} // namespace velk
