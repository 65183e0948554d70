// The property tests again, built for the 32-bit target: properties are found by their offset in
// the object, and the offsets are those of the target's class layout.
#include "database/PropInfo_test.cpp"
