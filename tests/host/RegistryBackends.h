#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "host/RegistryBackend.h"
#include "support/TempDir.h"

namespace stripstock::test {

// A registry backend as the tests meet it: make() hands out a fresh, empty registry whose
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER belong to this one test.
struct BackendCase {
    std::string name;
    std::function<std::shared_ptr<RegistryBackend>(const TempDir&)> make;
};

inline void PrintTo(const BackendCase& c, std::ostream* os) { *os << c.name; }

// The text store on every platform; on Windows also the Win32 registry, redirected to scratch
// keys (see MakeScratchWin32Backend).
std::vector<BackendCase> AllBackends();

#ifdef _WIN32
// The Win32 backend with this process's HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER redirected to
// two fresh keys below HKEY_CURRENT_USER\Software\StripStockTest\<running test>, so a test runs
// on the real registry with the real hive handles, needs no administrator rights and leaves
// nothing behind: the redirection ends and the keys are deleted with the backend.
std::shared_ptr<RegistryBackend> MakeScratchWin32Backend();
#endif

// Stores a value exactly as given, creating the key: no NUL added, no blank for "".
void StoreValue(RegistryBackend& backend, std::uint32_t hive, const std::string& key,
                const std::string& name, std::uint32_t type, const std::string& data);

// The class of a key below HKEY_LOCAL_MACHINE.
std::string KeyClass(RegistryBackend& backend, const std::string& key);

}  // namespace stripstock::test
