#include "RegistryBackends.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace stripstock::test {

#ifdef _WIN32

namespace {

constexpr const char* kScratchParent = "Software\\StripStockTest";

// A key name from the running test's name, unique per process.
std::string CurrentTestKeyName() {
    std::string name = "test";
    if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info())
        name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '.') c = '_';
    }
    return name + "-" + std::to_string(GetCurrentProcessId());
}

HKEY CreateScratchKey(const std::string& path) {
    HKEY key = nullptr;
    return RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS
               ? key
               : nullptr;
}

// The redirected hives and the backend over them; the redirection ends with the object.
struct Scratch {
    Scratch() : root(std::string(kScratchParent) + "\\" + CurrentTestKeyName()) {
        RegDeleteTreeA(HKEY_CURRENT_USER, root.c_str());  // left over from an aborted run
        // Both scratch keys are made below the real HKEY_CURRENT_USER before either is
        // redirected.
        HKEY machine = CreateScratchKey(root + "\\HKLM");
        HKEY user = CreateScratchKey(root + "\\HKCU");
        EXPECT_TRUE(machine != nullptr && user != nullptr &&
                    RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine) == ERROR_SUCCESS &&
                    RegOverridePredefKey(HKEY_CURRENT_USER, user) == ERROR_SUCCESS)
            << "cannot redirect the hives to scratch keys";
        // The redirection keeps handles of its own.
        if (machine != nullptr) RegCloseKey(machine);
        if (user != nullptr) RegCloseKey(user);
        backend = MakeWin32RegistryBackend();
    }
    ~Scratch() {
        backend.reset();
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        RegDeleteTreeA(HKEY_CURRENT_USER, root.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, kScratchParent);  // only if no other test still uses it
    }

    std::string root;
    std::shared_ptr<RegistryBackend> backend;
};

}  // namespace

std::shared_ptr<RegistryBackend> MakeScratchWin32Backend() {
    auto scratch = std::make_shared<Scratch>();
    // Shares ownership of the scratch: the hives go back when the last user lets go.
    return std::shared_ptr<RegistryBackend>(scratch, scratch->backend.get());
}

#endif  // _WIN32

std::vector<BackendCase> AllBackends() {
    std::vector<BackendCase> cases;
    cases.push_back({"File", [](const TempDir& dir) {
                         return MakeFileRegistryBackend(dir.file("store/registry.reg"));
                     }});
#ifdef _WIN32
    cases.push_back({"Win32", [](const TempDir&) { return MakeScratchWin32Backend(); }});
#endif
    return cases;
}

void StoreValue(RegistryBackend& backend, std::uint32_t hive, const std::string& key,
                const std::string& name, std::uint32_t type, const std::string& data) {
    RegKey handle = 0;
    std::uint32_t disposition = 0;
    ASSERT_EQ(backend.CreateKey(hive, key, "", kAccessAll, handle, disposition), kErrorSuccess);
    EXPECT_EQ(backend.SetValue(handle, name, type, data), kErrorSuccess);
    backend.CloseKey(handle);
}

std::string KeyClass(RegistryBackend& backend, const std::string& key) {
    RegKey handle = 0;
    EXPECT_EQ(backend.OpenKey(kHkeyLocalMachine, key, kAccessRead, handle), kErrorSuccess);
    std::string className = "(unset)";
    EXPECT_EQ(backend.QueryKeyClass(handle, className), kErrorSuccess);
    backend.CloseKey(handle);
    return className;
}

}  // namespace stripstock::test
