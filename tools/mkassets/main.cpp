// vorkast05-mkassets OUTPUT: writes the show's pictures below
// OUTPUT/textures/ and its music to OUTPUT/music/.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "mkassets: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fclose(file) == 0 && ok;
  if (!ok) std::fprintf(stderr, "mkassets: cannot write %s\n", path.c_str());
  return ok;
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
  if (mp3.empty()) {
    std::fprintf(stderr, "mkassets: the music could not be encoded\n");
    return 1;
  }
  std::string musicPath = root + "/music/Molte_-_VorkastInvtro(1).mp3";
  return makeParents(musicPath) && writeFile(musicPath, mp3) ? 0 : 1;
}
