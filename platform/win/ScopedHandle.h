#pragma once

namespace velk {

// Owns one system handle and closes it on every path. Traits give the handle type, the value
// that means "none" and how to close it (through the module's replaceable call table).
template <typename Traits> class TScoped {
public:
    using Type = typename Traits::Type;

    TScoped() = default;
    explicit TScoped(Type handle) : handle_(handle) {}
    TScoped(const TScoped&) = delete;
    TScoped& operator=(const TScoped&) = delete;
    ~TScoped() { Reset(); }

    Type Get() const { return handle_; }
    bool Valid() const { return handle_ != Traits::Invalid(); }
    void Reset(Type handle = Traits::Invalid()) {
        if (Valid())
            Traits::Close(handle_);
        handle_ = handle;
    }

private:
    Type handle_ = Traits::Invalid();
};

} // namespace velk
