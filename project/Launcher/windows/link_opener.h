// What a poster or a news line does when it is pressed: opens the link named
// by its key (the main window hands in the store's look-up in its link map).
#pragma once

#include <functional>
#include <string>

namespace MainComponents {

using LinkOpener = std::function<void(const std::string& link_key)>;

}  // namespace MainComponents
