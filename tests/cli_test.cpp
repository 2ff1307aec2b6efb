// Runs the built trovik on real files and reads its outputs back with libpcap.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pcap/pcap.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "dump_builder.hpp"

namespace {

using dump_builder::Bytes;
using dump_builder::garbage_line;
using dump_builder::packet;
using dump_builder::pppoe_frame;
using dump_builder::summary_line;

const std::string kBanner =
    "TROVIK - Converts AVM DSL dump into Ethereal dump\nv.1.0 by the trovik developers\n\n";

struct Outcome {
  int status = -1;
  std::string out;
};

// Runs trovik with `args` in `dir`, optionally under a file-size limit with
// SIGXFSZ ignored, so that an over-long write fails instead of killing it.
Outcome run_trovik(const std::string& dir, const std::vector<std::string>& args,
                   rlim_t file_size_limit = RLIM_INFINITY) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return {};
  pid_t pid = fork();
  if (pid == 0) {
    dup2(pipe_fds[1], STDOUT_FILENO);
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    if (chdir(dir.c_str()) != 0) _exit(120);
    if (file_size_limit != RLIM_INFINITY) {
      signal(SIGXFSZ, SIG_IGN);
      struct rlimit limit = {file_size_limit, file_size_limit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::vector<char*> argv = {const_cast<char*>(TROVIK_BINARY)};
    std::transform(args.begin(), args.end(), std::back_inserter(argv),
                   [](const std::string& a) { return const_cast<char*>(a.c_str()); });
    argv.push_back(nullptr);
    execv(TROVIK_BINARY, argv.data());
    _exit(121);
  }
  close(pipe_fds[1]);
  Outcome o;
  char chunk[4096];
  for (ssize_t n; (n = read(pipe_fds[0], chunk, sizeof chunk)) > 0;) {
    o.out.append(chunk, static_cast<std::size_t>(n));
  }
  close(pipe_fds[0]);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  o.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 1000 + WTERMSIG(wstatus);
  return o;
}

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/trovik-cli-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  Outcome trovik(const std::vector<std::string>& args, rlim_t limit = RLIM_INFINITY) {
    return run_trovik(dir_, args, limit);
  }
  void write(const std::string& name, const Bytes& bytes) {
    std::ofstream(path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  Bytes read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool exists(const std::string& name) const {
    struct stat st;
    return lstat(path(name).c_str(), &st) == 0;
  }
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    std::string cmd = "ls -A '" + dir_ + "'";
    FILE* ls = popen(cmd.c_str(), "r");
    char line[256];
    while (ls != nullptr && fgets(line, sizeof line, ls) != nullptr) names.push_back(line);
    if (ls != nullptr) pclose(ls);
    return names;
  }

  std::string dir_;
};

struct PcapRecord {
  bpf_u_int32 caplen;
  bpf_u_int32 len;
  Bytes data;
};

// Every record of a capture file as libpcap reads it; fails the test if
// libpcap cannot read the file to its end.
std::vector<PcapRecord> read_with_libpcap(const std::string& file) {
  std::vector<PcapRecord> records;
  char err[PCAP_ERRBUF_SIZE];
  pcap_t* p = pcap_open_offline(file.c_str(), err);
  EXPECT_NE(p, nullptr) << err;
  if (p == nullptr) return records;
  EXPECT_EQ(pcap_datalink(p), DLT_EN10MB);
  EXPECT_EQ(pcap_snapshot(p), 65535);
  EXPECT_EQ(pcap_major_version(p), 2);
  EXPECT_EQ(pcap_minor_version(p), 4);
  pcap_pkthdr* header;
  const u_char* data;
  int rc;
  while ((rc = pcap_next_ex(p, &header, &data)) == 1) {
    EXPECT_EQ(header->ts.tv_sec, 0);
    EXPECT_EQ(header->ts.tv_usec, 0);
    records.push_back({header->caplen, header->len, Bytes(data, data + header->caplen)});
  }
  EXPECT_EQ(rc, PCAP_ERROR_BREAK) << pcap_geterr(p);
  pcap_close(p);
  return records;
}

// A mixed capture: session frames of many sizes, discovery frames, and every
// seventh packet damaged. The expected records are the frames, empty for the
// damaged ones.
struct Capture {
  Bytes dump;
  std::vector<Bytes> records;
  long lost = 0;
};

Capture mixed_capture(int packets) {
  Capture c;
  std::vector<Bytes> packet_bytes;
  for (int i = 0; i < packets; ++i) {
    Bytes frame;
    if (i % 7 == 6) {
      frame = Bytes(64, static_cast<std::uint8_t>(i));
      frame[12] = 0x08;
      frame[14] = 0x45;
      c.records.emplace_back();
      ++c.lost;
    } else {
      std::size_t payload = static_cast<std::size_t>(i * 97 % 1495);
      frame = pppoe_frame(i % 5 == 0 ? dump_builder::kPppoeDiscovery : dump_builder::kPppoeSession,
                          static_cast<std::uint8_t>(i % 5 == 0 ? 0x09 : 0), 7,
                          Bytes(payload, static_cast<std::uint8_t>(i)));
      c.records.push_back(frame);
    }
    packet_bytes.push_back(packet(frame));
  }
  c.dump = dump_builder::dump(packet_bytes, Bytes(7, 1));
  return c;
}

void expect_records(const std::vector<PcapRecord>& got, const std::vector<Bytes>& expected) {
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].caplen, expected[i].size()) << "record " << i + 1;
    EXPECT_EQ(got[i].len, expected[i].size()) << "record " << i + 1;
    EXPECT_EQ(got[i].data, expected[i]) << "record " << i + 1;
  }
}

