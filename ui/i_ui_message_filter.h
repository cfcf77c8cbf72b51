// Sees a window's messages before the window turns them into control events.
#ifndef UI_I_UI_MESSAGE_FILTER_H_
#define UI_I_UI_MESSAGE_FILTER_H_

#include "platform/message/message_types.h"

namespace ui {

class IUIMessageFilter {
 public:
  virtual ~IUIMessageFilter() = default;
  // Setting |handled| ends the message's processing with the result, except
  // for mouse moves, which always go on.
  virtual platform::LRESULT MessageHandler(platform::UINT message, platform::WPARAM wparam,
                                           platform::LPARAM lparam, bool& handled) = 0;
};

}  // namespace ui

#endif  // UI_I_UI_MESSAGE_FILTER_H_
