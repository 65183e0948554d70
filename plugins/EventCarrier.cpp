#include "plugins/EventCarrier.h"

#include <atomic>

#include "platform/win/WindowsSupport.h"
#include "plugins/VKPlugins.h"

namespace velk {

namespace {

enum TCarriedState : long { Pending, RaiserAsleep, Answered };

// Lives on the raising thread's stack until its answer is there.
struct TCarried {
    TMarshalRecord Event;
    int32_t Answer = 0;
    std::atomic<long> State{Pending};
};

// One slot: a raiser owns it from posting its event until it has read the answer, so one reply
// event serves every raiser and a raiser never takes a wake-up meant for another. Each side
// polls before it sleeps, first spinning for a partner on another processor, then yielding to
// one waiting for this processor: a burst of progress events then passes without a round trip
// through the system per event, which under Wine costs many times the dispatch itself.
struct TCarrier {
    std::atomic<bool> Serving{false};
    std::atomic<TCarried*> Owner{nullptr};
    std::atomic<bool> Posted{false}; // the owner's event is not yet taken by the main thread
    std::atomic<bool> MainAsleep{false};
    // Created by the first wait and kept for the process: a raiser may still signal after the
    // wait has ended.
    HANDLE Request = nullptr;
    HANDLE Reply = nullptr;
    int Spins = 0; // none on a single processor, where only yielding lets the other side run
};

TCarrier Carrier;

// Every kind of input and sent messages. Not QS_ALLINPUT: its raw-input bit makes the wait fail
// on systems before XP.
constexpr DWORD kQueueMask =
    QS_KEY | QS_MOUSE | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_SENDMESSAGE | QS_HOTKEY;

constexpr DWORD kDrainIntervalMs = 10;
constexpr int kSpins = 100;
constexpr int kYields = 50;

template <typename Ready> bool Poll(Ready ready) {
    for (int i = 0; i < Carrier.Spins; ++i) {
        if (ready())
            return true;
        YieldProcessor();
    }
    for (int i = 0; i < kYields; ++i) {
        if (ready())
            return true;
        SwitchToThread();
    }
    return ready();
}

bool PostedReady() {
    return Carrier.Posted.load();
}

bool PrepareCarrier() {
    if (Carrier.Request == nullptr) {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        Carrier.Spins = system.dwNumberOfProcessors > 1 ? kSpins : 0;
        Carrier.Request = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        Carrier.Reply = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    }
    return Carrier.Request != nullptr && Carrier.Reply != nullptr;
}

void ServePosted() {
    if (!Carrier.Posted.load() || !Carrier.Posted.exchange(false))
        return;
    TCarried& carried = *Carrier.Owner.load();
    // The raiser waits for an answer whatever happens here.
    try {
        carried.Answer = int32_t(ServeMarshalledEvent(reinterpret_cast<uintptr_t>(&carried.Event)));
    } catch (...) {
        carried.Answer = 0;
    }
    if (carried.State.exchange(Answered) == RaiserAsleep)
        SetEvent(Carrier.Reply);
}

// Dispatches the pending window messages; a quit message is dropped, as ProcessMessages does.
void PumpMessages(bool carrying) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_QUIT) {
        // The handler may run a modal loop of its own: events raised meanwhile take the main
        // window's message, which that loop serves. Closed only around the handler, so that
        // events sent while the queue is read move back to the slot at once.
        Carrier.Serving.store(false);
        ServePosted();
        TranslateMessage(&message);
        DispatchMessageA(&message);
        Carrier.Serving.store(carrying);
    }
}

} // namespace

bool CarryToWaitingMainThread(const TMarshalRecord& event, int32_t& answer) {
    if (!Carrier.Serving.load())
        return false;
    TCarried carried{event};
    TCarried* none = nullptr;
    if (!Carrier.Owner.compare_exchange_strong(none, &carried))
        return false;
    Carrier.Posted.store(true);
    if (!Carrier.Serving.load() && Carrier.Posted.exchange(false)) {
        // The wait ended before the main thread saw the event.
        Carrier.Owner.store(nullptr);
        return false;
    }
    if (Carrier.MainAsleep.exchange(false))
        SetEvent(Carrier.Request);
    if (!Poll([&] { return carried.State.load() == Answered; })) {
        long expected = Pending;
        if (carried.State.compare_exchange_strong(expected, RaiserAsleep))
            WaitForSingleObject(Carrier.Reply, INFINITE);
    }
    answer = carried.Answer;
    Carrier.Owner.store(nullptr);
    return true;
}

bool WaitForWorker(void* thread) {
    if (!IsMainThread())
        return WaitForSingleObject(thread, INFINITE) == WAIT_OBJECT_0;
    const bool carrying = PrepareCarrier();
    const HANDLE handles[] = {thread, Carrier.Request};
    const DWORD count = carrying ? 2 : 1;
    const bool outer = Carrier.Serving.load();
    Carrier.Serving.store(carrying);
    DWORD drained = GetTickCount();
    DWORD woken = WAIT_TIMEOUT;
    for (;;) {
        ServePosted();
        bool messages = false;
        if (!Poll(PostedReady)) {
            Carrier.MainAsleep.store(true);
            woken = Carrier.Posted.load()
                        ? WAIT_TIMEOUT
                        : MsgWaitForMultipleObjects(count, handles, FALSE, INFINITE, kQueueMask);
            Carrier.MainAsleep.store(false);
            if (woken == WAIT_OBJECT_0 || woken == WAIT_FAILED)
                break;
            messages = woken == WAIT_OBJECT_0 + count;
        }
        // A steady stream of events must not starve the window messages.
        if (messages || GetTickCount() - drained >= kDrainIntervalMs) {
            PumpMessages(carrying);
            drained = GetTickCount();
        }
    }
    Carrier.Serving.store(false);
    ServePosted();
    Carrier.Serving.store(outer);
    return woken == WAIT_OBJECT_0;
}

} // namespace velk
