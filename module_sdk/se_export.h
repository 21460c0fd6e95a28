// The two exports of a module library. In the deliverable's one source file:
//
//   SE_MODULE_EXPORTS(Module, GuiModule, FillInfo)
//
// where FillInfo(SEModuleInfo*) writes the identity fields.
#pragma once

#include <new>

#include "se_gui_base.h"
#include "se_module_base.h"
#include "se_types.h"

#if defined(_WIN32)
#define SE_EXPORT extern "C" __declspec(dllexport)
#else
#define SE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

template <class M, class G>
void* SEMakeModule(int32_t index, int32_t type, SEHostCallback callback, void* host_context) {
  if (index != 0) return nullptr;
  if (type == 1) {
    M* module = new (std::nothrow) M(callback, host_context);
    return module ? static_cast<void*>(module->Record()) : nullptr;
  }
  if (type == 2) {
    G* gui = new (std::nothrow) G(callback, host_context);
    return gui ? static_cast<void*>(gui->Record()) : nullptr;
  }
  return nullptr;
}

#define SE_MODULE_EXPORTS(ModuleClass, GuiClass, FillInfo)                           \
  SE_EXPORT int32_t getModuleProperties(int32_t index, SEModuleInfo* info) {         \
    if (index != 0 || info == nullptr) return 0;                                     \
    FillInfo(info);                                                                  \
    return 1;                                                                        \
  }                                                                                  \
  SE_EXPORT void* makeModule(int32_t index, int32_t type, SEHostCallback callback,   \
                             void* host_context) {                                   \
    return SEMakeModule<ModuleClass, GuiClass>(index, type, callback, host_context); \
  }

// Signatures of the two exports, as a host looks them up.
typedef int32_t (*SEGetModulePropertiesFn)(int32_t index, SEModuleInfo* info);
typedef void* (*SEMakeModuleFn)(int32_t index, int32_t type, SEHostCallback callback,
                                void* host_context);
