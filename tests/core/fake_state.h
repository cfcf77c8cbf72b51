#pragma once
// A state that writes what happens to it into a shared journal.

#include <functional>
#include <string>
#include <vector>

#include "project/Launcher/core/flow/state.h"

using Journal = std::vector<std::string>;

class FakeState : public State {
 public:
  FakeState(int32_t typeId, int32_t flow, std::string name, Journal* journal)
      : State(flow), typeId_(typeId), name_(std::move(name)), journal_(journal) {}
  ~FakeState() override { Note("destroyed"); }

  int32_t TypeId() const override { return typeId_; }
  void Enter(State* previous) override { Note("enter(" + NameOf(previous) + ")"); }
  void Update() override {
    Note("update");
    if (onUpdate) onUpdate();
  }
  void Leave(State* next) override { Note("leave(" + NameOf(next) + ")"); }
  void OnFileDone(int32_t code, std::string url, std::string error) override {
    Note("file(" + std::to_string(code) + "," + url + "," + error + ")");
  }
  void OnRequestDone(int32_t code, std::string url, std::string body, std::string error) override {
    Note("request(" + std::to_string(code) + "," + url + "," + body + "," + error + ")");
  }
  void OnProbeDone(int32_t code, std::string url, bool exists, std::string error) override {
    Note("probe(" + std::to_string(code) + "," + url + "," + (exists ? "yes" : "no") + "," + error +
         ")");
  }

  const std::string& name() const { return name_; }
  std::function<void()> onUpdate;

 private:
  static std::string NameOf(State* state) {
    auto* fake = dynamic_cast<FakeState*>(state);
    return fake ? fake->name_ : std::string("none");
  }
  void Note(const std::string& what) {
    if (journal_) journal_->push_back(name_ + "." + what);
  }

  int32_t typeId_;
  std::string name_;
  Journal* journal_;
};
