// The database class tests again, built for the 32-bit target: their properties are found by
// offset, and the offsets are those of the target's class layout.
#include "database/VKClasses_test.cpp"
