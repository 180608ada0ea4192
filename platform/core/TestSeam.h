// Test seams: what a test puts in the place of one of the system's answers (the memory left, a
// key's state, a dialog's user) so that the code around it can be driven where the system
// cannot be. The running editor sets none (but the model's message sink, once at its start), and
// a seam that is not set gives way to the system.
#pragma once

#include <type_traits>
#include <utility>

namespace platform {

// One seam: a value (usually a std::function) that is empty until a test sets it. It lives at
// namespace or class scope, so that asking it is a plain read of memory: no guard, no call and
// no lock. Set it only while nothing that asks it runs (the GUI thread between steps, no parts
// on threads); several threads may then ask it at once.
template <typename T> class TestSeam {
public:
    TestSeam() = default;
    TestSeam(const TestSeam&) = delete;
    TestSeam& operator=(const TestSeam&) = delete;

    // What is set; an empty T while nothing is.
    const T& get() const { return value_; }
    explicit operator bool() const requires std::is_constructible_v<bool, const T&> { return bool(value_); }
    // Calls a function that is set.
    template <typename... Args> decltype(auto) operator()(Args&&... args) const {
        return value_(std::forward<Args>(args)...);
    }

    // Sets `value` (an empty one gives the seam back to the system) and returns what was set.
    T exchange(T value) { return std::exchange(value_, std::move(value)); }

private:
    T value_{};
};

// Sets a seam for as long as it lives, then puts back what was set before: guards nest, the
// innermost answers.
template <typename T> class ScopedSeam {
public:
    ScopedSeam(TestSeam<T>& seam, std::type_identity_t<T> value)
        : seam_(seam), previous_(seam.exchange(std::move(value))) {}
    ~ScopedSeam() { seam_.exchange(std::move(previous_)); }
    ScopedSeam(const ScopedSeam&) = delete;
    ScopedSeam& operator=(const ScopedSeam&) = delete;

private:
    TestSeam<T>& seam_;
    T previous_;
};

} // namespace platform
