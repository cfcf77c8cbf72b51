// A test that runs inside a fresh program folder: the working folder is a
// temporary folder, and the user's data and configuration folders (fonts,
// the registry stand-in) lie inside it, so nothing of the real account is
// touched.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/temp_folder.h"

class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof(cwd)), nullptr);
    previous_ = cwd;
    program_ = folder_.Join("program");
    std::filesystem::create_directories(program_);
    ASSERT_EQ(chdir(program_.c_str()), 0);
    setenv("XDG_DATA_HOME", folder_.Join("data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", folder_.Join("config").c_str(), 1);
  }
  void TearDown() override { ASSERT_EQ(chdir(previous_.c_str()), 0); }

  std::string FontFolder() const { return folder_.Join("data/fonts"); }
  std::string ProgramFile(const std::string& relative) const { return program_ + "/" + relative; }
  std::string WriteProgramFile(const std::string& relative, const std::string& bytes) const {
    return folder_.Write("program/" + relative, bytes);
  }

  TempFolder folder_;
  std::string program_;
  std::string previous_;
};
