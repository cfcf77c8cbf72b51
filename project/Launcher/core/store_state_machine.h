#pragma once
// The launcher store's update state machine (worker thread): the current
// state and the one function that changes it, the start of a flow with its
// request to start the game, and the routing of the download manager's
// results to the state that asked by its job token.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class State;

// Makes the first state of a flow (0 launcher, 1 game); may give none.
using FirstStateFactory = std::function<std::unique_ptr<State>(int32_t mode)>;

class StoreStateMachine {
 public:
  // |changed| runs whenever another state became current, before its entry
  // (the store publishes the state for the UI thread there).
  explicit StoreStateMachine(std::function<void()> changed);
  ~StoreStateMachine();
  StoreStateMachine(const StoreStateMachine&) = delete;
  StoreStateMachine& operator=(const StoreStateMachine&) = delete;

  void SetFirstStateFactory(FirstStateFactory factory) { firstStateFactory_ = std::move(factory); }
  std::unique_ptr<State> MakeFirstState(int32_t mode) const;

  // Makes |next| current (taking it in every case): refused for the same type
  // in the same flow, and for null when there is no current state. Every
  // change is traced with both states' names; the old state leaves, the new
  // one enters while the old one still lives. True when |next| became current.
  bool ChangeState(std::unique_ptr<State> next);
  State* current() const { return current_.get(); }
  // Ends the current state without a successor (the worker's stop).
  void Stop();

  // Makes |first| (may be null) current as the first state of a flow,
  // remembering whether that flow is to start the game when it ends: a
  // request belongs to the flow it was made for (never to the launcher's
  // own check, nor to a flow that happens to end first).
  void BeginFlow(std::unique_ptr<State> first, bool enterGame);
  // True once for the flow that was asked to start the game.
  bool TakeEnterGameRequest();
  void ForgetEnterGameRequest() { flowEntersGame_ = false; }

  // Receives a line for every change ("state PrepareState(game) ->
  // RequestRemoteState(game)"). Builds with assertions write the lines to
  // stderr until another sink is set; empty: no trace.
  void SetTrace(std::function<void(const std::string&)> trace) { trace_ = std::move(trace); }

  // Results of the download manager, delivered only while the state whose
  // job token they carry is current.
  void RouteFileDone(int32_t token, int32_t code, std::string url, std::string errorText);
  void RouteRequestDone(int32_t token, int32_t code, std::string url, const char* body,
                        int64_t length, std::string errorText);
  void RouteProbeDone(int32_t token, int32_t code, std::string url, bool exists,
                      std::string errorText);
  void RouteProgress(int32_t token, double bytesPerSecond);

 private:
  void Trace(const State* from, const State* to) const;

  std::function<void()> changed_;
  FirstStateFactory firstStateFactory_;
  std::unique_ptr<State> current_;
  bool flowEntersGame_ = false;
  std::function<void(const std::string&)> trace_;
};
