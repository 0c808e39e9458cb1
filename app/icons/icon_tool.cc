// zorvane-icon-tool DRAWING OUTPUT: turns a text drawing into an .ico or .xpm file, the
// format chosen by OUTPUT's extension. Used to refresh the committed icons and to check
// that they still match their drawings.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "app/icons/pixel_art.h"

namespace {

bool EndsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The file name without folder and extension, as the XPM's C name.
std::string Stem(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || !(EndsWith(argv[2], ".ico") || EndsWith(argv[2], ".xpm"))) {
    std::cerr << "usage: zorvane-icon-tool DRAWING.txt OUTPUT.ico|OUTPUT.xpm\n";
    return 2;
  }
  const std::string input = argv[1];
  const std::string output = argv[2];

  std::ifstream in(input, std::ios::binary);
  if (!in) {
    std::cerr << input << ": cannot read\n";
    return 1;
  }
  std::ostringstream text;
  text << in.rdbuf();

  zorvane::icons::PixelArt art;
  std::string error;
  if (!zorvane::icons::ParsePixelArt(text.str(), &art, &error)) {
    std::cerr << input << ": " << error << "\n";
    return 1;
  }
  const std::string bytes = EndsWith(output, ".ico") ? zorvane::icons::EncodeIco(art)
                                                     : zorvane::icons::EncodeXpm(art, Stem(output));
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) {
    std::cerr << output << ": cannot write\n";
    return 1;
  }
  return 0;
}
