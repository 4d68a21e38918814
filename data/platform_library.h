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

// Clears the upper halves of the vector registers. Library code compiled for newer
// instruction sets may leave them in use, and until they are cleared every older vector
// instruction of SQLite and of this program runs markedly slower. Cheap: call it before
// long loops.
void ClearUpperVectorState();

}  // namespace orvek3::platform
