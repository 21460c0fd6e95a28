// A module library loaded by path: its identity and its two exports.
#pragma once

#include <memory>
#include <string>

#include "dynamic_library.h"
#include "se_export.h"
#include "se_types.h"

namespace modhost {

struct ModuleIdentity {
  std::string name;
  std::string id;
  std::string about;
  int32_t gui_flags = 0;
  int32_t module_flags = 0;
};

class ModuleLibrary {
 public:
  // Throws HostError for a missing file, a file that will not load, missing
  // exports or a library that describes no module.
  static std::shared_ptr<ModuleLibrary> Load(const std::string& path);

  const std::string& Path() const { return m_path; }
  const ModuleIdentity& Identity() const { return m_identity; }

  // makeModule(0, type, ...); null when the library declines.
  SEModuleRecord* MakeDsp(SEHostCallback callback, void* context) const;
  SEGuiRecord* MakeGui(SEHostCallback callback, void* context) const;

 private:
  ModuleLibrary() = default;

  std::string m_path;
  DynamicLibrary m_library;
  SEGetModulePropertiesFn m_get_properties = nullptr;
  SEMakeModuleFn m_make_module = nullptr;
  ModuleIdentity m_identity;
};

}  // namespace modhost
