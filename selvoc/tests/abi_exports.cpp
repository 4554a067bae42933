#include "abi_exports.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <vector>

namespace abi_test {
namespace {

std::vector<char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A copy of the structure at `offset`, or false when the file is too short for it.
template <typename T>
bool readAt(const std::vector<char>& bytes, uint64_t offset, T& out) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof out) return false;
    std::memcpy(&out, bytes.data() + offset, sizeof out);
    return true;
}

bool isExportedCSymbol(const Elf64_Sym& symbol, const char* name) {
    const unsigned binding = ELF64_ST_BIND(symbol.st_info);
    const unsigned type = ELF64_ST_TYPE(symbol.st_info);
    return symbol.st_shndx != SHN_UNDEF && (binding == STB_GLOBAL || binding == STB_WEAK) &&
           (type == STT_FUNC || type == STT_OBJECT) &&
           ELF64_ST_VISIBILITY(symbol.st_other) == STV_DEFAULT && name[0] != '\0' &&
           name[0] != '_';
}

// The names of the symbol table `table`, whose strings are in section `strings`.
void collectSymbols(const std::vector<char>& bytes, const Elf64_Shdr& table,
                    const Elf64_Shdr& strings, std::set<std::string>& names) {
    if (table.sh_entsize != sizeof(Elf64_Sym)) return;
    for (uint64_t i = 0; i < table.sh_size / sizeof(Elf64_Sym); ++i) {
        Elf64_Sym symbol{};
        if (!readAt(bytes, table.sh_offset + i * sizeof(Elf64_Sym), symbol)) return;
        if (symbol.st_name >= strings.sh_size) continue;
        const uint64_t at = strings.sh_offset + symbol.st_name;
        if (at >= bytes.size()) continue;
        const char* name = bytes.data() + at;
        const size_t length = strnlen(name, bytes.size() - at);
        if (at + length == bytes.size()) continue;  // no terminating zero inside the file
        if (isExportedCSymbol(symbol, name)) names.insert(name);
    }
}

}  // namespace

std::set<std::string> declaredExports(const std::string& header, const std::string& macro) {
    std::ifstream in(header);
    // The name is the last identifier before "(" or ";" on the declaring line.
    const std::regex declaration("^" + macro + R"(\s+[^(;]*?\b([A-Za-z]\w*)\s*[(;])");
    std::set<std::string> names;
    std::string line;
    while (std::getline(in, line)) {
        std::smatch match;
        if (std::regex_search(line, match, declaration)) names.insert(match[1]);
    }
    return names;
}

std::set<std::string> exportedCNames(const std::string& library) {
    const std::vector<char> bytes = fileBytes(library);
    Elf64_Ehdr header{};
    if (!readAt(bytes, 0, header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_shentsize != sizeof(Elf64_Shdr)) {
        return {};
    }
    std::set<std::string> names;
    for (uint16_t i = 0; i < header.e_shnum; ++i) {
        Elf64_Shdr section{};
        if (!readAt(bytes, header.e_shoff + uint64_t{i} * sizeof section, section)) return {};
        if (section.sh_type != SHT_DYNSYM) continue;
        Elf64_Shdr strings{};
        if (section.sh_link >= header.e_shnum ||
            !readAt(bytes, header.e_shoff + uint64_t{section.sh_link} * sizeof strings, strings)) {
            return {};
        }
        collectSymbols(bytes, section, strings, names);
    }
    return names;
}

}  // namespace abi_test
