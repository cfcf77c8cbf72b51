// The browser against the real engine, one engine for the whole program:
// loads and their errors, the page bridge, refused pop-ups, dialogs,
// downloads and a renderer that dies. Pages come from a server on 127.0.0.1.

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "browser/cef_manager.h"
#include "tests/browser/engine_harness.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"
#include "tools/test_server/test_server.h"

namespace {

using browser_test::OnUi;
using browser_test::Recorder;
using jov_comp::BrowserHandler;
using jov_comp::CefManager;

const char kBridgePage[] = R"(<html><head><title>bridge</title></head><body><script>
function run(name, arg) {
  JovCefWebInstance.call(name, arg, (error, result) => {
    document.title = 'answer:' + name + ':' + error + ':' + JSON.stringify(result);
  });
}
</script></body></html>)";

class EngineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    temp_ = new TempFolder();
    home_ = new ScopedEnv("HOME", temp_->path());
    server_ = new testsrv::TestServer();
    ASSERT_TRUE(server_->Start());
    auto page = [](const std::string& body) { return testsrv::MakeStringContent(body); };
    server_->AddFile("/page.html", page("<html><head><title>plain</title></head><body>ok</body></html>"));
    server_->AddFile("/bridge.html", page(kBridgePage));
    server_->AddFile("/bridge2.html", page(kBridgePage));
    server_->AddFile("/popup.html", page(
        "<html><body><a id='l' target='_blank' href='/pop-a.html'>a</a>"
        "<button id='b' onclick=\"window.open('/pop-b.html')\">b</button></body></html>"));
    server_->AddFile("/alert.html", page(
        "<html><body><script>alert('a'); confirm('b'); prompt('c');"
        "document.title = 'script finished';</script></body></html>"));
    server_->AddFile("/file.bin", testsrv::MakePatternContent(4096, 7));
    ui_ = new browser_test::UiThread();
    const std::string data = temp_->File("cef_temp");
    ASSERT_TRUE(OnUi([data] {
      return CefManager::GetInstance()->SetupEngineEnvironment() &&
             CefManager::GetInstance()->Initialize(data);
    }));
  }
  static void TearDownTestSuite() {
    OnUi([] { CefManager::GetInstance()->Shutdown(); });
    delete ui_;
    delete server_;
    delete home_;
    delete temp_;
  }

  void SetUp() override {
    recorder_ = std::make_unique<Recorder>();
    Recorder* recorder = recorder_.get();
    recorder->bridge->RegisterCppFunc(
        "echo", [](const std::string& params, const jov_comp::CefJSBridge::LauncherResultReporter&
                                                  reply) { reply(false, params); });
    handler_ = OnUi([recorder] {
      auto handler = BrowserHandler::Create();
      handler->SetHandlerDelegate(recorder);
      handler->CreateBrowser();
      return handler;
    });
    ASSERT_TRUE(recorder_->WaitFor("created"));
  }
  void TearDown() override {
    auto handler = handler_;
    OnUi([handler] { handler->CloseAllBrowser(); });
    EXPECT_TRUE(recorder_->WaitFor("closed")) << recorder_->Dump();
    handler.reset();
    // The handler is released on the UI thread, where the engine manager
    // keeps its routes.
    OnUi([this] {
      handler_->SetHandlerDelegate(nullptr);
      handler_.reset();
    });
    recorder_.reset();
  }

  std::string Url(const std::string& path) { return server_->BaseUrl() + path; }
  void Load(const std::string& url) {
    auto handler = handler_;
    OnUi([handler, url] { handler->LoadURL(handler->GetBrowser(), url); });
  }
  void Eval(const std::string& script) {
    auto handler = handler_;
    OnUi([handler, script] { handler->EvaluateScript(handler->GetBrowser(), script, nullptr); });
  }
  // Evaluates |script| and waits for its string value.
  std::string EvalString(const std::string& script) {
    auto result = std::make_shared<std::promise<std::string>>();
    auto future = result->get_future();
    auto handler = handler_;
    OnUi([handler, script, result] {
      handler->EvaluateScript(handler->GetBrowser(), script, [result](const Json::Value* value) {
        result->set_value(value ? (*value)["value"].asString() : "<exception>");
      });
    });
    if (future.wait_for(std::chrono::milliseconds(browser_test::kEventTimeoutMs)) !=
        std::future_status::ready)
      return "<no answer>";
    return future.get();
  }
  bool ServerSaw(const std::string& path) {
    for (const auto& request : server_->Requests())
      if (request.path == path) return true;
    return false;
  }

  static TempFolder* temp_;
  static ScopedEnv* home_;
  static testsrv::TestServer* server_;
  static browser_test::UiThread* ui_;
  std::unique_ptr<Recorder> recorder_;
  std::shared_ptr<BrowserHandler> handler_;
};

