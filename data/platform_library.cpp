#include "platform_library.h"

#include <dlfcn.h>

namespace orvek3::platform {

void* LoadSharedLibrary(const std::string& path) {
  if (path.empty()) return nullptr;
  // dlopen searches the system folders for a name without a slash.
  const std::string name = path.find('/') == std::string::npos ? "./" + path : path;
  return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindSymbol(void* library, const char* name) {
  if (library == nullptr) return nullptr;
  return dlsym(library, name);
}

void UnloadSharedLibrary(void* library) {
  if (library != nullptr) dlclose(library);
}

void ClearUpperVectorState() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  static const bool avx = __builtin_cpu_supports("avx");
  if (avx) __asm__ volatile("vzeroupper" ::: "memory");
#endif
}

}  // namespace orvek3::platform
