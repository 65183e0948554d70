// Included first in every C++ file of the size-optimised tree.
//
// The runtime library declares its string members as instantiated inside the library, so the
// first string call links the library's object holding every member (about 33 KB, none of it
// removable: the unwind tables keep each function alive). Letting each file instantiate only the
// members it uses costs about half of that.
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE 0
