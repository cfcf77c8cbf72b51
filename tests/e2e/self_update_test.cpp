// The self-update end to end in a temporary program folder: the old launcher
// starts its copy, the copy waits for it, replaces "launcher.exe", moves the
// engine files, installs the fonts, restarts the launcher and is gone.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/process/process.h"
#include "project/Launcher/services/file_md5.h"
#include "project/Launcher/services/json_helpers.h"
#include "project/Launcher/services/self_update.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::string Md5OfFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string md5;
  int64_t size = 0;
  return FileMd5(file, md5, size) ? md5 : std::string();
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A child whose input and output are pipes of the test. Its output is
// inherited by every process it starts, so the pipe ends only when all of
// them have ended.
class Child {
 public:
  Child(const std::string& program, const std::vector<std::string>& args,
        const std::vector<std::string>& environment) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], STDIN_FILENO);
      dup2(out[1], STDOUT_FILENO);
      for (const std::string& variable : environment) putenv(const_cast<char*>(variable.c_str()));
      std::vector<char*> argv = {const_cast<char*>(program.c_str())};
      for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    input_ = in[1];
    output_ = fdopen(out[0], "r");
  }
  ~Child() {
    CloseInput();
    if (output_) fclose(output_);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }

  // The next line of output; false at the end of it.
  bool ReadLine(std::string* line) {
    char buffer[512];
    if (output_ == nullptr || fgets(buffer, sizeof(buffer), output_) == nullptr) return false;
    *line = buffer;
    if (!line->empty() && line->back() == '\n') line->pop_back();
    return true;
  }
  void CloseInput() {
    if (input_ >= 0) close(input_);
    input_ = -1;
  }
  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  FILE* output_ = nullptr;
};

TEST(SelfUpdateEndToEnd, TheCopyWaitsReplacesAppliesRestartsAndIsGone) {
  TempFolder tmp;
  const std::string app = tmp.File("app/");
  const std::string program = SELF_UPDATE_PROGRAM;
  Write(app + "launcher.exe", Read(program));
  fs::permissions(app + "launcher.exe", fs::perms::owner_all);
  // The new launcher: the same program with bytes after its end, so its
  // digest differs and it still runs.
  Write(app + "update/launcher.exe", Read(program) + std::string("new launcher build"));
  fs::permissions(app + "update/launcher.exe", fs::perms::owner_all);
  const std::string newDigest = Md5OfFile(app + "update/launcher.exe");
  Write(app + "cef/libcef.so", "old engine");
  Write(app + "update/cef/libcef.so", "new engine");
  Write(app + "update/cef/locales/en-US.pak", "new locale");
  WriteJsonStringList(app + "update/cef_update.txt", {"cef/libcef.so", "cef/locales/en-US.pak"});
  Write(app + "update/NewFont.ttf", "font bytes");
  WriteJsonStringList(app + "update/font_update.txt", {"NewFont.ttf"});

  const std::vector<std::string> environment = {
      "HOME=" + tmp.File("home"), "XDG_DATA_HOME=" + tmp.File("data"),
      "XDG_CONFIG_HOME=" + tmp.File("config"), "XDG_RUNTIME_DIR=" + tmp.File("run")};
  Child old(app + "launcher.exe", {"old_launcher"}, environment);
  ASSERT_GT(old.pid(), 0);

  std::string line;
  ASSERT_TRUE(old.ReadLine(&line));
  ASSERT_EQ(line, "old copy_started");
  ASSERT_TRUE(old.ReadLine(&line));
  // The copy found the old launcher and watches it.
  EXPECT_EQ(line, "copy waiting " + std::to_string(old.pid()));
  EXPECT_TRUE(fs::exists(app + "launcher_temp.exe"));

  // While the old launcher runs, nothing has been replaced.
  EXPECT_NE(Md5OfFile(app + "launcher.exe"), newDigest);
  EXPECT_EQ(Read(app + "cef/libcef.so"), "old engine");

  old.CloseInput();
  std::vector<std::string> story;
  while (old.ReadLine(&line)) story.push_back(line);
  EXPECT_EQ(old.Wait(), 0);

  // The restarted launcher may speak before the copy tells it started it.
  ASSERT_EQ(story.size(), 6u);
  std::sort(story.begin() + 4, story.end());
  const std::vector<std::string> expected = {"old exit", "copy launcher_ended",
                                             "copy launcher_replaced", "copy lists_applied",
                                             "copy restarted", "started " + newDigest};
  EXPECT_EQ(story, expected);
  EXPECT_EQ(Md5OfFile(app + "launcher.exe"), newDigest);
  EXPECT_EQ(Read(app + "cef/libcef.so"), "new engine");
  EXPECT_EQ(Read(app + "cef/locales/en-US.pak"), "new locale");
  EXPECT_FALSE(fs::exists(app + "update/cef_update.txt"));
  EXPECT_EQ(Read(tmp.File("data/fonts/NewFont.ttf")), "font bytes");
  EXPECT_EQ(Read(app + "NewFont.ttf"), "font bytes");
  EXPECT_FALSE(fs::exists(app + "update/font_update.txt"));
  // The end of the output means every process that held it has ended: the
  // copy is gone, and so is its file.
  EXPECT_FALSE(fs::exists(app + "launcher_temp.exe"));
}

TEST(SelfUpdateEndToEnd, ReplaceRefusesAnyOtherSourceTargetOrProgram) {
  TempFolder tmp;
  const std::string app = tmp.File("app/");
  Write(app + "launcher.exe", Read(SELF_UPDATE_PROGRAM));
  fs::permissions(app + "launcher.exe", fs::perms::owner_all);
  Write(app + "victim", "keep me");
  Write(app + "update/launcher.exe", "staged");
  const std::vector<std::vector<std::string>> refused = {
      {"./victim", "./launcher.exe", ""},
      {"./update/launcher.exe", "./victim", ""},
      {"./update/launcher.exe", "/tmp/launcher.exe", ""},
      {"./update/../victim", "./launcher.exe", ""},
      {"./update/launcher.exe", "", ""},
      {"", "", "/bin/sh"},
      {"", "", "./victim"}};
  for (const std::vector<std::string>& values : refused) {
    std::vector<std::string> args = {"replace"};
    args.insert(args.end(), values.begin(), values.end());
    Child copy(app + "launcher.exe", args, {"XDG_DATA_HOME=" + tmp.File("data")});
    std::string line;
    ASSERT_TRUE(copy.ReadLine(&line));
    EXPECT_EQ(line, "copy refused") << values[0] << " " << values[1] << " " << values[2];
    EXPECT_EQ(copy.Wait(), kReplaceRefused);
  }
  EXPECT_EQ(Read(app + "victim"), "keep me");
  EXPECT_EQ(Read(app + "launcher.exe"), Read(SELF_UPDATE_PROGRAM));
}

TEST(SelfUpdateArguments, FiveArgumentsWhateverIsEmpty) {
  EXPECT_EQ(SelfUpdateArguments("", false), (std::vector<std::string>{"replace", "", "", ""}));
  EXPECT_EQ(SelfUpdateArguments("./launcher.exe", true),
            (std::vector<std::string>{"replace", "./update/launcher.exe", "./launcher.exe",
                                      "./launcher.exe"}));
  EXPECT_TRUE(IsAcceptedReplaceCommand(".\\update\\launcher.exe", ".\\launcher.exe", ""));
  EXPECT_TRUE(IsAcceptedReplaceCommand("", "", "launcher.exe"));
}

}  // namespace
