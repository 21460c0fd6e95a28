// A value as a patch or a test gives it: a number (volts for audio pins, the
// list value for enumerations) or a text (a text pin's value, an enumeration
// entry's text).
#pragma once

#include <cstdint>
#include <string>

namespace modhost {

struct PinValue {
  bool is_text = false;
  double number = 0.0;
  std::string text;

  PinValue() = default;
  PinValue(double value) : number(value) {}  // NOLINT: values read naturally in calls
  PinValue(int value) : number(value) {}     // NOLINT
  PinValue(const char* value) : is_text(true), text(value ? value : "") {}  // NOLINT
  PinValue(const std::string& value) : is_text(true), text(value) {}        // NOLINT

  bool operator==(const PinValue& other) const {
    return is_text == other.is_text && (is_text ? text == other.text : number == other.number);
  }
  std::string Describe() const;
};

// A pin named by its text or by its declaration index.
struct PinRef {
  std::string name;
  int32_t index = -1;

  PinRef() = default;
  PinRef(const char* pin_name) : name(pin_name ? pin_name : "") {}  // NOLINT
  PinRef(const std::string& pin_name) : name(pin_name) {}           // NOLINT
  PinRef(int pin_index) : index(pin_index) {}                       // NOLINT
  std::string Describe() const;
};

}  // namespace modhost
