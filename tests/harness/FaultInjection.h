#pragma once

// Fault injection for the replaceable system-call tables of the Win32 modules: installed slots
// count every call that passes through them and make the Nth one fail with a chosen error.

#include "platform/win/WindowsSupport.h"

#include <type_traits>

namespace velk::test {

struct TFaultPlan {
    int Calls = 0;
    int FailAt = 0; // 0: nothing fails
    DWORD Error = ERROR_ACCESS_DENIED;
    bool Hit() { return ++Calls == FailAt; }
};
inline TFaultPlan FaultPlan;

template <auto& Table, auto Member, typename Fn = std::remove_reference_t<decltype(Table.*Member)>>
struct TFaultSlot;

template <auto& Table, auto Member, typename R, typename... A>
struct TFaultSlot<Table, Member, R(WINAPI*)(A...)> {
    static inline R(WINAPI* Real)(A...) = nullptr;
    static inline R FailValue{};
    static inline int Successes = 0;
    static inline bool Faultable = true;

    static R WINAPI Call(A... args) {
        if (Faultable && FaultPlan.Hit()) {
            ::SetLastError(FaultPlan.Error);
            return FailValue;
        }
        R result = Real(args...);
        if (!(result == FailValue))
            ++Successes;
        return result;
    }
    // Routes the table entry through the slot; failValue is what the call returns on failure.
    // A slot that is not faultable only counts (for calls that release what others acquired).
    static void Install(R failValue, bool faultable = true) {
        Real = Table.*Member;
        FailValue = failValue;
        Successes = 0;
        Faultable = faultable;
        Table.*Member = Call;
    }
};

#define VELK_FAULT_SLOT(table, name)                                                               \
    ::velk::test::TFaultSlot<table, &std::remove_reference_t<decltype(table)>::name>
// Successful calls through a slot since it was installed (usable inside test macros).
#define VELK_FAULT_SUCCESSES(table, name) (VELK_FAULT_SLOT(table, name)::Successes)

// Puts a call table back as it was when the scope ends.
template <typename Table> class TTableRestore {
public:
    explicit TTableRestore(Table& table) : table_(table), saved_(table) {}
    TTableRestore(const TTableRestore&) = delete;
    TTableRestore& operator=(const TTableRestore&) = delete;
    ~TTableRestore() {
        table_ = saved_;
        FaultPlan = TFaultPlan{};
    }

private:
    Table& table_;
    Table saved_;
};

// Runs op with call n failing, for n = 1, 2, ... until a run gets through without reaching
// call n; check(n, result, failed) sees every run (failed: call n was made and failed). Returns
// the number of runs.
template <typename Op, typename Check> int SweepFaults(Op op, Check check) {
    for (int n = 1;; ++n) {
        FaultPlan.Calls = 0;
        FaultPlan.FailAt = n;
        auto result = op();
        bool failed = FaultPlan.Calls >= n;
        FaultPlan.FailAt = 0;
        check(n, result, failed);
        if (!failed)
            return n;
    }
}

} // namespace velk::test
