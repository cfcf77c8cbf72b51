#include "project/Launcher/core/flow/update_flow.h"

#include <memory>

#include "base/thread/thread_registry.h"
#include "project/Launcher/core/flow/apply_update_state.h"
#include "project/Launcher/core/flow/check_version_state.h"
#include "project/Launcher/core/flow/download_files_state.h"
#include "project/Launcher/core/flow/enter_game_state.h"
#include "project/Launcher/core/flow/exception_state.h"
#include "project/Launcher/core/flow/flow_states.h"
#include "project/Launcher/core/flow/pre_download_state.h"
#include "project/Launcher/core/flow/prepare_state.h"
#include "project/Launcher/core/flow/request_patch_state.h"
#include "project/Launcher/core/flow/request_remote_state.h"
#include "project/Launcher/core/launcher_store.h"

namespace {

template <typename T>
StateMaker MakerOf() {
  return [](int32_t mode) -> std::unique_ptr<State> { return std::make_unique<T>(mode); };
}

}  // namespace

void InstallUpdateFlow(LauncherStore& store) {
  store.SetFirstStateFactory(MakerOf<PrepareState>());
  FlowStates states = GetFlowStates();
  states.requestRemote = MakerOf<RequestRemoteState>();
  states.checkVersion = MakerOf<CheckVersionState>();
  states.requestPatch = MakerOf<RequestPatchState>();
  states.downloadFiles = MakerOf<DownloadFilesState>();
  SetFlowStates(std::move(states));
  // The idle state starts the pre-download when the user asked for it.
  EnterGameState::SetPreDownloadStarter([&store] { StartPreDownload(store); });
}

void InstallFlowEndStates() {
  FlowStates states = GetFlowStates();
  states.applyUpdate = MakerOf<ApplyUpdateState>();
  states.enterGame = []() -> std::unique_ptr<State> { return std::make_unique<EnterGameState>(); };
  states.exception = [](const State& failed, bool offerRetry) -> std::unique_ptr<State> {
    return std::make_unique<ExceptionState>(failed.errorCode, failed.errorText, failed.detail,
                                            offerRetry);
  };
  states.reloadSkinPackage = [](std::function<void()> then) {
    LauncherStore::GetInstance().ReloadSkinPackage(std::move(then));
  };
  SetFlowStates(std::move(states));
}

void StartPreDownload(LauncherStore& store) {
  kbase::ThreadRegistry::PostTask(kThreadMisc, [&store] {
    if (store.preDownloadState) return;
    store.preDownloadState = std::make_unique<PreDownloadState>();
    store.preDownloadState->Enter(nullptr);
  });
}
