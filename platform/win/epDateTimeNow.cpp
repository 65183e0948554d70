#include "platform/epDateTime.h"

#include "platform/win/WindowsSupport.h"

namespace velk {

TLocalTime Now() {
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    return TLocalTime{st.wYear,   st.wMonth,  st.wDay,         st.wHour,
                      st.wMinute, st.wSecond, st.wMilliseconds};
}

} // namespace velk
