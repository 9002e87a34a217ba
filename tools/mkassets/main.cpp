// vorkast05-mkassets OUTPUT: writes the show's pictures below
// OUTPUT/textures/ and its music to OUTPUT/music/.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "mp3_encoder.h"
#include "music.h"
#include "pictures.h"

namespace {

const char kBoldFont[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char kPlainFont[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// mkdir -p for the folders of a file path.
bool makeParents(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    std::string dir = path.substr(0, slash);
    if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) {
      std::fprintf(stderr, "mkassets: cannot create %s: %s\n", dir.c_str(), std::strerror(errno));
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  std::string root = argv[1];

  std::vector<Picture> pictures = makePictures(kBoldFont, kPlainFont);
  if (pictures.empty()) {
    std::fprintf(stderr, "mkassets: the DejaVu fonts are missing (Debian: fonts-dejavu-core)\n");
    return 1;
  }
  for (const Picture& p : pictures) {
    std::string path = root + "/textures/" + p.name;
    if (!makeParents(path) || !writePng(path, p.image)) return 1;
  }

  std::vector<std::uint8_t> mp3 = encodeMp3(synthesizeMusic());
  std::string musicPath = root + "/music/Molte_-_VorkastInvtro(1).mp3";
  if (mp3.empty() || !makeParents(musicPath)) {
    std::fprintf(stderr, "mkassets: the music could not be encoded\n");
    return 1;
  }
  FILE* file = std::fopen(musicPath.c_str(), "wb");
  if (file == nullptr || std::fwrite(mp3.data(), 1, mp3.size(), file) != mp3.size() ||
      std::fclose(file) != 0) {
    std::fprintf(stderr, "mkassets: cannot write %s\n", musicPath.c_str());
    return 1;
  }
  return 0;
}
