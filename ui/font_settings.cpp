#include "ui/font_settings.h"

#include <atomic>
#include <mutex>

namespace ui {

namespace {

std::mutex g_faces_lock;
ProbedFontFaces g_system_faces;
ProbedFontFaces g_button_faces;
std::atomic<bool> g_text_anti_alias{false};

}  // namespace

ProbedFontFaces GetProbedFontFaces(FontFaceSet set) {
  std::lock_guard<std::mutex> lock(g_faces_lock);
  return set == FontFaceSet::kSystem ? g_system_faces : g_button_faces;
}

void SetProbedFontFaces(FontFaceSet set, const ProbedFontFaces& faces) {
  std::lock_guard<std::mutex> lock(g_faces_lock);
  (set == FontFaceSet::kSystem ? g_system_faces : g_button_faces) = faces;
}

bool TextAntiAlias() { return g_text_anti_alias.load(); }
void SetTextAntiAlias(bool enabled) { g_text_anti_alias.store(enabled); }

}  // namespace ui
