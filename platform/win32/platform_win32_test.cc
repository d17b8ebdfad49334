// The Windows seam's own facts: the program's path, COM device names and their failures, the
// wave-file probe, and the prompt on test descriptors.
#include <gtest/gtest.h>
#include <io.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/error.h"
#include "platform/event.h"
#include "platform/pipe.h"
#include "platform/process.h"
#include "platform/serial_port.h"
#include "platform/sound_player.h"
#include "platform/user_prompt.h"

namespace platform {
namespace {

TEST(Win32PlatformTest, ExecutablePathAndItsFolder) {
  const std::string path = executablePath();
  ASSERT_GT(path.size(), 20u);
  EXPECT_EQ("\\quorvale_tests.exe", path.substr(path.rfind('\\')));
  EXPECT_EQ(path.substr(0, path.rfind('\\') + 1), executableDirectory());
}

TEST(Win32PlatformTest, ComPortsByDeviceNameAndTheirFailures) {
  EXPECT_EQ("\\\\.\\COM12", comPortDevicePath(12));
  setLastError(0);
  EXPECT_EQ(nullptr, openSerialLine(comPortDevicePath(250)));
  EXPECT_NE(0u, lastError());
  EXPECT_FALSE(errorText(lastError()).empty());
  EXPECT_FALSE(probeSerialLine(comPortDevicePath(250)));
  EXPECT_FALSE(probeSerialLine(executablePath()));  // a file is no communications device
}

TEST(Win32PlatformTest, WaveProbeReadsTheLengthAndRefusesOtherFiles) {
  const std::string wave = executableDirectory() + "win32_probe_test.wav";
  {
    // 8000 Hz, mono, 8 bit: 4000 bytes of data are half a second.
    const std::string data(4000, '\x80');
    std::ofstream out(wave, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out << "RIFF";
    u32(36 + static_cast<uint32_t>(data.size()));
    out << "WAVEfmt ";
    u32(16), u16(1), u16(1), u32(8000), u32(8000), u16(1), u16(8);
    out << "data";
    u32(static_cast<uint32_t>(data.size()));
    out << data;
  }
  double seconds = 0;
  EXPECT_EQ(0u, probeSoundFile(wave, &seconds));
  EXPECT_DOUBLE_EQ(0.5, seconds);
  const uint32_t notWave = probeSoundFile(executablePath(), &seconds);
  EXPECT_EQ(kSoundErrorDecoder, notWave & kSoundErrorSourceMask);
  EXPECT_EQ("The file is not a wave sound.", soundErrorText(notWave));
  EXPECT_EQ("The file cannot be opened.", soundErrorText(probeSoundFile(wave + ".none", nullptr)));
  std::remove(wave.c_str());
}

TEST(Win32PlatformTest, PromptOnTestDescriptorsTakesOneLine) {
  int input[2];
  int output[2];
  ASSERT_TRUE(createPipe(input));
  ASSERT_TRUE(createPipe(output));
  setPromptDescriptorsForTest(input[0], output[1]);
  ASSERT_EQ(6, _write(input[1], "ok\nnext", 6));
  Event stop(true, false);
  EXPECT_TRUE(promptUser("Caption", "Text", &stop));
  char shown[128] = {};
  const int n = _read(output[0], shown, sizeof(shown) - 1);
  EXPECT_EQ("Caption\nText\n[Press Enter to continue]\n", std::string(shown, n > 0 ? n : 0));
  stop.set();
  EXPECT_FALSE(promptUser("Caption", "Text", &stop));  // a stop before the prompt shows nothing
  setPromptDescriptorsForTest(-1, -1);
  for (int fd : {input[0], input[1], output[0], output[1]}) _close(fd);
}

}  // namespace
}  // namespace platform
