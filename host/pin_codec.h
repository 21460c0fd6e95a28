// Turns patch values into what a pin stores and back: audio in volts (stored
// divided by 10), enumerations by entry text or value, numbers, texts.
#pragma once

#include <string>

#include "pin_table.h"
#include "pin_value.h"

namespace modhost {

// What the host stores for one pin; the data type says which field counts.
struct RawValue {
  int32_t i = 0;     // DT_ENUM, DT_BOOL, DT_INT
  float f = 0.0f;    // DT_FLOAT; DT_FSAMPLE in signal units (1.0 = 10 V)
  std::string text;  // DT_TEXT

  bool operator==(const RawValue& other) const {
    return i == other.i && f == other.f && text == other.text;
  }
};

// Throws HostError naming `where` (module and pin) for a value the pin cannot take.
RawValue EncodeValue(const PinDeclaration& pin, const PinValue& value, const std::string& where);
// The pin's default from its declaration; 0 or empty where it gives none or
// gives one that does not read.
RawValue DefaultValue(const PinDeclaration& pin);
// The patch form: volts, the entry text of a listed enumeration value, numbers, texts.
PinValue DecodeValue(const PinDeclaration& pin, const RawValue& raw);

}  // namespace modhost
