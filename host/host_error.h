// The one error type of the host: a single readable line naming what failed
// (library, module, pin, patch position). Never crosses into a module.
#pragma once

#include <stdexcept>
#include <string>

namespace modhost {

class HostError : public std::runtime_error {
 public:
  explicit HostError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace modhost
