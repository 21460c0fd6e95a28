// `modhost info LIB`: identity, about text and the pin table as a table.
#pragma once

#include <ostream>
#include <string>

namespace modhost {

// Throws HostError; writes nothing on failure.
void PrintModuleInfo(std::ostream& out, const std::string& library_path, int32_t host_version);

}  // namespace modhost
