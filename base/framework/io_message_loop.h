#pragma once
// A loop of the I/O type: the same tasks as a default loop, on the I/O pump.

#include "base/framework/message_loop.h"

namespace kbase {

class IOMessageLoop : public MessageLoop {
 public:
  IOMessageLoop();
  ~IOMessageLoop() override;
};

}  // namespace kbase
