// The exports of a C library as two sources tell them: the declarations of its public header and
// the dynamic symbol table of the shared library itself. The C ABI tests compare both with the
// exports their case tables cover, so that an export added later cannot go untested.
#pragma once

#include <set>
#include <string>

namespace abi_test {

// Every function and variable that `header` declares with the visibility macro `macro` (a line
// beginning with it, as "KAVEX_API int32_t InitCOMM(" or "SELVOC_API extern int hComId;").
// Empty when the file cannot be read.
std::set<std::string> declaredExports(const std::string& header, const std::string& macro);

// The C names the ELF shared library `library` exports: defined functions and objects of global
// or weak binding and default visibility in its dynamic symbol table, except the names beginning
// with "_" (C++ mangled names and the tool chain's own). Empty when the file is no 64-bit ELF
// file.
std::set<std::string> exportedCNames(const std::string& library);

}  // namespace abi_test
