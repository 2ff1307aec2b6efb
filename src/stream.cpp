#include "stream.hpp"

namespace trovik {

std::size_t InputStream::read_across_chunks(std::uint8_t* dst, std::size_t n) {
  std::size_t got = 0;
  while (got < n) {
    if (cursor_ == limit_ && !refill()) break;
    std::size_t take = static_cast<std::size_t>(limit_ - cursor_);
    if (take > n - got) take = n - got;
    std::memcpy(dst + got, cursor_, take);
    cursor_ += take;
    got += take;
  }
  return got;
}

}  // namespace trovik
