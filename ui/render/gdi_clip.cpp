#include "ui/render/gdi_clip.h"

#include "ui/render/dc_record.h"

namespace ui {

void GdiClip::CreateClip(HDC dc, const UiRect& rect) {
  if (dc != nullptr) dc->PushClip(rect);
}

void GdiClip::CreateRoundClip(HDC dc, const UiRect& rect, int width, int height) {
  if (dc != nullptr) dc->PushClip(rect, width, height);
}

void GdiClip::ClearClip(HDC dc) {
  if (dc != nullptr) dc->Restore(-1);
}

}  // namespace ui