TEST_F(Cli, AWrongArgumentCountPrintsTheUsageAndOpensNothing) {
  const std::string usage =
      "Usage: trovik infile outfile\n"
      "       infile  - AVM capture dump\n"
      "       outfile - converted Ethereal dump\n";
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{}, {"in.avm"}, {"in.avm", "out.pcap", "more"}}) {
    Outcome o = trovik(args);
    EXPECT_EQ(o.status, 255) << args.size();
    EXPECT_EQ(o.out, kBanner + usage) << args.size();
  }
  EXPECT_TRUE(entries().empty());
}

TEST_F(Cli, AFileThatCannotBeOpenedEndsTheRun) {
  Outcome o = trovik({"missing.avm", "out.pcap"});
  EXPECT_EQ(o.status, 255);
  EXPECT_EQ(o.out, kBanner + "Could not open 'missing.avm'!\n");
  EXPECT_FALSE(exists("out.pcap"));

  write("in.avm", mixed_capture(3).dump);
  o = trovik({"in.avm", "no/such/dir/out.pcap"});
  EXPECT_EQ(o.status, 255);
  EXPECT_EQ(o.out, kBanner + "Could not open 'no/such/dir/out.pcap'!\n");
}

TEST_F(Cli, ConvertsAMixedCaptureThatLibpcapReadsRecordForRecord) {
  Capture c = mixed_capture(200);
  write("in.avm", c.dump);
  // An older, longer file at the output's place must not leave a trace.
  write("out.pcap", Bytes(1 << 20, 0xee));
  Outcome o = trovik({"in.avm", "out.pcap"});
  EXPECT_EQ(o.status, 0);
  std::string garbage;
  for (int n = 7; n <= 200; n += 7) {
    garbage += garbage_line(n);
  }
  EXPECT_EQ(o.out, kBanner + garbage + summary_line(200, c.lost) + "Done\n");
  expect_records(read_with_libpcap(path("out.pcap")), c.records);
}

