// A test that runs inside a fresh temporary directory, removed afterwards,
// with small helpers for text files and streams.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "support/sandbox.h"

namespace vtest {

class InTempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempDir("test");
    cwd_ = plat::CurrentDir();
    ASSERT_TRUE(plat::ChangeDir(dir_));
  }
  void TearDown() override {
    plat::ChangeDir(cwd_);
    RemoveTree(dir_);
  }
  static void Write(const std::string& path, const std::string& text) {
    ASSERT_TRUE(plat::SaveFileSafely(path, std::vector<uint8_t>(text.begin(), text.end())));
  }
  static std::string Read(const std::string& path) {
    std::vector<uint8_t> b;
    EXPECT_TRUE(plat::LoadFileBytes(path, b));
    return std::string(b.begin(), b.end());
  }
  // The whole stream as text; "<none>" without one.
  static std::string Text(plat::Stream* s) {
    return s ? s->ReadString(static_cast<size_t>(s->Size())) : "<none>";
  }
  std::string dir_, cwd_;
};

}  // namespace vtest
