// The envelope module's GUI object. The editor builds on this class; until
// then it is the framework's GUI base.
#pragma once

#include "se_gui_base.h"

class GuiModule : public SEGUI_base {
 public:
  using SEGUI_base::SEGUI_base;
};
