// trovik infile outfile: converts an AVM capture dump into an Ethereal dump.
#include <string>
#include <vector>

#include "console.hpp"
#include "conversion.hpp"
#include "file_stream.hpp"

int main(int argc, char** argv) {
  trovik::StandardOutput out_text;
  out_text.print("TROVIK - Converts AVM DSL dump into Ethereal dump\n");
  out_text.print("v.1.0 by the trovik developers\n\n");
  const std::vector<std::string> arguments = trovik::command_line_arguments(argc, argv);
  if (arguments.size() != 3) {
    out_text.print("Usage: trovik infile outfile\n");
    out_text.print("       infile  - AVM capture dump\n");
    out_text.print("       outfile - converted Ethereal dump\n");
    return trovik::kExitRefused;
  }
  const char* in_path = arguments[1].c_str();
  const char* out_path = arguments[2].c_str();

  trovik::FileInputStream in;
  if (!in.open(in_path)) {
    out_text.print("Could not open '%s'!\n", in_path);
    return trovik::kExitRefused;
  }
  trovik::FileOutputStream out;
  switch (out.open(out_path, in.id())) {
    case trovik::OutputOpenResult::opened:
      break;
    case trovik::OutputOpenResult::failed:
      out_text.print("Could not open '%s'!\n", out_path);
      in.close();
      return trovik::kExitRefused;
    case trovik::OutputOpenResult::is_input:
      out_text.print("Refusing to overwrite the input file '%s'!\n", out_path);
      in.close();
      return trovik::kExitRefused;
  }
  return trovik::convert(in, out, in_path, out_path, out_text);
}
