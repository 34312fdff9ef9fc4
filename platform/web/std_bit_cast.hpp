#pragma once

#include <bit>

// The libc++ that comes with Debian's Emscripten predates std::bit_cast, which the show's
// exact arithmetic uses to take doubles apart; the compiler's builtin is what later
// libc++ versions define it as. Every file of the web build sees it first.
namespace std {

template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
    return __builtin_bit_cast(To, from);
}

}  // namespace std
