#pragma once
// The base of the update states. Exactly one state is current at a time,
// owned by the launcher store and driven by the worker's tick; each step of
// a flow (gate, version maps, patches, downloads, apply, idle) is a class
// derived from State. Every operation runs on the worker thread.
//
// Results of the download manager reach a state through the store's routing
// functions with the state's job token as the request's user value: a token
// names one state object, so a late result of an earlier state (even one of
// the same type) is dropped instead of finishing the wrong state.

#include <cstdint>
#include <functional>
#include <string>

class LauncherStore;

// Every state of the update flow (what TypeId returns), in the order a flow
// passes them; update_flow.h shows who follows whom.
enum StateTypeId : int32_t {
  kPrepareStateId = 1,        // reads the local versions and asks the gate
  kRequestRemoteStateId = 2,  // fetches the remote version map
  kCheckVersionStateId = 3,   // compares the maps: what needs an update
  kRequestPatchStateId = 4,   // fetches the list of patches
  kDownloadFilesStateId = 5,  // fetches the patches and whole files
  kApplyUpdateStateId = 6,    // patches and moves the files into place
  kEnterGameStateId = 7,      // idle: starts the game when asked, polls for versions
  kExceptionStateId = 8,      // a failed game flow: the error and a retry
  kPreDownloadStateId = 9,    // beside the current state: the next version ahead
};

// The state's class name for traces; "none" for -1 (no state).
const char* StateName(int32_t typeId);

// What a state's |result| says. The numbers are fixed: callers compare with
// them and the pre-download counts its steps on from kStateSucceeded.
enum StateResult : int32_t {
  kStateFailed = -1,    // errorCode, errorText and detail say why
  kStatePending = 0,    // the step is still working
  kStateSucceeded = 1,  // done: the flow moves on
};

// The two flows: 0 the launcher checks and updates itself; anything else is
// the game flow.
inline constexpr int32_t kLauncherFlow = 0;
inline constexpr int32_t kGameFlow = 1;

class State {
 public:
  // Game flow.
  State();
  explicit State(int32_t mode);
  virtual ~State();
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  virtual int32_t TypeId() const { return 0; }
  // Just after the state became current; |previous| is still alive.
  virtual void Enter(State* previous) = 0;
  // Every worker tick while the state is current.
  virtual void Update() = 0;
  // True while Update has something to do at every tick (requests, files,
  // transfers to watch): the worker then ticks every 2 ms. A state that only
  // waits (for an answer posted to the worker, or for a time) says false and
  // gives the time Update must next run, if any, in milliseconds of the
  // process clock (0: none); the worker sleeps until then or until a task
  // posted to it changes what the states say.
  virtual bool HasWork() const { return true; }
  virtual int64_t NextDeadlineMs() const { return 0; }
  // Before |next| (may be null) is entered.
  virtual void Leave(State* next) = 0;
  virtual void OnFileDone(int32_t code, std::string url, std::string errorText);
  virtual void OnRequestDone(int32_t code, std::string url, std::string body,
                             std::string errorText);
  virtual void OnProbeDone(int32_t code, std::string url, bool exists, std::string errorText);
  virtual void OnProgress(double bytesPerSecond);

  // The user value of this state's requests to the download manager; unique
  // among the states of the process, never 0.
  int32_t JobToken() const { return jobToken_; }
  bool IsGameFlow() const { return mode != kLauncherFlow; }

  // Marks the step failed: result kStateFailed, with the code (a
  // DownloadResult, or 0), the text and the detail the error box shows.
  void Fail(int32_t code, std::string text, std::string detailText);

  // Reports the failure (errorCode, errorText, detail) to the user: a usage
  // event, the store's error-shown flag, and an error box whose buttons are
  // the two keys; |continuation| (may be empty) then runs on the UI thread
  // with true when the second button was chosen.
  void ShowError(const std::string& firstButtonKey, const std::string& secondButtonKey,
                 std::function<void(bool)> continuation);
  // The text ShowError shows as the box's detail line.
  std::u16string ErrorDetailText() const;

  int32_t mode = kGameFlow;
  int32_t result = kStatePending;  // a StateResult (the pre-download: its step)
  int32_t errorCode = 0;  // DownloadResult of a failed request, or 0
  std::string errorText;
  std::string detail;

 protected:
  LauncherStore& store() const { return store_; }

 private:
  LauncherStore& store_;
  const int32_t jobToken_;
};
