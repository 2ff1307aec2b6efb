// The calls on an open file that differ by platform and that the common part
// of the file streams (file_stream.cpp) needs. Each backing defines them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "file_stream.hpp"

namespace trovik {

// Passes up to n bytes to the file and returns how many it took; 0 when the
// write failed. An interrupted call is retried here, not reported.
std::size_t write_some(NativeFile file, const std::uint8_t* src, std::size_t n);

// Releases the file. False if that failed, as when the last bytes could not
// be stored.
bool close_file(NativeFile file);

}  // namespace trovik
