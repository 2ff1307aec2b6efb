// trovik infile outfile: converts an AVM capture dump into an Ethereal dump.
#include <cstdio>

#include "conversion.hpp"
#include "file_stream.hpp"

int main(int argc, char** argv) {
  std::printf("TROVIK - Converts AVM DSL dump into Ethereal dump\n");
  std::printf("v.1.0 by the trovik developers\n\n");
  if (argc != 3) {
    std::printf("Usage: trovik infile outfile\n");
    std::printf("       infile  - AVM capture dump\n");
    std::printf("       outfile - converted Ethereal dump\n");
    return trovik::kExitRefused;
  }
  const char* in_path = argv[1];
  const char* out_path = argv[2];

  trovik::FileInputStream in;
  if (!in.open(in_path)) {
    std::printf("Could not open '%s'!\n", in_path);
    return trovik::kExitRefused;
  }
  trovik::FileOutputStream out;
  switch (out.open(out_path, in.id())) {
    case trovik::OutputOpenResult::opened:
      break;
    case trovik::OutputOpenResult::failed:
      std::printf("Could not open '%s'!\n", out_path);
      in.close();
      return trovik::kExitRefused;
    case trovik::OutputOpenResult::is_input:
      std::printf("Refusing to overwrite the input file '%s'!\n", out_path);
      in.close();
      return trovik::kExitRefused;
  }
  return trovik::convert(in, out, in_path, out_path, stdout);
}