TempFolder* EngineTest::temp_ = nullptr;
ScopedEnv* EngineTest::home_ = nullptr;
testsrv::TestServer* EngineTest::server_ = nullptr;
browser_test::UiThread* EngineTest::ui_ = nullptr;

TEST_F(EngineTest, LoadsEndWithTheirStatusAndUnresolvableNamesWithTheirError) {
  Load(Url("/page.html"));
  ASSERT_TRUE(recorder_->WaitFor("end:200")) << recorder_->Dump();
  EXPECT_TRUE(recorder_->Has("start"));
  EXPECT_TRUE(recorder_->WaitFor("title:plain")) << recorder_->Dump();
  EXPECT_TRUE(recorder_->Has("address:" + Url("/page.html"))) << recorder_->Dump();
  EXPECT_TRUE(recorder_->WaitFor("loading:010")) << recorder_->Dump();
  recorder_->Clear();
  Load(Url("/missing.html"));
  ASSERT_TRUE(recorder_->WaitFor("end:404")) << recorder_->Dump();
  recorder_->Clear();
  Load("http://no-such-host.invalid/");
  EXPECT_TRUE(recorder_->WaitFor("error:-105:net::ERR_NAME_NOT_RESOLVED:http://no-such-host.invalid/"))
      << recorder_->Dump();
  EXPECT_TRUE(recorder_->WaitFor("end:0")) << recorder_->Dump();
}

TEST_F(EngineTest, BridgeAnswersEchoAndUnknownNamesAndChecksItsArguments) {
  Load(Url("/bridge.html"));
  ASSERT_TRUE(recorder_->WaitFor("end:200")) << recorder_->Dump();
  Eval("run('echo', {text: 'héllo ✓ 한국어 😀', n: [1, 2.5, null]})");
  EXPECT_TRUE(recorder_->WaitFor(
      "title:answer:echo:false:{\"text\":\"héllo ✓ 한국어 😀\",\"n\":[1,2.5,null]}"))
      << recorder_->Dump();
  Eval("run('nope', {a: 1})");
  EXPECT_TRUE(recorder_->WaitFor(
      "title:answer:nope:true:{\"message\":\"Function does not exist.\"}"))
      << recorder_->Dump();
  // The page object's own checks, as texts of thrown errors.
  EXPECT_EQ("Invalid arguments.",
            EvalString("try { JovCefWebInstance.call('echo', {a: 1}); 'none' } catch (e) { e.message }"));
  EXPECT_EQ("Invalid arguments.",
            EvalString("try { JovCefWebInstance.register('f'); 'none' } catch (e) { e.message }"));
  EXPECT_EQ("Failed to register function.",
            EvalString("JovCefWebInstance.register('f', () => ({})); try { "
                       "JovCefWebInstance.register('f', () => ({})); 'none' } catch (e) { e.message }"));
  // call(name, callback) sends "{}".
  Eval("JovCefWebInstance.call('echo', (e, r) => { document.title = 'empty:' + JSON.stringify(r); })");
  EXPECT_TRUE(recorder_->WaitFor("title:empty:{}")) << recorder_->Dump();
}

