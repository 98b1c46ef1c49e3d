#pragma once
#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "core/Host.h"

namespace qz {

// Why something could not be read, written or checked, as the box that reports it shows it. The
// title follows the program's title ("Quenzel" or "Quenzel Slave") and a blank.
struct Fault {
    MsgIcon icon = MsgIcon::Critical;
    std::string title; // "Configuration File Error"
    std::string text;  // lines separated by "\r\n"
    bool fatal = true; // the program cannot go on: the box is followed by the end

    bool operator==(const Fault&) const = default;
};

// A value, or the fault that kept it from being made.
template <typename T> class [[nodiscard]] Result {
  public:
    Result(T value) : v_(std::move(value)) {}
    Result(Fault fault) : v_(std::move(fault)) {}
    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(v_); }
    const T& value() const { return std::get<0>(v_); }
    T* operator->() { return &value(); }
    const Fault& fault() const { return std::get<1>(v_); }

  private:
    std::variant<T, Fault> v_;
};

// A step that makes nothing but may fail.
template <> class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Fault fault) : fault_(std::move(fault)) {}
    bool ok() const { return !fault_; }
    explicit operator bool() const { return ok(); }
    const Fault& fault() const { return *fault_; }

  private:
    std::optional<Fault> fault_;
};

} // namespace qz
