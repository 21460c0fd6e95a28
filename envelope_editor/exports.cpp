#include "gui_module.h"
#include "module.h"
#include "se_export.h"

SE_MODULE_EXPORTS(Module, GuiModule, FillModuleInfo)
