#include "project/Launcher/core/flow/state.h"

#include <atomic>

#include "base/util/string_util.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/services/usage_events.h"

namespace {

int32_t NextJobToken() {
  static std::atomic<uint32_t> counter{0};
  // Positive and never 0, starting over after two thousand million states.
  return static_cast<int32_t>(counter.fetch_add(1, std::memory_order_relaxed) % 0x7FFFFFFFu) + 1;
}

}  // namespace

State::State() : State(kGameFlow) {}

State::State(int32_t flow)
    : mode(flow), store_(LauncherStore::GetInstance()), jobToken_(NextJobToken()) {
  store_.errorShown = false;
}

State::~State() = default;

const char* StateName(int32_t typeId) {
  switch (typeId) {
    case kPrepareStateId: return "PrepareState";
    case kRequestRemoteStateId: return "RequestRemoteState";
    case kCheckVersionStateId: return "CheckVersionState";
    case kRequestPatchStateId: return "RequestPatchState";
    case kDownloadFilesStateId: return "DownloadFilesState";
    case kApplyUpdateStateId: return "ApplyUpdateState";
    case kEnterGameStateId: return "EnterGameState";
    case kExceptionStateId: return "ExceptionState";
    case kPreDownloadStateId: return "PreDownloadState";
    case -1: return "none";
    default: return "unknown";
  }
}

void State::Fail(int32_t code, std::string text, std::string detailText) {
  result = kStateFailed;
  errorCode = code;
  errorText = std::move(text);
  detail = std::move(detailText);
}

void State::OnFileDone(int32_t, std::string, std::string) {}
void State::OnRequestDone(int32_t, std::string, std::string, std::string) {}
void State::OnProbeDone(int32_t, std::string, bool, std::string) {}
void State::OnProgress(double) {}

std::u16string State::ErrorDetailText() const {
  // Built by appending: g++ 12 at -O3 warns falsely about prefixing a string.
  std::u16string text;
  if (errorCode != 0) {
    const std::string code = std::to_string(errorCode);
    text.append(code.begin(), code.end()).append(1, u'\n');
  }
  text.append(kbase::UTF8ToUTF16(errorText));
  if (!detail.empty()) text.append(1, u'(').append(kbase::UTF8ToUTF16(detail)).append(1, u')');
  return text;
}

void State::ShowError(const std::string& firstButtonKey, const std::string& secondButtonKey,
                      std::function<void(bool)> continuation) {
  std::u16string text = ErrorDetailText();
  SendLauncherEvent(&store_, kbase::UTF16ToUTF8(text), std::string(), std::string(), "exception",
                    std::string(), true);
  store_.errorShown = true;

  MessageBoxRequest request;
  request.titleKey = "STRING_ERROR_NOTICE";
  request.contentText = store_.LanguageText("STRING_ERROR_UPDATE");
  request.detailText = std::move(text);
  request.firstButtonKey = firstButtonKey;
  request.secondButtonKey = secondButtonKey;
  if (continuation) {
    request.continuation = [continuation = std::move(continuation)](int32_t answer) {
      // Only the second button confirms; a box that could not open did not.
      continuation(answer == 1);
    };
  }
  store_.RequestErrorBox(std::move(request));
}
