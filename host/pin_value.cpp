#include "pin_value.h"

#include <sstream>

namespace modhost {

std::string PinValue::Describe() const {
  if (is_text) return "\"" + text + "\"";
  std::ostringstream out;
  out << number;
  return out.str();
}

std::string PinRef::Describe() const {
  return index >= 0 ? "#" + std::to_string(index) : "\"" + name + "\"";
}

}  // namespace modhost
