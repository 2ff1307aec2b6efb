// What the copies trovik's design asks of every byte cost on their own, as a
// floor for the benchmark: the input read in 256 KiB chunks, each piece of
// the size of an average packet copied into a 32 KiB packet buffer and from
// there into a 256 KiB output buffer, which is written when full. Nothing is
// scanned and no record header is made, so the output is not a conversion
// and is not checked; only its time means anything.
//
//   copy_floor IN OUT
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t kChunk = std::size_t{256} * 1024;
// 51 blocks: the mean packet of the generated busy-line capture.
constexpr std::size_t kPiece = std::size_t{51} * 16;

unsigned char in_buffer[kChunk];
unsigned char packet[32768];
unsigned char out_buffer[kChunk];

bool write_all(int fd, const unsigned char* bytes, std::size_t n) {
  while (n > 0) {
    ssize_t put = ::write(fd, bytes, n);
    if (put <= 0) return false;
    bytes += put;
    n -= static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: copy_floor IN OUT\n");
    return 2;
  }
  int in = ::open(argv[1], O_RDONLY);
  int out = ::open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (in < 0 || out < 0) return 1;
  std::size_t used = 0;
  for (;;) {
    ssize_t got = ::read(in, in_buffer, kChunk);
    if (got < 0) return 1;
    if (got == 0) break;
    auto n = static_cast<std::size_t>(got);
    for (std::size_t at = 0; at < n; at += kPiece) {
      std::size_t piece = n - at < kPiece ? n - at : kPiece;
      std::memcpy(packet, in_buffer + at, piece);
      if (used + piece > kChunk) {
        if (!write_all(out, out_buffer, used)) return 1;
        used = 0;
      }
      std::memcpy(out_buffer + used, packet, piece);
      used += piece;
    }
  }
  if (!write_all(out, out_buffer, used)) return 1;
  return ::close(out) == 0 ? 0 : 1;
}
