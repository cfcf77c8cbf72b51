#pragma once
// What stands where the layout names a "CefControl" while no browser engine
// runs: a plain control that keeps the tag's size and margins and draws
// nothing of its own.

#include "ui/control.h"

class CefDummyControl : public ui::Control {};
