#include "module_library.h"

#include <cstring>
#include <fstream>

#include "host_error.h"

namespace modhost {

namespace {

std::string CopyText(const char* text) { return text ? std::string(text) : std::string(); }

}  // namespace

std::shared_ptr<ModuleLibrary> ModuleLibrary::Load(const std::string& path) {
  if (!std::ifstream(DynamicLibrary::NativePath(path), std::ios::binary).good()) {
    throw HostError("library not found: " + path);
  }
  std::shared_ptr<ModuleLibrary> library(new ModuleLibrary());
  library->m_path = path;
  std::string reason;
  if (!library->m_library.Open(path, &reason)) {
    throw HostError("cannot load library " + path + ": " + reason);
  }
  library->m_get_properties =
      reinterpret_cast<SEGetModulePropertiesFn>(library->m_library.Symbol("getModuleProperties"));
  library->m_make_module =
      reinterpret_cast<SEMakeModuleFn>(library->m_library.Symbol("makeModule"));
  if (!library->m_get_properties || !library->m_make_module) {
    std::string missing = !library->m_get_properties ? "getModuleProperties" : "makeModule";
    if (!library->m_get_properties && !library->m_make_module) missing += " and makeModule";
    throw HostError("not a module library: " + path + " has no export " + missing);
  }

  SEModuleInfo info;
  std::memset(&info, 0, sizeof info);
  if (library->m_get_properties(0, &info) == 0) {
    throw HostError("library " + path + " describes no module (getModuleProperties(0) answered 0)");
  }
  library->m_identity.name = CopyText(info.name);
  library->m_identity.id = CopyText(info.id);
  library->m_identity.about = CopyText(info.about);
  library->m_identity.gui_flags = info.gui_flags;
  library->m_identity.module_flags = info.module_flags;
  return library;
}

SEModuleRecord* ModuleLibrary::MakeDsp(SEHostCallback callback, void* context) const {
  return static_cast<SEModuleRecord*>(m_make_module(0, 1, callback, context));
}

SEGuiRecord* ModuleLibrary::MakeGui(SEHostCallback callback, void* context) const {
  return static_cast<SEGuiRecord*>(m_make_module(0, 2, callback, context));
}

}  // namespace modhost
