// Writes AVM capture dumps to try trovik on.
//
//   make_dump example OUT   the small dump in examples/: a PPPoE discovery,
//                           an LCP request, a ping, one damaged packet, a tail
//   make_dump bench MIB SEED OUT [LIST]
//                           about MIB MiB of busy-line traffic, the same for
//                           the same seed; prints what trovik's output of it
//                           must be: its record count, and its CRC and size
//                           as cksum(1) prints them. LIST gets a line for each
//                           record: its length and its kind (D for PPPoE
//                           discovery, S for session, G for an invalidated
//                           packet, whose record is empty)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dump_builder.hpp"

namespace {

using dump_builder::Bytes;
using dump_builder::put16;

Bytes tag(unsigned type, const std::string& value) {
  Bytes out;
  put16(out, type);
  put16(out, static_cast<unsigned>(value.size()));
  out.insert(out.end(), value.begin(), value.end());
  return out;
}

constexpr unsigned kServiceName = 0x0101;
constexpr unsigned kAcName = 0x0102;
constexpr unsigned kHostUniq = 0x0103;

Bytes discovery_frame(std::uint8_t code, std::uint16_t session, const std::vector<Bytes>& tags) {
  Bytes payload;
  for (const Bytes& t : tags) dump_builder::append(payload, t);
  return dump_builder::pppoe_frame(dump_builder::kPppoeDiscovery, code, session, payload);
}

std::uint16_t ip_checksum(const Bytes& bytes, std::size_t from, std::size_t n) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < n; i += 2) {
    sum +=
        static_cast<std::uint32_t>(bytes[from + i] << 8) | (i + 1 < n ? bytes[from + i + 1] : 0U);
  }
  while (sum >> 16) sum = (sum & 0xffff) + (sum >> 16);
  return static_cast<std::uint16_t>(~sum);
}

// An ICMP echo request from 10.0.0.2 to 10.0.0.1 inside PPP inside PPPoE.
Bytes ping(std::uint16_t session, std::uint16_t sequence) {
  Bytes ip = {0x45, 0x00, 0, 0, 0x12, 0x34, 0x40, 0x00, 64, 1, 0, 0, 10, 0, 0, 2, 10, 0, 0, 1};
  Bytes icmp = {8, 0, 0, 0, 0x00, 0x01, 0, 0};
  icmp[6] = static_cast<std::uint8_t>(sequence >> 8);
  icmp[7] = static_cast<std::uint8_t>(sequence);
  for (int i = 0; i < 32; ++i) icmp.push_back(static_cast<std::uint8_t>('a' + i % 23));
  std::uint16_t c = ip_checksum(icmp, 0, icmp.size());
  icmp[2] = static_cast<std::uint8_t>(c >> 8);
  icmp[3] = static_cast<std::uint8_t>(c);
  std::size_t total = ip.size() + icmp.size();
  ip[2] = static_cast<std::uint8_t>(total >> 8);
  ip[3] = static_cast<std::uint8_t>(total);
  c = ip_checksum(ip, 0, ip.size());
  ip[10] = static_cast<std::uint8_t>(c >> 8);
  ip[11] = static_cast<std::uint8_t>(c);
  Bytes ppp = {0x00, 0x21};
  dump_builder::append(ppp, ip);
  dump_builder::append(ppp, icmp);
  return dump_builder::pppoe_frame(dump_builder::kPppoeSession, 0x00, session, ppp);
}

Bytes lcp_configure_request(std::uint16_t session) {
  Bytes ppp = {0xc0, 0x21, 0x01, 0x01, 0x00, 0x0e,   // LCP, Configure-Request, id 1, length 14
               0x01, 0x04, 0x05, 0xd4,               // MRU 1492
               0x05, 0x06, 0x12, 0x34, 0x56, 0x78};  // magic number
  return dump_builder::pppoe_frame(dump_builder::kPppoeSession, 0x00, session, ppp);
}

Bytes example() {
  using dump_builder::packet;
  const std::uint16_t session = 0x2a01;
  Bytes garbage(40);
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<std::uint8_t>(i * 7);
  return dump_builder::dump(
      {
          packet(
              discovery_frame(0x09, 0, {tag(kServiceName, ""), tag(kHostUniq, "trvk")})),  // PADI
          packet(discovery_frame(0x07, 0,
                                 {tag(kServiceName, ""), tag(kAcName, "example-ac"),
                                  tag(kHostUniq, "trvk")})),  // PADO
          packet(
              discovery_frame(0x19, 0, {tag(kServiceName, ""), tag(kHostUniq, "trvk")})),  // PADR
          packet(discovery_frame(0x65, session,
                                 {tag(kServiceName, ""), tag(kHostUniq, "trvk")})),  // PADS
          packet(lcp_configure_request(session)),
          packet(garbage),
          packet(ping(session, 1)),
          packet(ping(session, 2)),
      },
      dump_builder::concat({dump_builder::block(0x5a), Bytes{1, 2, 3, 4, 5}}));
}

