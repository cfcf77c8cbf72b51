// The stand-in game: installed by the publisher's generator as "KVOR.exe",
// it does what the launcher relies on of the game. It takes the game's
// instance lock (a second copy finds it held and exits with status 3),
// records in JSON lines its arguments, working folder and process id, and
// stays until it is told to end (SIGTERM or SIGINT; after ten minutes at the
// latest, so a forgotten copy never outlives a test run).
//
// The record goes to the file named by KVOR_RECORD, else "kvor_record.jsonl"
// in the working folder.

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include <json/json.h>

#include "platform/instance/instance_lock.h"

namespace {

void AppendRecord(const std::string& path, const Json::Value& record) {
  Json::StreamWriterBuilder writer;
  writer["indentation"] = "";
  std::string line = Json::writeString(writer, record) + "\n";
  if (FILE* out = std::fopen(path.c_str(), "a")) {
    std::fwrite(line.data(), 1, line.size(), out);
    std::fclose(out);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* recordEnv = std::getenv("KVOR_RECORD");
  const std::string record = recordEnv && *recordEnv ? recordEnv : "kvor_record.jsonl";

  sigset_t ending;
  sigemptyset(&ending);
  sigaddset(&ending, SIGTERM);
  sigaddset(&ending, SIGINT);
  sigprocmask(SIG_BLOCK, &ending, nullptr);

  platform::InstanceLock lock("_Kvor_Instance_");
  const bool first = lock.Acquire();

  Json::Value start;
  start["event"] = first ? "start" : "refused";
  start["pid"] = static_cast<Json::Int64>(::getpid());
  char cwd[4096];
  start["cwd"] = ::getcwd(cwd, sizeof cwd) ? cwd : "";
  Json::Value args(Json::arrayValue);
  for (int i = 1; i < argc; ++i) args.append(argv[i]);
  start["args"] = args;
  AppendRecord(record, start);
  if (!first) return 3;

  timespec limit{600, 0};
  siginfo_t info;
  int signal = sigtimedwait(&ending, &info, &limit);
  Json::Value end;
  end["event"] = "exit";
  end["signal"] = signal;
  AppendRecord(record, end);
  return 0;
}
