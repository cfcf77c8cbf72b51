#pragma once
// Where every flow ends and the machine idles. On entry it asks for the
// launcher's restart when the launcher flow staged a new launcher, browser
// files or fonts, or else, when the user asked to play, hands the gate's
// files to the game and starts it. While current it refreshes the main
// window's pages, sends one queued usage event per tick, restarts the
// launcher flow at the update interval and polls the servers for a newer
// game version and a pre-download of the next one.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "project/Launcher/core/flow/state.h"

class EnterGameState : public State {
 public:
  EnterGameState() = default;

  int32_t TypeId() const override { return kEnterGameStateId; }
  void Enter(State* previous) override;
  void Update() override;
  // Idle between the page refresh, the launcher's recheck and the poll;
  // busy while a poll is under way or queued usage events wait to be sent
  // (one a tick).
  bool HasWork() const override;
  int64_t NextDeadlineMs() const override;
  void Leave(State*) override {}
  void OnRequestDone(int32_t code, std::string url, std::string body,
                     std::string errorText) override;

  // Periods in milliseconds, taken from the gate configuration on entry.
  uint32_t refreshPeriod = 0;
  uint32_t recheckPeriod = 0;
  uint32_t pollPeriod = 0;
  int32_t pollStep = 0;
  std::vector<std::string> dlcServers;
  std::vector<std::string> preDownloadServers;

  // Starts the pre-download (the pre-download state); none by default.
  static void SetPreDownloadStarter(std::function<void()> starter);
  // The time stamp of the last page refresh, for tests.
  static void ResetRefreshForTesting();

 private:
  void StartGame();
  void AskForRestart();
  void Request(int32_t step, const std::string& path, const std::vector<std::string>& servers);
  void OnPreDownloadInfo(const std::string& body);
  void OnGateReply(const std::string& body);
  void OnRemoteGameMap(const std::string& body);
  void OnPreDownloadMap(const std::string& body);
  void OnPreDownloadPatchList(const std::string& body);
  void PublishPreDownloadStatus();

  int64_t lastRecheck_ = 0;  // milliseconds of the process clock
  int64_t lastPoll_ = 0;
  bool polledOnce_ = false;
};

// The launcher's restart for its self-update (UI thread): closes the main
// window and starts the self-update copy. The hook does both; the store's
// launcher-replaced flag is cleared first and handed to it.
void SetLauncherRestarter(std::function<void(bool replaceLauncher)> restarter);
void RestartLauncher();