// POSIX cksum: CRC-32, polynomial 0x04C11DB7, most significant bit first,
// over the data and then its length, complemented.
class Cksum {
 public:
  Cksum() {
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i << 24;
      for (int k = 0; k < 8; ++k) c = (c & 0x80000000U) ? (c << 1) ^ 0x04c11db7U : c << 1;
      table_[i] = c;
    }
  }
  void add(const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) crc_ = (crc_ << 8) ^ table_[(crc_ >> 24) ^ p[i]];
    size_ += n;
  }
  std::uint32_t value() const {
    std::uint32_t crc = crc_;
    for (std::uint64_t n = size_; n != 0; n >>= 8) {
      crc = (crc << 8) ^ table_[(crc >> 24) ^ (n & 0xff)];
    }
    return ~crc;
  }
  std::uint64_t size() const { return size_; }

 private:
  std::uint32_t table_[256];
  std::uint32_t crc_ = 0;
  std::uint64_t size_ = 0;
};

// splitmix64: small, fast, and the same sequence on every host.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15U);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9U;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebU;
    return z ^ (z >> 31);
  }
  std::size_t between(std::size_t low, std::size_t high) {
    return low + static_cast<std::size_t>(next() % (high - low + 1));
  }

 private:
  std::uint64_t state_;
};

// A busy line: 45% small frames of 60 to 90 bytes (acknowledgements, DNS),
// 45% full 1,514-byte frames, the rest in between; a PPPoE discovery now and
// then, and one packet in 500 that is no PPPoE frame and gets invalidated.
int bench(std::uint64_t mib, std::uint64_t seed, const char* path, const char* list_path) {
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return 1;
  std::FILE* list = list_path != nullptr ? std::fopen(list_path, "w") : nullptr;
  if (list_path != nullptr && list == nullptr) {
    std::fclose(f);
    return 1;
  }
  static char stream_buffer[1 << 20];
  std::setvbuf(f, stream_buffer, _IOFBF, sizeof stream_buffer);
  Random random(seed);
  Cksum output;
  bool ok = true;
  auto put = [&](const Bytes& b) { ok = ok && std::fwrite(b.data(), 1, b.size(), f) == b.size(); };
  const Bytes file_header = dump_builder::pcap_file_header();
  output.add(file_header.data(), file_header.size());
  Bytes header = dump_builder::dump_header();
  put(header);
  const std::uint64_t target = mib << 20;
  std::uint64_t written = header.size();
  std::uint64_t records = 0;
  Bytes payload;
  while (written < target && ok) {
    std::uint64_t pick = random.next() % 100;
    std::size_t size = pick < 45   ? random.between(60, 90)
                       : pick < 90 ? 1514
                                   : random.between(91, 1513);
    payload.resize(size - 20);
    for (std::size_t i = 0; i < payload.size(); i += 8) {
      std::uint64_t r = random.next();
      for (std::size_t k = 0; k < 8 && i + k < payload.size(); ++k) {
        payload[i + k] = static_cast<std::uint8_t>(r >> (8 * k));
      }
    }
    std::uint64_t kind = random.next() % 1000;
    bool discovery = kind < 10;
    bool garbage = kind >= 998;
    Bytes frame = dump_builder::pppoe_frame(
        discovery ? dump_builder::kPppoeDiscovery : dump_builder::kPppoeSession,
        discovery ? 0x09 : 0x00, discovery ? 0 : 0x2a01, payload);
    if (garbage) {
      frame[12] = 0x08;  // IPv4 straight over Ethernet: not what a DSL line carries
      frame[14] = 0x45;
    }
    Bytes p = dump_builder::packet(frame);
    put(p);
    written += p.size();
    Bytes record = dump_builder::pcap_record(garbage ? Bytes{} : frame);
    output.add(record.data(), record.size());
    if (list != nullptr) {
      std::fprintf(list, "%zu %c\n", record.size() - 16, garbage ? 'G' : discovery ? 'D' : 'S');
    }
    ++records;
  }
  ok = std::fclose(f) == 0 && ok;
  if (list != nullptr) ok = std::fclose(list) == 0 && ok;
  if (!ok) return 1;
  std::printf("%llu %lu %llu\n", static_cast<unsigned long long>(records),
              static_cast<unsigned long>(output.value()),
              static_cast<unsigned long long>(output.size()));
  return 0;
}

bool write_file(const char* path, const Bytes& bytes) {
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "example") == 0) {
    if (write_file(argv[2], example())) return 0;
    std::fprintf(stderr, "make_dump: cannot write %s\n", argv[2]);
    return 1;
  }
  if ((argc == 5 || argc == 6) && std::strcmp(argv[1], "bench") == 0) {
    if (bench(std::strtoull(argv[2], nullptr, 10), std::strtoull(argv[3], nullptr, 10), argv[4],
              argc == 6 ? argv[5] : nullptr) == 0) {
      return 0;
    }
    std::fprintf(stderr, "make_dump: cannot write %s\n", argv[4]);
    return 1;
  }
  std::fprintf(stderr, "usage: make_dump example OUT | make_dump bench MIB SEED OUT [LIST]\n");
  return 2;
}
