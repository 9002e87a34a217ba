#include "show_pictures.h"

const std::vector<std::string>& showPictureNames() {
  static const std::vector<std::string> names = {
      "yellow_frame2.png",
      "vorkast/d.png",
      "vorkast/white.png",
      "vorkast/gulfisk.png",
      "vorkast/ribbon.png",
      "vorkast/overup.png",
      "vorkast/lort.png",
      "vorkast/text/cuffercup.png",
      "vorkast/text/text01.png",
      "vorkast/text/text02.png",
      "vorkast/text/text03.png",
      "vorkast/text/text04.png",
      "vorkast/text/text05.png",
      "vorkast/text/text06.png",
      "vorkast/text/text07.png",
      "vorkast/text/text_overlay01.png",
      "vorkast/text/text_overlay02.png",
      "vorkast/text/text_overlay03.png",
      "vorkast/text/cred.png",
      "vorkast/text/hore.png",
  };
  return names;
}
