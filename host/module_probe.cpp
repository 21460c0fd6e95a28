#include "module_probe.h"

#include "host_error.h"

namespace modhost {

namespace {

struct ProbeContext {
  int32_t host_version;
};

int32_t ProbeCallback(void* record, int32_t opcode, int32_t, int32_t, void*, float) {
  if (!record || opcode != HOST_VERSION) return 0;
  const auto* context =
      static_cast<const ProbeContext*>(static_cast<SEModuleRecord*>(record)->host_context);
  return context ? context->host_version : 0;
}

}  // namespace

std::vector<PinDeclaration> ProbePinTable(const ModuleLibrary& library, int32_t host_version) {
  ProbeContext context{host_version};
  SEModuleRecord* record = library.MakeDsp(&ProbeCallback, &context);
  if (!record) {
    throw HostError("module " + library.Identity().name + " (" + library.Path() +
                    "): makeModule gave no DSP object");
  }
  if (record->magic != SE_MODULE_MAGIC || !record->dispatcher) {
    throw HostError("module " + library.Identity().name + " (" + library.Path() +
                    "): makeModule gave no valid DSP record");
  }
  std::vector<PinDeclaration> table = ReadPinTable(record);
  record->dispatcher(record, MOD_CLOSE, 0, 0, nullptr, 0.0f);
  if (table.empty()) {
    throw HostError("module " + library.Identity().name + " (" + library.Path() +
                    ") shows no pins at host version " + std::to_string(host_version));
  }
  return table;
}

}  // namespace modhost
