#include "base/framework/io_message_loop.h"

#include <memory>

#include "base/framework/win_io_message_pump.h"

namespace kbase {

IOMessageLoop::IOMessageLoop()
    : MessageLoop(kIOMessageLoop, std::make_shared<WinIOMessagePump>()) {}

IOMessageLoop::~IOMessageLoop() = default;

}  // namespace kbase