TEST_F(EngineTest, BridgeDropsOversizePayloadsAndAnswersToAPageThatWentAway) {
  Load(Url("/bridge.html"));
  ASSERT_TRUE(recorder_->WaitFor("end:200")) << recorder_->Dump();
  // Answers arrive in call order: once the small one is there, the big one
  // was dropped.
  Eval("JovCefWebInstance.call('echo', {big: 'x'.repeat(2 << 20)}, () => { document.title = 'big'; });"
       "JovCefWebInstance.call('echo', {small: 1}, () => { document.title = 'small'; });");
  EXPECT_TRUE(recorder_->WaitFor("title:small")) << recorder_->Dump();
  EXPECT_FALSE(recorder_->Has("title:big"));

  // A launcher function that answers only when told to.
  auto held = std::make_shared<std::vector<jov_comp::CefJSBridge::LauncherResultReporter>>();
  Recorder* recorder = recorder_.get();
  OnUi([recorder, held] {
    recorder->bridge->RegisterCppFunc(
        "later", [recorder, held](const std::string& params,
                                  const jov_comp::CefJSBridge::LauncherResultReporter& reply) {
          held->push_back(reply);
          recorder->Add("later:" + params);
        });
  });
  Eval("run('later', {from: 'first'})");
  ASSERT_TRUE(recorder_->WaitFor("later:{\"from\":\"first\"}")) << recorder_->Dump();
  recorder_->Clear();
  Load(Url("/bridge2.html"));
  ASSERT_TRUE(recorder_->WaitFor("end:200")) << recorder_->Dump();
  // The new page has a call pending under the same page id as the old one.
  Eval("run('later', {from: 'second'})");
  ASSERT_TRUE(recorder_->WaitFor("later:{\"from\":\"second\"}")) << recorder_->Dump();
  OnUi([held] {
    (*held)[0](false, "{\"answer\":\"old\"}");
    (*held)[1](false, "{\"answer\":\"new\"}");
  });
  EXPECT_TRUE(recorder_->WaitFor("title:answer:later:false:{\"answer\":\"new\"}"))
      << recorder_->Dump();
  EXPECT_FALSE(recorder_->HasPrefix("title:answer:later:false:{\"answer\":\"old\"}"));
}

TEST_F(EngineTest, LauncherCallsAFunctionThePageRegistered) {
  Load(Url("/bridge.html"));
  ASSERT_TRUE(recorder_->WaitFor("end:200")) << recorder_->Dump();
  Eval("JovCefWebInstance.register('sum', (p) => ({sum: p.a + p.b}))");
  Recorder* recorder = recorder_.get();
  auto handler = handler_;
  OnUi([recorder, handler] {
    recorder->bridge->CallJSFunction(
        "sum", "{\"a\":2,\"b\":40}", [recorder](const std::string& json) { recorder->Add("sum:" + json); },
        handler->GetBrowser());
  });
  EXPECT_TRUE(recorder_->WaitFor("sum:{\"sum\":42}")) << recorder_->Dump();
}

TEST_F(EngineTest, PopupsAreRefusedAndReportedWithTheirUrl) {
  Load(Url("/popup.html"));
  ASSERT_TRUE(recorder_->WaitFor("end:200")) << recorder_->Dump();
  Eval("document.getElementById('l').click(); document.getElementById('b').click();");
  EXPECT_TRUE(recorder_->WaitFor("popup:" + Url("/pop-a.html"))) << recorder_->Dump();
  EXPECT_TRUE(recorder_->WaitFor("popup:" + Url("/pop-b.html"))) << recorder_->Dump();
  // A later load in the same engine has gone through the server: a pop-up
  // request would have reached it by then.
  recorder_->Clear();
  Load(Url("/page.html"));
  ASSERT_TRUE(recorder_->WaitFor("end:200")) << recorder_->Dump();
  EXPECT_FALSE(ServerSaw("/pop-a.html"));
  EXPECT_FALSE(ServerSaw("/pop-b.html"));
}

