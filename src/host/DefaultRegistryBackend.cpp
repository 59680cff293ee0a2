#include "host/RegistryBackend.h"

namespace stripstock {

std::shared_ptr<RegistryBackend> MakeDefaultRegistryBackend() {
#ifdef _WIN32
    return MakeWin32RegistryBackend();
#else
    return MakeFileRegistryBackend(DefaultRegistryPath());
#endif
}

}  // namespace stripstock
