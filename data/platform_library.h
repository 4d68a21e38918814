// Loading a shared library at run time; the only place that knows the platform's calls.
#pragma once

#include <string>

namespace orvek3::platform {

// The library at the path, or nullptr. A bare name is taken relative to the current
// folder, never from the system's search path, so it is the file that was tested for.
void* LoadSharedLibrary(const std::string& path);
// The address of an exported symbol, or nullptr.
void* FindSymbol(void* library, const char* name);
void UnloadSharedLibrary(void* library);

}  // namespace orvek3::platform
