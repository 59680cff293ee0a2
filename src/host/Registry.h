#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/RegistryBackend.h"

namespace stripstock {

// The registry operations the program relies on, with their exact results, written once
// over any backend.
class Registry {
  public:
    explicit Registry(std::shared_ptr<RegistryBackend> backend);

    bool RegKeyExists(std::uint32_t hive, const std::string& key) const;
    // value is in/out: it keeps the caller's default unless a non-empty value was read.
    bool RegReadValue(std::uint32_t hive, const std::string& key, const std::string& name,
                      std::string& value) const;
    // True only when the key was newly created.
    bool RegAddKey(std::uint32_t hive, const std::string& key, const std::string& className);
    // Creates a missing key with the class "string"; an empty value is stored as " ".
    bool RegWriteString(std::uint32_t hive, const std::string& key, const std::string& name,
                        const std::string& value);
    // A number is stored as its decimal text.
    bool RegWriteString(std::uint32_t hive, const std::string& key, const std::string& name,
                        int value);
    // Fills names with the subkey names of hive\path, indexed from 0; unchanged on failure.
    void GetAllKeys(std::uint32_t hive, const std::string& path,
                    std::vector<std::string>& names) const;

    RegistryBackend& backend() const { return *m_backend; }

  private:
    std::shared_ptr<RegistryBackend> m_backend;
};

// Strips characters with codes below 20 and blanks from both ends of registry text.
std::string vtrim(std::string text);

}  // namespace stripstock