TEST_F(EngineTest, DialogsAreDismissedAndDownloadsLeaveNoFile) {
  Load(Url("/alert.html"));
  EXPECT_TRUE(recorder_->WaitFor("title:script finished")) << recorder_->Dump();
  EXPECT_TRUE(recorder_->WaitFor("end:200")) << recorder_->Dump();
  recorder_->Clear();
  Load(Url("/file.bin"));
  EXPECT_TRUE(recorder_->WaitFor("download:file.bin")) << recorder_->Dump();
  ASSERT_TRUE(server_->WaitForRequest([](const testsrv::RequestRecord& r) {
    return r.path == "/file.bin" && r.status == 200;
  }, browser_test::kEventTimeoutMs));
  // Something after the download has run through the engine.
  Load(Url("/page.html"));
  ASSERT_TRUE(recorder_->WaitFor("end:200")) << recorder_->Dump();
  for (const auto& entry : std::filesystem::recursive_directory_iterator(temp_->path())) {
    const std::string name = entry.path().filename().string();
    EXPECT_EQ(name.find("file.bin"), std::string::npos) << entry.path();
  }
}

TEST_F(EngineTest, PicturesOfTheViewArriveAtItsSize) {
  auto handler = handler_;
  OnUi([handler] {
    // A transparent view is painted in PNG (with its alpha).
    handler->SetTransparentPainting(true);
    handler->SetViewRect(10, 20, 330, 260);
    handler->SetPaintingEnabled(handler->GetBrowser(), true);
  });
  Load(Url("/page.html"));
  ASSERT_TRUE(recorder_->WaitFor("end:200")) << recorder_->Dump();
  EXPECT_TRUE(recorder_->WaitFor("paint:png:320x240")) << recorder_->Dump();
  OnUi([handler] { handler->SetPaintingEnabled(handler->GetBrowser(), false); });
}

// The renderers of the engine (with --no-zygote they are its children).
std::vector<pid_t> RenderersOf(pid_t engine) {
  std::vector<pid_t> found;
  DIR* proc = ::opendir("/proc");
  while (dirent* entry = proc ? ::readdir(proc) : nullptr) {
    const pid_t pid = std::atoi(entry->d_name);
    if (pid <= 0) continue;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    char state;
    int parent = 0;
    if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &parent) != 2) continue;
    if (parent != engine) continue;
    std::ifstream cmd("/proc/" + std::to_string(pid) + "/cmdline");
    std::string args((std::istreambuf_iterator<char>(cmd)), std::istreambuf_iterator<char>());
    if (args.find("--type=renderer") != std::string::npos) found.push_back(pid);
  }
  if (proc) ::closedir(proc);
  return found;
}

TEST_F(EngineTest, AKilledRendererIsReportedAndAReloadRecovers) {
  Load(Url("/page.html"));
  ASSERT_TRUE(recorder_->WaitFor("end:200")) << recorder_->Dump();
  const pid_t engine = OnUi([] { return CefManager::GetInstance()->engine_pid(); });
  const auto renderers = RenderersOf(engine);
  ASSERT_FALSE(renderers.empty());
  for (pid_t pid : renderers) ::kill(pid, SIGKILL);
  EXPECT_TRUE(recorder_->WaitFor("terminated")) << recorder_->Dump();
  recorder_->Clear();
  auto handler = handler_;
  OnUi([handler] { handler->Reload(handler->GetBrowser()); });
  EXPECT_TRUE(recorder_->WaitFor("end:200")) << recorder_->Dump();
  EXPECT_TRUE(recorder_->WaitFor("title:plain")) << recorder_->Dump();
}

}  // namespace
