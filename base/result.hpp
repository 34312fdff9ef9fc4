#pragma once

#include <optional>
#include <string>
#include <type_traits>
#include <utility>

// How our functions that can fail report it: a value, or one line saying why that the
// user reads after the program's name ("cannot open out.mp4: Permission denied"). Shaped
// like std::expected<T, std::string>, so it can give way to it once every toolchain we
// build with has C++23 (docs/design-notes.md).

// A failure on its way to whichever result<T> is returned: `return failure("why");`.
class failure {
  public:
    explicit failure(std::string message) : message_(std::move(message)) {}

    const std::string& error() const& { return message_; }
    std::string&& error() && { return std::move(message_); }

  private:
    std::string message_;
};

template <class T = void>
class result;

template <class T>
inline constexpr bool is_result = false;
template <class T>
inline constexpr bool is_result<result<T>> = true;

// What a result<T> holds when it succeeds: anything T can be made from, except the
// results and failures that have constructors of their own.
template <class U, class T>
concept value_for = std::is_constructible_v<T, U&&> && !is_result<std::remove_cvref_t<U>> &&
                    !std::is_same_v<std::remove_cvref_t<U>, failure>;

template <class T>
class [[nodiscard]] result {
  public:
    template <value_for<T> U = T>
    result(U&& value) : value_(std::forward<U>(value)) {}
    result(failure why) : error_(std::move(why).error()) {}
    // A result of another type, as an owner of a derived class becomes one of its base.
    template <value_for<T> U>
    result(result<U>&& other) {
        if (other) {
            value_.emplace(std::move(*other));
        } else {
            error_ = std::move(other).error();
        }
    }

    bool has_value() const { return value_.has_value(); }
    explicit operator bool() const { return has_value(); }

    T& value() & { return value_.value(); }
    const T& value() const& { return value_.value(); }
    T&& value() && { return std::move(value_.value()); }
    T& operator*() & { return *value_; }
    const T& operator*() const& { return *value_; }
    T&& operator*() && { return std::move(*value_); }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }

    // Why there is no value; meaningful only when there is none.
    const std::string& error() const& { return error_; }
    std::string&& error() && { return std::move(error_); }

  private:
    std::optional<T> value_;
    std::string error_;
};

// Success with nothing to hand back: `return {};`.
template <>
class [[nodiscard]] result<void> {
  public:
    result() = default;
    result(failure why) : failed_(true), error_(std::move(why).error()) {}

    bool has_value() const { return !failed_; }
    explicit operator bool() const { return has_value(); }

    const std::string& error() const& { return error_; }
    std::string&& error() && { return std::move(error_); }

  private:
    bool failed_ = false;
    std::string error_;
};
