// Raw video for the capture tool's encoder: every frame, whole and in order,
// whatever pace the reader keeps, and a failing output reported once
// without holding the show up.
#include "raw_video_writer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace {

// Frame `index` of w x h words in rows `pitch` words apart; the words past
// the width are not the frame's and must not be written.
std::vector<std::uint32_t> frameWords(int index, int w, int h, int pitch) {
  std::vector<std::uint32_t> words(static_cast<std::size_t>(pitch) * h, 0xDEADBEEFu);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) words[y * pitch + x] = (index << 20) | (y << 10) | x;
  }
  return words;
}

std::vector<char> expectedBytes(int frames, int w, int h, int pitch) {
  std::vector<char> bytes;
  for (int i = 0; i < frames; ++i) {
    const std::vector<std::uint32_t> words = frameWords(i, w, h, pitch);
    for (int y = 0; y < h; ++y) {
      const char* row = reinterpret_cast<const char*>(&words[y * pitch]);
      bytes.insert(bytes.end(), row, row + w * 4);
    }
  }
  return bytes;
}

std::string scratchPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() /
          ("raw_video_" + std::to_string(getpid()) + "_" + name))
      .string();
}

TEST(RawVideoWriter, AFileGetsEveryFrameWholeAndInOrder) {
  const std::string path = scratchPath("file");
  {
    win32port::RawVideoWriter writer(path);
    for (int i = 0; i < 10; ++i) writer.write(frameWords(i, 5, 3, 7).data(), 5, 3, 7);
  }  // everything handed over is written by the time it goes
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> got((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(got, expectedBytes(10, 5, 3, 7));
  std::filesystem::remove(path);
}

TEST(RawVideoWriter, APipeWithASlowReaderGetsEveryFrame) {
  // More frames than the queue and the pipe hold together: the writer must
  // wait for the reader, not drop or reorder frames.
  const std::string path = scratchPath("fifo");
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  std::vector<char> got;
  std::thread reader([&] {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    std::vector<char> chunk(300000);
    for (;;) {
      const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), in);
      if (n == 0) break;
      got.insert(got.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::fclose(in);
  });
  {
    win32port::RawVideoWriter writer(path);  // opens once the reader has
    for (int i = 0; i < 12; ++i) writer.write(frameWords(i, 640, 480, 640).data(), 640, 480, 640);
  }
  reader.join();
  EXPECT_TRUE(got == expectedBytes(12, 640, 480, 640)) << got.size() << " bytes arrived";
  std::filesystem::remove(path);
}

TEST(RawVideoWriter, FailuresAreReportedOnceAndDoNotHoldTheShowUp) {
  // /dev/full refuses every write; later frames are dropped quietly.
  testing::internal::CaptureStderr();
  {
    win32port::RawVideoWriter writer("/dev/full");
    for (int i = 0; i < 20; ++i) writer.write(frameWords(i, 64, 48, 64).data(), 64, 48, 64);
  }
  std::string said = testing::internal::GetCapturedStderr();
  const std::string line = "vorkast: raw video to /dev/full stopped: ";
  ASSERT_NE(said.find(line), std::string::npos) << said;
  EXPECT_EQ(said.find(line, said.find(line) + 1), std::string::npos) << said;

  testing::internal::CaptureStderr();
  {
    win32port::RawVideoWriter writer("/no/such/folder/raw");
    writer.write(frameWords(0, 4, 4, 4).data(), 4, 4, 4);
  }
  said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("vorkast: cannot open /no/such/folder/raw for raw video: "),
            std::string::npos)
      << said;
}

TEST(RawVideoWriter, AnEncoderThatQuitsIsReportedNotFatal) {
  // SIGPIPE as a program starts with it: were the writes to raise it, this
  // test's process would end here.
  struct sigaction before {};
  ASSERT_EQ(sigaction(SIGPIPE, nullptr, &before), 0);
  ASSERT_EQ(before.sa_handler, SIG_DFL);
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  const std::string path = "/dev/fd/" + std::to_string(ends[1]);
  testing::internal::CaptureStderr();
  {
    win32port::RawVideoWriter writer(path);
    writer.write(frameWords(0, 4, 4, 4).data(), 4, 4, 4);
    close(ends[0]);  // the reader goes
    for (int i = 1; i < 20; ++i) writer.write(frameWords(i, 640, 480, 640).data(), 640, 480, 640);
  }
  const std::string said = testing::internal::GetCapturedStderr();
  close(ends[1]);
  const std::string line = "vorkast: raw video to " + path + " stopped: Broken pipe";
  ASSERT_NE(said.find(line), std::string::npos) << said;
  EXPECT_EQ(said.find(line, said.find(line) + 1), std::string::npos) << said;
  // A SIGPIPE left pending in the writing thread would have struck there as
  // its mask was restored, ending this process too.
}

}  // namespace
