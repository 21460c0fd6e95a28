// Reads a library's pin table through a short-lived DSP object that only
// knows the host version, as `modhost info` and patch checks need it.
#pragma once

#include <vector>

#include "module_library.h"
#include "pin_table.h"

namespace modhost {

// Throws HostError when makeModule gives no DSP object or the module shows
// no pins at this host version.
std::vector<PinDeclaration> ProbePinTable(const ModuleLibrary& library, int32_t host_version);

}  // namespace modhost
