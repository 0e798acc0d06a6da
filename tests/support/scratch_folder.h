// A test fixture that runs each test in a fresh folder of its own, made current.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

class ScratchFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    old_folder_ = std::filesystem::current_path();
    char name[] = "/tmp/kelo_test_XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    folder_ = std::filesystem::canonical(name);
    std::filesystem::current_path(folder_);
  }
  void TearDown() override {
    std::filesystem::current_path(old_folder_);
    std::filesystem::remove_all(folder_);
  }

  static void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Names in a folder, sorted.
  static std::vector<std::string> names_in(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::vector<std::string> names_here() { return names_in("."); }

  std::filesystem::path old_folder_, folder_;
};

}  // namespace
