// Writes AVM capture dumps to try trovik on.
//
//   make_dump example OUT   the small dump in examples/: a PPPoE discovery,
//                           an LCP request, a ping, one damaged packet, a tail
#include <cstdio>
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

Bytes discovery(std::uint8_t code, std::uint16_t session, const std::vector<Bytes>& tags) {
  Bytes payload;
  for (const Bytes& t : tags) dump_builder::append(payload, t);
  return dump_builder::pppoe_frame(dump_builder::kPppoeDiscovery, code, session, payload);
}

std::uint16_t ip_checksum(const Bytes& bytes, std::size_t from, std::size_t n) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < n; i += 2) {
    sum +=
        static_cast<std::uint32_t>(bytes[from + i] << 8) | (i + 1 < n ? bytes[from + i + 1] : 0u);
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
          packet(discovery(0x09, 0, {tag(kServiceName, ""), tag(kHostUniq, "trvk")})),  // PADI
          packet(discovery(0x07, 0,
                           {tag(kServiceName, ""), tag(kAcName, "example-ac"),
                            tag(kHostUniq, "trvk")})),                                  // PADO
          packet(discovery(0x19, 0, {tag(kServiceName, ""), tag(kHostUniq, "trvk")})),  // PADR
          packet(
              discovery(0x65, session, {tag(kServiceName, ""), tag(kHostUniq, "trvk")})),  // PADS
          packet(lcp_configure_request(session)),
          packet(garbage),
          packet(ping(session, 1)),
          packet(ping(session, 2)),
      },
      dump_builder::concat({dump_builder::block(0x5a), Bytes{1, 2, 3, 4, 5}}));
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
  std::fprintf(stderr, "usage: make_dump example OUT\n");
  return 2;
}
