// The services side of a windowless text editor: our editing engine keeps
// the text and the selection, takes window messages and draws, asking its
// host (i_text_host.h) for everything about the place it is shown in.
#ifndef UI_CONTROLS_I_TEXT_SERVICES_H_
#define UI_CONTROLS_I_TEXT_SERVICES_H_

#include <memory>
#include <string>

#include "ui/controls/i_text_host.h"

namespace ui {

class IRenderContext;

class ITextServices {
 public:
  virtual ~ITextServices() = default;

  virtual HRESULT TxSendMessage(platform::UINT message, platform::WPARAM wparam, platform::LPARAM lparam,
                                platform::LRESULT* result) = 0;
  // Draws the text into the render context with the text area at |bounds|
  // (the control's coordinates); |update| limits what is drawn.
  virtual HRESULT TxDraw(IRenderContext* render, const UiRect& bounds, const UiRect& update) = 0;
  // The size the text takes in a width (0 or less: unbounded).
  virtual HRESULT TxGetNaturalSize(int width, int height, UiSize* natural) = 0;
  virtual HRESULT OnTxSetCursor(UiPoint point) = 0;
  virtual HRESULT OnTxInPlaceActivate(const UiRect* client) = 0;
  virtual HRESULT OnTxInPlaceDeactivate() = 0;
  virtual HRESULT OnTxPropertyBitsChange(uint32_t mask, uint32_t bits) = 0;
  virtual HRESULT TxSetText(const std::u16string& text) = 0;
  virtual HRESULT TxGetText(std::u16string* text) = 0;
};

// Makes the editing engine for a host.
HRESULT CreateTextServices(ITextHost* host, std::unique_ptr<ITextServices>* services);

}  // namespace ui

#endif  // UI_CONTROLS_I_TEXT_SERVICES_H_
