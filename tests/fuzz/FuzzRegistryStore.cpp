// Runs a random sequence of registry operations on the text store and on a plain model of
// it: after every step each value the model holds reads back from the file, byte for byte,
// and every key the model holds exists.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "host/FileRegistryBackend.h"
#include "host/RegDocument.h"
#include "text/CaseFold.h"

namespace {

using namespace stripstock;

// Names that stress the text form: quotes, brackets, "=", ";", blanks, non-ASCII, case.
const char* const kNames[] = {"a",  "A",    "Key", "kEY", "[x]", "k=v",       "\"q\"",
                              ";c", " sp ", "ä",   "Ä",   "@",   "tab\there", "\\\\"};
constexpr std::size_t kNameCount = sizeof kNames / sizeof kNames[0];

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool more() const { return m_pos < m_size; }
    std::uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    std::string bytes(std::size_t n) {
        std::string out;
        while (n-- > 0 && more()) out += static_cast<char>(byte());
        return out;
    }

  private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

struct Model {
    std::set<std::pair<std::uint32_t, std::string>> keys;  // folded paths
    std::map<std::tuple<std::uint32_t, std::string, std::string>, RegDocument::Value> values;
};

std::string KeyPath(Input& in) {
    std::string path = "SOFTWARE";
    const int depth = 1 + in.byte() % 3;
    for (int i = 0; i < depth; ++i) {
        std::string part = kNames[in.byte() % kNameCount];
        if (part == "\\\\") part = "b";  // a separator is no part of a name
        path += "\\" + part;
    }
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Every write is synced: a memory file system keeps the runs fast where there is one.
    static const std::string path =
        ((std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                    : std::filesystem::temp_directory_path()) /
         ("stripstock-fuzz-store-" + std::to_string(::getpid())) / "registry.reg")
            .string();
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(path).parent_path(), ec);
    FileRegistryBackend store(path);
    Model model;
    Input in(data, size);

    for (int step = 0; step < 24 && in.more(); ++step) {
        const std::uint32_t hive = (in.byte() & 1) != 0 ? kHkeyLocalMachine : kHkeyCurrentUser;
        const std::string key = KeyPath(in);
        const std::string fold = UCaseCp1252(key);
        switch (in.byte() % 3) {
            case 0: {
                RegKey handle = 0;
                std::uint32_t disposition = 0;
                if (store.CreateKey(hive, key, "", kAccessAll, handle, disposition) !=
                    kErrorSuccess)
                    std::abort();
                const bool isNew = model.keys.count({hive, fold}) == 0;
                if ((disposition == kRegCreatedNewKey) != isNew) {
                    // A key that lay on the way to another existed already.
                    bool onTheWay = false;
                    for (const auto& [h, k] : model.keys)
                        onTheWay = onTheWay || (h == hive && k.rfind(fold + "\\", 0) == 0);
                    if (!onTheWay || disposition == kRegCreatedNewKey) std::abort();
                }
                store.CloseKey(handle);
                model.keys.insert({hive, fold});
                break;
            }
            case 1: {
                RegKey handle = 0;
                std::uint32_t disposition = 0;
                if (store.CreateKey(hive, key, "", kAccessAll, handle, disposition) !=
                    kErrorSuccess)
                    std::abort();
                model.keys.insert({hive, fold});
                const std::string name = in.byte() % 5 == 0 ? "" : kNames[in.byte() % kNameCount];
                RegDocument::Value value;
                switch (in.byte() % 3) {
                    case 0:
                        value = {kRegSz, in.bytes(in.byte() % 24)};
                        value.data.push_back('\0');
                        break;
                    case 1:
                        value = {kRegDword, in.bytes(4)};
                        value.data.resize(4, '\0');
                        break;
                    default:
                        value = {kRegBinary, in.bytes(in.byte() % 40)};
                }
                if (store.SetValue(handle, name, value.type, value.data) != kErrorSuccess)
                    std::abort();
                store.CloseKey(handle);
                model.values[{hive, fold, UCaseCp1252(name)}] = value;
                break;
            }
            default: {
                RegKey handle = 0;
                if (store.OpenKey(hive, key, kAccessAll, handle) != kErrorSuccess) break;
                const std::string name = kNames[in.byte() % kNameCount];
                const auto it = model.values.find({hive, fold, UCaseCp1252(name)});
                const long rc = store.DeleteValue(handle, name);
                if ((rc == kErrorSuccess) != (it != model.values.end())) std::abort();
                if (it != model.values.end()) model.values.erase(it);
                store.CloseKey(handle);
            }
        }

        // Everything the model holds reads back from the file.
        for (const auto& [where, value] : model.values) {
            const auto& [h, k, n] = where;
            RegKey handle = 0;
            if (store.OpenKey(h, k, kAccessRead, handle) != kErrorSuccess) std::abort();
            std::uint32_t type = 0;
            std::uint32_t bytes = 1 << 20;
            std::string read;
            if (store.QueryValue(handle, n, type, &read, bytes) != kErrorSuccess) std::abort();
            if (type != value.type || read != value.data) std::abort();
            store.CloseKey(handle);
        }
        for (const auto& [h, k] : model.keys) {
            RegKey handle = 0;
            if (store.OpenKey(h, k, kAccessRead, handle) != kErrorSuccess) std::abort();
            store.CloseKey(handle);
        }
    }
    return 0;
}
