#include "browser/client_app.h"

namespace jov_comp {

std::vector<std::string> ClientApp::EngineSwitches(const std::string& user_data_dir,
                                                   bool as_root) {
  std::vector<std::string> switches = {
      "--remote-debugging-pipe",
      "--user-data-dir=" + user_data_dir,
      // Pages never open windows of their own; a refused one is reported.
      "--block-new-web-contents",
      "--disable-gpu",
      "--in-process-gpu",
      "--process-per-site",
      // Nothing is fetched that no page asked for.
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
      "--disable-default-apps",
      "--disable-domain-reliability",
      "--disable-breakpad",
      "--no-first-run",
      "--no-default-browser-check",
      "--disable-quic",
      "--mute-audio",
      "--hide-scrollbars",
  };
  if (as_root) {
    switches.push_back("--no-sandbox");
    switches.push_back("--no-zygote");
  }
  switches.push_back("about:blank");
  return switches;
}

const std::string& ClientApp::PageObjectScript() {
  // The natives follow the checks of the page object: call(name, callback)
  // sends "{}", call(name, arg, callback) sends JSON.stringify(arg), anything
  // else is "Invalid arguments."; a name registered twice in one frame is
  // "Failed to register function.". Answers come back through the answer
  // function, which ignores ids that are not pending.
  static const std::string script = R"JS((function() {
  'use strict';
  if (window.JovCefWebInstance) return;
  const send = window.__jovCefBinding;
  if (typeof send !== 'function') return;
  const pending = new Map();
  const registered = new Map();
  let nextId = 0;
  const post = (message) => send(JSON.stringify(message));
  function nativeCall() {
    const a = arguments;
    if (a.length < 2) throw new Error('Invalid arguments.');
    let params, callback;
    if (typeof a[0] === 'string' && typeof a[1] === 'function') {
      params = '{}'; callback = a[1];
    } else if (a.length >= 3 && typeof a[0] === 'string' && typeof a[1] === 'string' &&
               typeof a[2] === 'function') {
      params = a[1]; callback = a[2];
    } else {
      throw new Error('Invalid arguments.');
    }
    const id = nextId;
    if (pending.has(id)) throw new Error('Failed to call function ' + a[0] + '.');
    nextId = (nextId + 1) | 0;
    pending.set(id, callback);
    post({kind: 'call', name: a[0], params: params, id: id});
  }
  function nativeRegister() {
    const a = arguments;
    if (a.length < 2 || typeof a[0] !== 'string' || typeof a[1] !== 'function')
      throw new Error('Invalid arguments.');
    if (registered.has(a[0])) throw new Error('Failed to register function.');
    registered.set(a[0], a[1]);
  }
  const instance = {};
  instance.call = (name, arg, callback) => {
    if (typeof arg === 'function') { nativeCall(name, arg); return; }
    nativeCall(name, JSON.stringify(arg), callback);
  };
  instance.register = (name, callback) => { nativeRegister(name, callback); };
  Object.defineProperty(window, 'JovCefWebInstance', {value: instance, enumerable: true});
  Object.defineProperty(window, '__jovCefAnswer', {value: (id, error, text) => {
    const callback = pending.get(id);
    if (!callback) return;
    pending.delete(id);
    callback(!!error, JSON.parse(text));
  }});
  Object.defineProperty(window, '__jovCefCallJs', {value: (name, text) => {
    const f = registered.get(name);
    if (!f) return undefined;
    const result = f(JSON.parse(text));
    return (result !== null && typeof result === 'object') ? JSON.stringify(result) : undefined;
  }});
  if (window !== window.top) return;
  let title = null, cursor = null;
  const reportTitle = () => {
    if (document.title !== title) { title = document.title; post({kind: 'title', title: title}); }
  };
  document.addEventListener('DOMContentLoaded', () => {
    reportTitle();
    new MutationObserver(reportTitle).observe(document, {subtree: true, childList: true, characterData: true});
  });
  document.addEventListener('mousemove', (e) => {
    const c = e.target instanceof Element ? getComputedStyle(e.target).cursor : 'auto';
    if (c !== cursor) { cursor = c; post({kind: 'cursor', cursor: c}); }
  }, true);
  let editable = false;
  document.addEventListener('focusin', (e) => {
    const t = e.target;
    const now = !!t && (t.isContentEditable || t.tagName === 'TEXTAREA' ||
                        (t.tagName === 'INPUT' && !t.readOnly));
    if (now !== editable) { editable = now; post({kind: 'focus', editable: now}); }
  }, true);
})();)JS";
  return script;
}

}  // namespace jov_comp
