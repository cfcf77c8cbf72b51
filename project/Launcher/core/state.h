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

// Type identifiers of the states (what TypeId returns).
enum StateTypeId : int32_t {
  kPrepareStateId = 1,
  kRequestRemoteStateId = 2,
  kCheckVersionStateId = 3,
  kRequestPatchStateId = 4,
  kDownloadFilesStateId = 5,
  kApplyUpdateStateId = 6,
  kEnterGameStateId = 7,
  kExceptionStateId = 8,
  kPreDownloadStateId = 9,
};

// The two flows: 0 the launcher checks and updates itself; anything else is
// the game flow.
inline constexpr int32_t kLauncherFlow = 0;
inline constexpr int32_t kGameFlow = 1;

// The routing functions handed to the download manager with a state's job
// token as the user value; each delivers to the process store's current
// state only when that state made the request (worker thread).
void RouteFileDone(int32_t user, int32_t code, std::string url, std::string errorText);
void RouteRequestDone(int32_t user, int32_t code, std::string url, const char* body, int64_t length,
                      std::string errorText);
void RouteProbeDone(int32_t user, int32_t code, std::string url, bool exists, std::string errorText);
void RouteProgress(int32_t user, double bytesPerSecond);

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

  // Reports the failure (errorCode, errorText, detail) to the user: a usage
  // event, the store's error-shown flag, and an error box whose buttons are
  // the two keys; |continuation| (may be empty) then runs on the UI thread
  // with true when the second button was chosen.
  void ShowError(const std::string& firstButtonKey, const std::string& secondButtonKey,
                 std::function<void(bool)> continuation);
  // The text ShowError shows as the box's detail line.
  std::u16string ErrorDetailText() const;

  int32_t mode = kGameFlow;
  int32_t result = 0;     // 0 pending, > 0 succeeded, < 0 failed
  int32_t errorCode = 0;  // DownloadResult of a failed request, or 0
  std::string errorText;
  std::string detail;

 protected:
  LauncherStore& store() const { return store_; }

 private:
  LauncherStore& store_;
  const int32_t jobToken_;
};
