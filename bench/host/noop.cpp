// A module that does nothing in its process function: a chain of these
// measures the host's own cost per block.
#include "se_export.h"

namespace {

class Module : public SEModule_base {
 public:
  Module(SEHostCallback callback, void* context) : SEModule_base(callback, context) {}

  bool GetPinProperties(int32_t index, SEPinProperties* p) override {
    if (index == 0) {
      *p = {&m_in, DR_IN, DT_FSAMPLE, "In", "0", nullptr, 0, 0};
      return true;
    }
    if (index == 1) {
      *p = {&m_out, DR_OUT, DT_FSAMPLE, "Out", nullptr, nullptr, 0, 0};
      return true;
    }
    return false;
  }

  void Open() override {
    SEModule_base::Open();
    SetProcessFunction(ProcessOf<&Module::ProcessNothingAtAll>());
  }

  void ProcessNothingAtAll(int32_t, int32_t) {}

 private:
  float* m_in = nullptr;
  float* m_out = nullptr;
};

class GuiModule : public SEGUI_base {
 public:
  using SEGUI_base::SEGUI_base;
};

void FillInfo(SEModuleInfo* info) {
  info->name = "Bench No-op";
  info->id = "bench_noop";
  info->about = "Benchmark fixture";
  info->module_flags = SE_MODULE_FLAGS;
}

}  // namespace

SE_MODULE_EXPORTS(Module, GuiModule, FillInfo)
