// What happens when a frame has been presented. The device hands its back
// buffer to the window layer; listeners such as the audio layer's frame
// clock or the capture tool hear about every presented frame, in the order
// they were added.
#pragma once

#include <cstdint>
#include <functional>

namespace port {

struct Frame {
  const std::uint32_t* pixels;  // X8R8G8B8, top row first
  int width;
  int height;
  int pitchPixels;  // distance between rows, in pixels
};

using FrameListener = std::function<void(const Frame&)>;

// Returns an id for removeFrameListener.
int addFrameListener(FrameListener listener);
void removeFrameListener(int id);

// Called by the window layer once per presented frame.
void notifyFramePresented(const Frame& frame);

}  // namespace port
