// The file backing of this platform, on real files: the same tests run on
// every platform the tool is built for.
#include "file_stream.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace trovik {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class FileStreams : public ::testing::Test {
 protected:
  void SetUp() override {
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ = fs::temp_directory_path() / ("trovik-file-stream-" + std::to_string(stamp));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // The path of `name` inside the test's directory, in UTF-8 as the streams take it.
  std::string path(const std::string& name) const { return (dir_ / fs::u8path(name)).u8string(); }
  void write(const std::string& name, const Bytes& bytes) const {
    std::ofstream(fs::u8path(path(name)), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  Bytes read(const std::string& name) const {
    std::ifstream in(fs::u8path(path(name)), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  fs::path dir_;
};

// Bytes a text mode would change or stop at: CR, LF, CRLF, Ctrl-Z.
Bytes every_byte_value(std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  const Bytes awkward = {'\r', '\n', 0x1a, '\n', '\r', 0x1a, 0x00};
  std::copy(awkward.begin(), awkward.end(), bytes.begin());
  return bytes;
}

Bytes read_all(FileInputStream& in, std::size_t piece) {
  Bytes got;
  Bytes chunk(piece);
  for (std::size_t n; (n = in.read(chunk.data(), piece)) > 0;) {
    got.insert(got.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
    if (n < piece) break;
  }
  return got;
}

TEST_F(FileStreams, MoveEveryByteUnchanged) {
  // Longer than two stream buffers, so that both refill and flush more than once.
  const Bytes bytes = every_byte_value(2 * kStreamBufferSize + 12345);
  write("previous", Bytes(3 * kStreamBufferSize, 0xee));  // longer: must leave no trace
  FileOutputStream out;
  ASSERT_EQ(out.open(path("previous").c_str(), FileId{}), OutputOpenResult::opened);
  std::size_t written = 0;
  for (std::size_t piece : {std::size_t{24}, std::size_t{16}, std::size_t{40000}, bytes.size()}) {
    std::size_t n = std::min(piece, bytes.size() - written);
    ASSERT_EQ(out.write(bytes.data() + written, n), n);
    written += n;
  }
  ASSERT_TRUE(out.close());
  EXPECT_EQ(read("previous"), bytes);

  FileInputStream in;
  ASSERT_TRUE(in.open(path("previous").c_str()));
  EXPECT_EQ(read_all(in, 16), bytes);
  EXPECT_TRUE(in.at_end());
  EXPECT_FALSE(in.error());
  EXPECT_TRUE(in.close());
}

TEST_F(FileStreams, RefuseTheInputAsOutputWhateverPathLeadsThere) {
  const Bytes input = every_byte_value(1000);
  fs::create_directories(dir_ / "sub");
  write("in.avm", input);
  write("copy.avm", input);
  fs::create_hard_link(dir_ / "in.avm", dir_ / "hard.avm");
  std::vector<std::string> spellings = {path("in.avm"), path("./in.avm"), path("sub/../in.avm"),
                                        path("hard.avm")};
  // The C++ library of the Windows cross build cannot make symbolic links;
  // the end-to-end runs of trovik.exe check a link made from outside.
  std::error_code no_links;
  fs::create_symlink(dir_ / "in.avm", dir_ / "soft.avm", no_links);
  if (!no_links) spellings.push_back(path("soft.avm"));

  FileInputStream in;
  ASSERT_TRUE(in.open(path("in.avm").c_str()));
  for (const std::string& spelling : spellings) {
    FileOutputStream out;
    EXPECT_EQ(out.open(spelling.c_str(), in.id()), OutputOpenResult::is_input) << spelling;
    EXPECT_EQ(read("in.avm"), input) << spelling;
  }
  // The same bytes in another file are another file.
  FileOutputStream out;
  EXPECT_EQ(out.open(path("copy.avm").c_str(), in.id()), OutputOpenResult::opened);
  EXPECT_TRUE(out.close());
  EXPECT_TRUE(read("copy.avm").empty());
}

// A viewer may hold the capture open while it is written, and the dump may
// be held open by whatever produced it.
TEST_F(FileStreams, LetOtherProgramsHoldTheFilesOpen) {
  const Bytes input = every_byte_value(5000);
  write("in.avm", input);
  write("out.pcap", {});
  std::ofstream writer(fs::u8path(path("in.avm")), std::ios::binary | std::ios::app);
  std::ifstream reader(fs::u8path(path("out.pcap")), std::ios::binary);
  ASSERT_TRUE(writer.is_open() && reader.is_open());

  FileInputStream in;
  ASSERT_TRUE(in.open(path("in.avm").c_str()));
  FileOutputStream out;
  ASSERT_EQ(out.open(path("out.pcap").c_str(), in.id()), OutputOpenResult::opened);
  const Bytes got = read_all(in, 16);
  EXPECT_EQ(got, input);
  EXPECT_EQ(out.write(got.data(), got.size()), got.size());
  EXPECT_TRUE(out.close());
  EXPECT_EQ(read("out.pcap"), input);

  // And may delete or rename the input while it is being read.
  writer.close();
  FileInputStream again;
  ASSERT_TRUE(again.open(path("in.avm").c_str()));
  std::error_code error;
  fs::rename(dir_ / "in.avm", dir_ / "renamed.avm", error);
  EXPECT_FALSE(error) << error.message();
  fs::remove(dir_ / "renamed.avm", error);
  EXPECT_FALSE(error) << error.message();
  EXPECT_EQ(read_all(again, 16), input);
}

// Names in every script, and a path past 260 characters, where Windows'
// ordinary path handling ends: each is written, read back and known as itself.
TEST_F(FileStreams, OpenEveryNameAndLength) {
  std::string deep;
  for (int i = 0; i < 6; ++i) deep += std::string(60, static_cast<char>('a' + i)) + "/";
  const std::string names[] = {
      "\xd1\x82\xd0\xb5\xd1\x81\xd1\x82.avm",               // Cyrillic
      "\xe6\x8d\x95\xe8\x8e\xb7 \xe6\x96\x87\xe4\xbb\xb6",  // CJK, with a space
      "line \xf0\x9f\x93\xa1 capture.pcap",                 // an emoji, outside the BMP
      deep + "capture.avm",                                 // over 400 characters in all
  };
  ASSERT_GT(path(names[3]).size(), 400U);
  for (const std::string& name : names) {
    fs::create_directories((dir_ / fs::u8path(name)).parent_path());
    const Bytes bytes = every_byte_value(100 + name.size());
    FileOutputStream out;
    ASSERT_EQ(out.open(path(name).c_str(), FileId{}), OutputOpenResult::opened) << name;
    EXPECT_EQ(out.write(bytes.data(), bytes.size()), bytes.size());
    EXPECT_TRUE(out.close());
    EXPECT_TRUE(fs::exists(dir_ / fs::u8path(name))) << name;

    FileInputStream in;
    ASSERT_TRUE(in.open(path(name).c_str())) << name;
    EXPECT_EQ(read_all(in, 16), bytes) << name;
    FileOutputStream same;
    EXPECT_EQ(same.open(path(name).c_str(), in.id()), OutputOpenResult::is_input) << name;
  }
}

TEST_F(FileStreams, ReportWhatCannotBeOpened) {
  FileInputStream in;
  EXPECT_FALSE(in.open(path("missing.avm").c_str()));
  FileOutputStream out;
  EXPECT_EQ(out.open(path("no/such/dir/out.pcap").c_str(), FileId{}), OutputOpenResult::failed);
  EXPECT_FALSE(fs::exists(dir_ / "no"));
}

}  // namespace
}  // namespace trovik
