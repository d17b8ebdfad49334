#include "app/script_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "script/script_test_support.h"

namespace {

class ScriptFileTest : public testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(dir_); }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string write(const std::string& name, const std::string& content) {
    const std::string path = dir_ + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  const std::string dir_ = testing::TempDir() + "script_file_test/";
  script_testing::OutputCapture console_;
};

// A missing file is seen end to end; a directory reads as empty.
TEST_F(ScriptFileTest, SizeLimitsAtTheirBoundariesAndADirectory) {
  std::optional<std::string> text;
  const std::string ten = write("ten.qvs", "#!quorval\n");
  EXPECT_FALSE(readScriptFile(ten, &text));
  EXPECT_FALSE(text.has_value());

  const std::string eleven = write("eleven.qvs", "#!quorvale\r");
  ASSERT_TRUE(readScriptFile(eleven, &text));
  EXPECT_EQ("#!quorvale\r\n", *text);  // bytes kept as they are, a line feed appended

  // Refused by its size alone: the sparse file is never read.
  const std::string huge = write("huge.qvs", "");
  std::filesystem::resize_file(huge, kMaxScriptSize + 1);
  text.reset();
  EXPECT_FALSE(readScriptFile(huge, &text));
  EXPECT_FALSE(text.has_value());
  EXPECT_FALSE(readScriptFile(dir_, &text));
  EXPECT_EQ("File '" + ten + "' too small: 10 bytes only\nFile '" + huge +
                "' too large: 1073741825 bytes\nFile '" + dir_ + "' too small: 0 bytes only\n",
            console_.out());
}

TEST_F(ScriptFileTest, StandardInputHasTheSameLimitsAndArrivesWhole) {
  auto fromStream = [](const std::string& content, std::optional<std::string>* text) {
    FILE* in = tmpfile();
    fwrite(content.data(), 1, content.size(), in);
    rewind(in);
    const bool ok = readScriptStream(in, text);
    fclose(in);
    return ok;
  };
  std::optional<std::string> text;  // nothing read at all is checked end to end
  EXPECT_FALSE(fromStream("#!quorval\n", &text));
  EXPECT_EQ("File '<stdin>' too small: 10 bytes only\n", console_.out());

  const std::string big = std::string(1, '\0') + std::string(150000, 'y');
  ASSERT_TRUE(fromStream("#!quorvale\n" + big, &text));
  EXPECT_EQ("#!quorvale\n" + big + "\n", *text);
}

}  // namespace
