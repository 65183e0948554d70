// The product programs' own versions of two pieces of the C++ runtime (the engine of setup.exe,
// and Uninstall.exe), kept out of every other program.
//
// The runtime's internal throw helpers raise std::logic_error and its relatives, whose
// reference-counted message strings pull in a second string implementation (about 50 KB with
// its unwind tables) - a quarter of the room setup.exe has before its package begins. These
// raise the engine's own exception with the same text, which the run's guard shows like any other
// error. The default terminate handler pulls in the demangler (another 50 KB with the formatted
// printing it needs); an installer has nothing to print to.
#include <bits/functexcept.h>

#include <cstdlib>
#include <new>
#include <typeinfo>

#include "platform/Exception.h"

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() {
    throw bad_alloc();
}
void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}
void __throw_bad_cast() {
    throw bad_cast();
}
void __throw_bad_typeid() {
    throw bad_typeid();
}
void __throw_bad_exception() {
    throw bad_exception();
}
void __throw_logic_error(const char* what) {
    throw velk::Exception(what);
}
void __throw_domain_error(const char* what) {
    throw velk::Exception(what);
}
void __throw_invalid_argument(const char* what) {
    throw velk::Exception(what);
}
void __throw_length_error(const char* what) {
    throw velk::Exception(what);
}
void __throw_out_of_range(const char* what) {
    throw velk::Exception(what);
}
// The format's arguments are left out: the text still names the operation that failed.
void __throw_out_of_range_fmt(const char* format, ...) {
    throw velk::Exception(format);
}
void __throw_runtime_error(const char* what) {
    throw velk::Exception(what);
}
void __throw_range_error(const char* what) {
    throw velk::Exception(what);
}
void __throw_overflow_error(const char* what) {
    throw velk::Exception(what);
}
void __throw_underflow_error(const char* what) {
    throw velk::Exception(what);
}

} // namespace std
