#include "generator.h"
#include "se_export.h"

SE_MODULE_EXPORTS(Module, GuiModule, FillModuleInfo)
