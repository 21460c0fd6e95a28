#include "dynamic_library.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace modhost {

DynamicLibrary::~DynamicLibrary() {
  if (!m_handle) return;
#if defined(_WIN32)
  FreeLibrary(static_cast<HMODULE>(m_handle));
#else
  dlclose(m_handle);
#endif
}

std::string DynamicLibrary::NativePath(const std::string& path) {
#if defined(_WIN32)
  std::string native = path;
  if (!native.empty() && native[0] == '/') native = "Z:" + native;
  for (char& c : native) {
    if (c == '/') c = '\\';
  }
  return native;
#else
  return path;
#endif
}

bool DynamicLibrary::Open(const std::string& path, std::string* error) {
#if defined(_WIN32)
  // No message boxes for a missing dependency: the error is reported here.
  const UINT old_mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE handle = LoadLibraryA(NativePath(path).c_str());
  SetErrorMode(old_mode);
  if (!handle) {
    if (error) *error = "cannot load (Windows error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  m_handle = handle;
#else
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* reason = dlerror();
    if (error) *error = reason ? reason : "cannot load";
    return false;
  }
  m_handle = handle;
#endif
  return true;
}

void* DynamicLibrary::Symbol(const char* name) const {
  if (!m_handle) return nullptr;
#if defined(_WIN32)
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m_handle), name));
#else
  return dlsym(m_handle, name);
#endif
}

}  // namespace modhost
