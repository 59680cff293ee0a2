#pragma once

#ifdef _WIN32

#include <memory>
#include <string>

#include "host/RegistryBackend.h"

namespace stripstock::test {

// Redirects this process's HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER to two fresh keys below
// HKEY_CURRENT_USER\Software\StripStockTest\<name>, so a test runs on the real registry with
// the real hive handles, needs no administrator rights and leaves nothing behind: the
// redirection ends and the keys are deleted with the object.
class ScratchHives {
  public:
    explicit ScratchHives(const std::string& name);
    ~ScratchHives();
    ScratchHives(const ScratchHives&) = delete;
    ScratchHives& operator=(const ScratchHives&) = delete;

    bool ok() const { return m_ok; }

  private:
    std::string m_root;
    bool m_ok = false;
};

// The Win32 backend over scratch hives named after the running test; they live as long as the
// backend does.
std::shared_ptr<RegistryBackend> MakeScratchWin32Backend();

}  // namespace stripstock::test

#endif  // _WIN32
