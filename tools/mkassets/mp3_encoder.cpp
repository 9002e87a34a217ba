#include "mp3_encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdio>

#include "song_plan.h"

std::vector<std::uint8_t> encodeMp3(const StereoBuffer& music) {
  lame_global_flags* lame = lame_init();
  if (lame == nullptr) return {};
  lame_set_in_samplerate(lame, song::kSampleRate);
  lame_set_out_samplerate(lame, song::kSampleRate);
  lame_set_num_channels(lame, 2);
  lame_set_mode(lame, JOINT_STEREO);
  lame_set_brate(lame, 192);
  lame_set_quality(lame, 5);
  // The tag carries encoder delay and padding, so players can be gapless.
  lame_set_bWriteVbrTag(lame, 1);
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    return {};
  }

  std::vector<std::uint8_t> out;
  const int chunk = 8192;
  std::vector<unsigned char> buffer(static_cast<std::size_t>(1.25 * chunk + 7200));
  std::size_t total = music.left.size();
  for (std::size_t at = 0; at < total; at += chunk) {
    int n = static_cast<int>(std::min<std::size_t>(chunk, total - at));
    int bytes = lame_encode_buffer_ieee_float(lame, music.left.data() + at, music.right.data() + at,
                                              n, buffer.data(), static_cast<int>(buffer.size()));
    if (bytes < 0) {
      lame_close(lame);
      return {};
    }
    out.insert(out.end(), buffer.begin(), buffer.begin() + bytes);
  }
  int bytes = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
  if (bytes > 0) out.insert(out.end(), buffer.begin(), buffer.begin() + bytes);

  // The first frame was left for the tag; now that the stream is complete
  // the tag can be written over it.
  unsigned char tag[2880];
  std::size_t tagBytes = lame_get_lametag_frame(lame, tag, sizeof tag);
  if (tagBytes > 0 && tagBytes <= out.size()) std::copy(tag, tag + tagBytes, out.begin());
  lame_close(lame);
  return out;
}
