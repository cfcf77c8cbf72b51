#pragma once
// Every transition of the update flow in one place: which state follows
// which (the table of flow_states.h), the first state of every flow, the
// states that end a flow, and the starters of the flows and the
// pre-download.
//
//   launcher check and game check:
//     PrepareState -> RequestRemoteState -> CheckVersionState
//       (PrepareState goes straight to CheckVersionState when the gate
//        carries the version map)
//     CheckVersionState -> RequestPatchState -> DownloadFilesState
//       (straight to DownloadFilesState without patches; to EnterGameState
//        when nothing needs an update)
//     DownloadFilesState -> ApplyUpdateState -> EnterGameState
//   any failure: the game check to ExceptionState (its retry starts a new
//   game check), the launcher check to EnterGameState.
//   EnterGameState starts the pre-download when asked; PreDownloadState runs
//   beside the current state.

class LauncherStore;

// Makes PrepareState the first state of every flow (the worker's first tick
// and the flow requests of the store), fills the transfers of the table and
// lets the idle state start the pre-download.
void InstallUpdateFlow(LauncherStore& store);

// The launcher's own states at the end of a flow: applying, idling, the error
// state, and the skin reload on the UI thread.
void InstallFlowEndStates();

// Any thread: the pre-download starts on the worker unless one runs.
void StartPreDownload(LauncherStore& store);
