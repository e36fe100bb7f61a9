#pragma once
// A value or an error, carried up to the top of an action where the error
// becomes user text. Modelled on std::expected, which C++20 does not have.

#include <string>
#include <utility>
#include <variant>

namespace base {

// An error as the platform or a parser worded it.
struct Error {
  std::string text;
};

template <class E>
struct Unexpected {
  E error;
};

inline Unexpected<Error> fail(std::string text) { return {Error{std::move(text)}}; }

template <class E>
Unexpected<E> fail_with(E error) { return {std::move(error)}; }

template <class T, class E = Error>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}
  Result(Unexpected<E> e) : v_(std::in_place_index<1>, std::move(e.error)) {}

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & { return std::get<0>(v_); }
  const T& value() const& { return std::get<0>(v_); }
  T&& value() && { return std::get<0>(std::move(v_)); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }

  const E& error() const { return std::get<1>(v_); }

 private:
  std::variant<T, E> v_;
};

template <class E>
class [[nodiscard]] Result<void, E> {
 public:
  Result() = default;
  Result(Unexpected<E> e) : error_(std::move(e.error)), ok_(false) {}

  bool ok() const { return ok_; }
  explicit operator bool() const { return ok_; }
  const E& error() const { return error_; }

 private:
  E error_{};
  bool ok_ = true;
};

using Status = Result<void>;

}  // namespace base