TEST_F(Cli, RefusesToOverwriteItsInputWhateverPathLeadsThere) {
  const Bytes input = mixed_capture(5).dump;
  write("in.avm", input);
  ASSERT_EQ(link(path("in.avm").c_str(), path("hard.avm").c_str()), 0);
  ASSERT_EQ(symlink("in.avm", path("soft.avm").c_str()), 0);
  for (const char* out : {"in.avm", "./in.avm", "hard.avm", "soft.avm"}) {
    Outcome o = trovik({"in.avm", out});
    EXPECT_EQ(o.status, 255) << out;
    EXPECT_EQ(o.out, kBanner + "Refusing to overwrite the input file '" + std::string(out) + "'!\n")
        << out;
    EXPECT_EQ(read("in.avm"), input) << out;
  }
}

TEST_F(Cli, ReportsAnInputThatCannotBeRead) {
  ASSERT_EQ(mkdir(path("a-directory").c_str(), 0755), 0);
  Outcome o = trovik({"a-directory", "out.pcap"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, kBanner + "Error while reading 'a-directory'\n" + summary_line(0, 0) + "Done\n");
  EXPECT_EQ(read("out.pcap").size(), 24U);
}

// A full device and a file-size limit both make the output fall short: the
// run must say so, exit 1, and leave a prefix of the whole conversion.
TEST_F(Cli, ReportsAnOutputThatFallsShort) {
  Capture small = mixed_capture(10);
  Capture large = mixed_capture(3000);  // several MiB: fails in the loop, not at the close
  write("small.avm", small.dump);
  write("large.avm", large.dump);
  ASSERT_EQ(trovik({"large.avm", "whole.pcap"}).status, 0);
  const Bytes whole = read("whole.pcap");

  const std::regex in_loop(
      "(Garbage input\\. Have to invalidate output packet [0-9]+\n)*Error [23] occured!\n"
      "[0-9]+ DSL packets found and translated\\. [0-9]+ lost due to garbage in input file\n"
      "Done\n");
  auto failed_in_loop = [&](const Outcome& o) {
    return o.out.compare(0, kBanner.size(), kBanner) == 0 &&
           std::regex_match(o.out.substr(kBanner.size()), in_loop);
  };
  const std::string small_garbage = garbage_line(7);

  Outcome o = trovik({"large.avm", "/dev/full"});
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(failed_in_loop(o)) << o.out;

  o = trovik({"small.avm", "/dev/full"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, kBanner + small_garbage + summary_line(10, 1) +
                       "Error while writing '/dev/full'\nDone\n");

  o = trovik({"large.avm", "limited.pcap"}, 1000000);
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(failed_in_loop(o)) << o.out;
  Bytes limited = read("limited.pcap");
  EXPECT_LE(limited.size(), 1000000U);
  EXPECT_GT(limited.size(), 0U);
  EXPECT_EQ(limited, dump_builder::slice(whole, 0, limited.size()));

  o = trovik({"small.avm", "limited.pcap"}, 100);
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, kBanner + small_garbage + summary_line(10, 1) +
                       "Error while writing 'limited.pcap'\nDone\n");
  EXPECT_EQ(read("limited.pcap"), dump_builder::slice(whole, 0, 100));
}

TEST_F(Cli, TheExampleIsWhatItsGeneratorMakesAndConvertsCleanly) {
  ASSERT_EQ(
      std::system((std::string(MAKE_DUMP_BINARY) + " example '" + path("fresh.avm") + "'").c_str()),
      0);
  std::ifstream committed(EXAMPLE_DUMP, std::ios::binary);
  EXPECT_EQ(read("fresh.avm"),
            Bytes(std::istreambuf_iterator<char>(committed), std::istreambuf_iterator<char>()));
  Outcome o = trovik({"fresh.avm", "example.pcap"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, kBanner + garbage_line(6) + summary_line(8, 1) + "Done\n");
  std::vector<PcapRecord> records = read_with_libpcap(path("example.pcap"));
  ASSERT_EQ(records.size(), 8U);
  for (std::size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(records[i].caplen == 0, i == 5) << "record " << i + 1;
  }
}

}  // namespace
