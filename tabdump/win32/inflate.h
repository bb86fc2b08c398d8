// Inflating the "deflate" data of zip archives, for the Windows build of
// tabdump, where no zlib is at hand. Only what reading a workbook needs: one
// whole stream into memory, its size known beforehand.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tabdump::win32 {

// The data `deflated` stands for, which must be exactly `size` bytes long;
// nullopt for damaged data, for data that would grow beyond `size`, and for
// data that ends early.
std::optional<std::string> Inflate(std::string_view deflated, size_t size);

}  // namespace tabdump::win32
