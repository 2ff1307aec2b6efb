// The same conversion written the obvious way on stdio, as a baseline for the
// benchmark: what trovik's own streams are measured against.
//
//   stdio_convert [--tuned] IN OUT
//
// Plain: default stream buffers, one locked 16-byte fread per block.
// --tuned: 1 MiB stream buffers of its own and unlocked reads.
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

const unsigned char kSeparator[16] = {'d', 's', 'l'};
const unsigned char kFileHeader[24] = {0xd4, 0xc3, 0xb2, 0xa1, 2,    0,    4, 0, 0, 0, 0, 0,
                                       0,    0,    0,    0,    0xff, 0xff, 0, 0, 1, 0, 0, 0};
unsigned char packet[32768];
char in_buffer[1 << 20];
char out_buffer[1 << 20];

bool tuned = false;

std::size_t read_block(unsigned char* to, std::FILE* in) {
  return tuned ? fread_unlocked(to, 1, 16, in) : std::fread(to, 1, 16, in);
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  if (argc == 4 && std::strcmp(argv[1], "--tuned") == 0) {
    tuned = true;
    first = 2;
  } else if (argc != 3) {
    std::fprintf(stderr, "usage: stdio_convert [--tuned] IN OUT\n");
    return 2;
  }
  std::FILE* in = std::fopen(argv[first], "rb");
  std::FILE* out = std::fopen(argv[first + 1], "wb");
  if (in == nullptr || out == nullptr) return 1;
  if (tuned) {
    std::setvbuf(in, in_buffer, _IOFBF, sizeof in_buffer);
    std::setvbuf(out, out_buffer, _IOFBF, sizeof out_buffer);
  }
  bool ok = std::fwrite(kFileHeader, 1, 24, out) == 24;
  ok = ok && std::fread(packet, 1, 128, in) == 128;
  while (ok) {
    bool complete = false;
    for (std::size_t at = 0; at < sizeof packet && !complete; at += 16) {
      if (read_block(packet + at, in) != 16) break;
      complete = std::memcmp(packet + at, kSeparator, 16) == 0;
    }
    if (!complete) break;
    std::uint32_t length = (packet[18] << 8 | packet[19]) + 20U;
    bool valid = (packet[12] == 0x88 || packet[14] == 0x11) && length <= sizeof packet;
    unsigned char header[16] = {};
    for (int k = 0; valid && k < 4; ++k) {
      header[8 + k] = header[12 + k] = static_cast<unsigned char>(length >> (8 * k));
    }
    ok = std::fwrite(header, 1, 16, out) == 16 &&
         (!valid || std::fwrite(packet, 1, length, out) == length);
  }
  std::fclose(in);
  return std::fclose(out) == 0 && ok ? 0 : 1;
}
