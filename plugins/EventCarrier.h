#pragma once

#include <cstdint>

namespace velk {

// An event raised on a thread other than the main thread, as the main thread is to dispatch it.
#pragma pack(push, 1)
struct TMarshalRecord {
    int32_t ExceptId;
    int32_t Number;
    int32_t Data;
    void* Param;
    uint8_t StopFirst;
};
#pragma pack(pop)

// Hands the event to the main thread while that serves events in WaitForWorker, and waits for
// its answer. False, with nothing dispatched, when the main thread is elsewhere or busy with an
// event of another thread: the caller then sends it through the main window.
bool CarryToWaitingMainThread(const TMarshalRecord& event, int32_t& answer);

} // namespace velk
