#include "pin_codec.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "host_error.h"

namespace modhost {

namespace {

bool ParseNumber(const std::string& text, double* number) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  while (end && (*end == ' ' || *end == '\t')) ++end;
  if (!end || *end != '\0' || !std::isfinite(value)) return false;
  *number = value;
  return true;
}

double NumberOf(const PinValue& value, const std::string& where) {
  double number = value.number;
  if (value.is_text && !ParseNumber(value.text, &number)) {
    throw HostError(where + ": " + value.Describe() + " is not a number");
  }
  if (!std::isfinite(number)) throw HostError(where + ": value is not finite");
  return number;
}

int32_t IntegerOf(const PinValue& value, double low, double high, const std::string& where) {
  const double number = NumberOf(value, where);
  if (number != std::floor(number) || number < low || number > high) {
    throw HostError(where + ": " + value.Describe() + " is not an integer in " +
                    std::to_string(static_cast<long long>(low)) + ".." +
                    std::to_string(static_cast<long long>(high)));
  }
  return static_cast<int32_t>(number);
}

std::string ChoiceTexts(const PinDeclaration& pin) {
  std::string texts;
  for (const auto& choice : pin.choices) {
    if (!texts.empty()) texts += ",";
    texts += choice.text;
  }
  return texts;
}

}  // namespace

RawValue EncodeValue(const PinDeclaration& pin, const PinValue& value, const std::string& where) {
  RawValue raw;
  switch (pin.datatype) {
    case DT_FSAMPLE: {
      const double volts = NumberOf(value, where);
      raw.f = static_cast<float>(volts / 10.0);
      break;
    }
    case DT_FLOAT: {
      const double number = NumberOf(value, where);
      if (std::fabs(number) > std::numeric_limits<float>::max()) {
        throw HostError(where + ": " + value.Describe() + " is out of float range");
      }
      raw.f = static_cast<float>(number);
      break;
    }
    case DT_INT:
      raw.i = IntegerOf(value, -2147483648.0, 2147483647.0, where);
      break;
    case DT_BOOL:
      if (value.is_text && (value.text == "true" || value.text == "false")) {
        raw.i = value.text == "true" ? 1 : 0;
      } else {
        raw.i = IntegerOf(value, 0, 1, where);
      }
      break;
    case DT_ENUM: {
      if (value.is_text) {
        for (const auto& choice : pin.choices) {
          if (choice.text == value.text) {
            raw.i = choice.value;
            return raw;
          }
        }
        double number = 0.0;
        if (!ParseNumber(value.text, &number)) {
          throw HostError(where + ": " + value.Describe() + " is not one of \"" + ChoiceTexts(pin) +
                          "\"");
        }
      }
      raw.i = IntegerOf(value, -32768.0, 32767.0, where);
      break;
    }
    case DT_TEXT:
      if (!value.is_text) throw HostError(where + ": a text pin needs a text value");
      raw.text = value.text;
      break;
    default:
      throw HostError(where + ": pin of unknown data type " + std::to_string(pin.datatype));
  }
  return raw;
}

RawValue DefaultValue(const PinDeclaration& pin) {
  if (!pin.has_default) return RawValue{};
  if (pin.datatype == DT_TEXT) {
    RawValue raw;
    raw.text = pin.default_text;
    return raw;
  }
  // A default is a number for every other type (an enumeration's default is
  // a list value); one that does not read leaves the pin at 0.
  double number = 0.0;
  if (!ParseNumber(pin.default_text, &number)) return RawValue{};
  try {
    return EncodeValue(pin, PinValue(number), "default");
  } catch (const HostError&) {
    return RawValue{};
  }
}

PinValue DecodeValue(const PinDeclaration& pin, const RawValue& raw) {
  switch (pin.datatype) {
    case DT_FSAMPLE:
      // Volts, rounded back through float so a reload stores the same float.
      return PinValue(static_cast<double>(raw.f) * 10.0);
    case DT_FLOAT:
      return PinValue(static_cast<double>(raw.f));
    case DT_ENUM:
      for (const auto& choice : pin.choices) {
        if (choice.value == raw.i) return PinValue(choice.text);
      }
      return PinValue(raw.i);
    case DT_TEXT:
      return PinValue(raw.text);
    default:
      return PinValue(raw.i);
  }
}

}  // namespace modhost
