// The window layer as Win32 code sees it: classes, windows, the queue, keys.
#include <gtest/gtest.h>
#include <port_env.h>
#include <present_hook.h>
#include <win32_port.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<UINT> g_seen;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  g_seen.push_back(message);
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

WNDCLASSEXA makeClass(const char* name) {
  WNDCLASSEXA c{};
  c.cbSize = sizeof c;
  c.lpfnWndProc = recordingProc;
  c.lpszClassName = name;
  return c;
}

// One pump as the show's message loop runs it; returns the messages seen.
std::vector<UINT> pump() {
  std::vector<UINT> messages;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    messages.push_back(msg.message);
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return messages;
}

class Win32Layer : public ::testing::Test {
 protected:
  void SetUp() override {
    win32port::resetForTests();
    g_seen.clear();
  }
  void TearDown() override { win32port::resetForTests(); }
};

TEST_F(Win32Layer, ClassesRegisterOnceAndUnregister) {
  WNDCLASSEXA c = makeClass("Demo");
  EXPECT_NE(RegisterClassExA(&c), 0);
  EXPECT_EQ(RegisterClassExA(&c), 0) << "a second registration of the same name must fail";
  WNDCLASSEXA wrongSize = c;
  wrongSize.cbSize = 12;
  wrongSize.lpszClassName = "Other";
  EXPECT_EQ(RegisterClassExA(&wrongSize), 0);
  EXPECT_TRUE(UnregisterClassA("Demo", nullptr));
  EXPECT_FALSE(UnregisterClassA("Demo", nullptr));
}

TEST_F(Win32Layer, WindowNeedsARegisteredClassAndIsRecorded) {
  EXPECT_EQ(CreateWindowExA(0, "Missing", "t", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                            nullptr, nullptr, nullptr),
            nullptr);
  WNDCLASSEXA c = makeClass("Demo");
  RegisterClassExA(&c);
  HWND w = CreateWindowExA(WS_EX_CLIENTEDGE, "Demo", "Title", WS_VISIBLE | WS_CAPTION, 400, 300,
                           640, 480, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  auto records = win32port::windows();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].handle, w);
  EXPECT_EQ(records[0].exStyle, WS_EX_CLIENTEDGE);
  EXPECT_EQ(records[0].style, WS_VISIBLE | WS_CAPTION);
  EXPECT_EQ(records[0].title, "Title");
  EXPECT_EQ(records[0].x, 400);
  EXPECT_EQ(records[0].height, 480);
  EXPECT_EQ(g_seen, std::vector<UINT>{WM_CREATE});
}

TEST_F(Win32Layer, CloseDestroysAndPostsQuitWhichIsJustAnotherMessage) {
  WNDCLASSEXA c = makeClass("Demo");
  RegisterClassExA(&c);
  HWND w = CreateWindowExA(0, "Demo", "Demo", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                           nullptr, nullptr, nullptr);
  g_seen.clear();
  PostMessageA(w, WM_CLOSE, 0, 0);
  std::vector<UINT> first = pump();
  EXPECT_EQ(first, (std::vector<UINT>{WM_CLOSE, WM_QUIT}))
      << "WM_QUIT posted while draining is drained in the same pump";
  EXPECT_EQ(g_seen, (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
  EXPECT_TRUE(win32port::windows()[0].destroyed);
  EXPECT_TRUE(pump().empty());
}

TEST_F(Win32Layer, AsyncKeyStateHasTheDownAndThePressedSinceBits) {
  EXPECT_EQ(GetAsyncKeyState('Q'), 0);
  win32port::setKeyDown('Q', true);
  EXPECT_EQ(GetAsyncKeyState('Q') & 0x8001, 0x8001);
  EXPECT_EQ(GetAsyncKeyState('Q') & 0xFFFF, 0x8000) << "the low bit is cleared by a query";
  win32port::setKeyDown('Q', false);
  EXPECT_EQ(GetAsyncKeyState('Q'), 0);
  // A tap between two queries is still seen once.
  win32port::setKeyDown('W', true);
  win32port::setKeyDown('W', false);
  EXPECT_EQ(GetAsyncKeyState('W'), 1);
  EXPECT_EQ(GetAsyncKeyState('W'), 0);
  EXPECT_EQ(GetAsyncKeyState(-5), 0);
  EXPECT_EQ(GetAsyncKeyState(4000), 0);
}

TEST_F(Win32Layer, KeyScriptActsAtTheNumberedPump) {
  std::string path = ::testing::TempDir() + "/keys.txt";
  {
    std::ofstream out(path);
    out << "# comment\n0 Q down\n1 Q up\n2 ESCAPE down\nbogus line\n9 X down\n";
  }
  port::Environment env = port::environment();
  env.keysFile = path;
  port::setEnvironment(env);
  win32port::resetForTests();

  pump();  // pump 0
  EXPECT_NE(GetAsyncKeyState('Q'), 0);
  pump();  // pump 1
  EXPECT_EQ(GetAsyncKeyState('Q'), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
  pump();  // pump 2
  EXPECT_NE(GetAsyncKeyState(VK_ESCAPE), 0);

  env.keysFile.clear();
  port::setEnvironment(env);
}

TEST_F(Win32Layer, MessageBoxesAreRecordedAndAnswered) {
  int calls = 0;
  win32port::setMessageBoxHandler([&calls](const char*, const char*) {
    ++calls;
    return IDOK;
  });
  EXPECT_EQ(MessageBoxA(nullptr, "No Init", "Error", MB_OK), IDOK);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(win32port::messageBoxes(), std::vector<std::string>{"Error: No Init"});
}

TEST_F(Win32Layer, MessageBoxWithoutWindowSystemGoesToStandardError) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "Cant Play Funky Music", "You Suck", MB_OK), IDOK);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "You Suck: Cant Play Funky Music\n");
}

TEST_F(Win32Layer, FramesGoToTheFramesFolderAndToListeners) {
  std::string folder = ::testing::TempDir() + "/frames_test";
  port::Environment env = port::environment();
  env.framesDir = folder;
  port::setEnvironment(env);
  win32port::resetForTests();
  int heard = 0;
  int id = port::addFrameListener([&heard](const port::Frame& f) {
    EXPECT_EQ(f.width, 4);
    ++heard;
  });
  std::vector<std::uint32_t> pixels(4 * 3, 0x00FF8000u);
  win32port::presentFrame(nullptr, pixels.data(), 4, 3, 4, true);
  win32port::presentFrame(nullptr, pixels.data(), 4, 3, 4, true);
  port::removeFrameListener(id);
  EXPECT_EQ(heard, 2);
  for (const char* name : {"/frame_000001.png", "/frame_000002.png"}) {
    FILE* f = std::fopen((folder + name).c_str(), "rb");
    ASSERT_NE(f, nullptr) << name;
    unsigned char sig[8] = {};
    EXPECT_EQ(std::fread(sig, 1, 8, f), 8u);
    std::fclose(f);
    EXPECT_EQ(sig[1], 'P');
  }
  env.framesDir.clear();
  port::setEnvironment(env);
}

}  // namespace
