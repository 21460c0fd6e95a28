// A shared library opened by path: dlopen on Linux, LoadLibraryA on Windows.
#pragma once

#include <string>

namespace modhost {

class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  ~DynamicLibrary();
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // False with a readable reason when the file cannot be loaded.
  bool Open(const std::string& path, std::string* error);
  // Null when the library has no such export.
  void* Symbol(const char* name) const;
  bool IsOpen() const { return m_handle != nullptr; }

  // A path as the platform loader wants it: on Windows a Unix absolute path
  // becomes a drive Z: path (Wine maps "/" there).
  static std::string NativePath(const std::string& path);

 private:
  void* m_handle = nullptr;
};

}  // namespace modhost
