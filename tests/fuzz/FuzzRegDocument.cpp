// Feeds arbitrary text to the .reg parser: reading never crashes, an unchanged document renders
// to exactly the text it was read from, and a value set on it reads back after a new parse.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/RegDocument.h"
#include "host/RegistryBackend.h"

using stripstock::RegDocument;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    RegDocument doc = RegDocument::Parse(text);
    if (doc.Render() != text) std::abort();  // lines and their endings are kept as read

    // Every key the text names can be looked at; the first value name of the text (or "x")
    // is set on a key and must read back after the document is rendered and read again.
    for (const std::uint32_t hive : {stripstock::kHkeyLocalMachine, stripstock::kHkeyCurrentUser}) {
        const auto subKeys = doc.SubKeys(hive, "");
        for (const auto& key : subKeys) {
            (void)doc.KeyClass(hive, key);
            (void)doc.FindValue(hive, key, "");
        }
    }
    const std::string name = text.substr(0, std::min<std::size_t>(text.size() % 17, text.size()));
    const auto path = RegDocument::NormalizePath("SOFTWARE\\Fuzz\\" + name);
    if (!path) return 0;
    const RegDocument::Value value{stripstock::kRegSz, text.substr(text.size() / 2) + '\0'};
    doc.CreateKey(stripstock::kHkeyLocalMachine, *path, "string");
    doc.SetValue(stripstock::kHkeyLocalMachine, *path, name, value);
    const RegDocument again = RegDocument::Parse(doc.Render());
    const auto back = again.FindValue(stripstock::kHkeyLocalMachine, *path, name);
    if (!back || *back != value) std::abort();
    return 0;
}
