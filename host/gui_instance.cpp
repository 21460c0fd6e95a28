#include "gui_instance.h"

#include <cstring>

namespace modhost {

namespace {

int32_t AsInt(const void* address) {
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(address));
}

}  // namespace

GuiInstance::GuiInstance(std::shared_ptr<ModuleLibrary> library, GuiRouter* router,
                         std::string name)
    : m_library(std::move(library)), m_router(router), m_name(std::move(name)) {
  // A stand-in native window for the top context; the panel context has none.
  m_contexts[WINDOW_CONTEXT] = WindowContext{0x00010010, 0, {0, 0}};
  m_contexts[PANEL_CONTEXT] = WindowContext{0, WINDOW_CONTEXT, {0, 0}};
}

bool GuiInstance::Create() {
  if (m_record) return true;
  SEGuiRecord* record = m_library->MakeGui(&GuiInstance::Callback, this);
  if (record && record->magic == SE_GUI_MAGIC && record->dispatcher) m_record = record;
  return m_record != nullptr;
}

GuiInstance::~GuiInstance() { Close(); }

void GuiInstance::Close() {
  if (!m_record) return;
  Dispatch(GUI_CLOSE);
  m_record = nullptr;
}

int32_t GuiInstance::Dispatch(int32_t opcode, int32_t index, int32_t value, void* ptr, float opt) {
  if (!m_record) return 0;
  Observation entry{ObservationKind::Dispatch, 0};
  entry.opcode = opcode;
  entry.index = index;
  entry.value = value;
  entry.ptr = reinterpret_cast<uintptr_t>(ptr);
  entry.opt = opt;
  m_log.Add(entry);
  return m_record->dispatcher(m_record, opcode, index, value, ptr, opt);
}

void GuiInstance::Mouse(int32_t opcode, int32_t x, int32_t y, int32_t flags) {
  float bits;
  std::memcpy(&bits, &flags, sizeof bits);
  Dispatch(opcode, x, y, &m_panel, bits);
}

int32_t GuiInstance::Callback(void* record, int32_t opcode, int32_t index, int32_t value, void* ptr,
                              float opt) {
  if (!record) return 0;
  auto* self = static_cast<GuiInstance*>(static_cast<SEGuiRecord*>(record)->host_context);
  if (!self || (self->m_record && self->m_record != record)) return 0;
  return self->m_log.AnswerHostCall(self->CallClock(), opcode, index, value, ptr, opt,
                                    [&] { return self->Answer(opcode, index, value, ptr, opt); });
}

int32_t GuiInstance::Answer(int32_t opcode, int32_t index, int32_t value, void* ptr, float opt) {
  switch (opcode) {
    case GUIHOST_REPAINT:
      ++m_repaints;
      return 0;
    case GUIHOST_SEND_TO_DSP:
      m_router->GuiSendToDsp(*this, index, value, ptr);
      return 0;
    case GUIHOST_SET_SIZE:
      m_size_index = index;
      m_size_value = value;
      return 0;
    case GUIHOST_INIT_OPTION:
      m_init_option = index;
      return 0;
    case GUIHOST_SET_TEXT:
      m_router->GuiSetText(*this, index, static_cast<const char*>(ptr));
      return 0;
    case GUIHOST_GET_TEXT:
      return AsInt(m_router->GuiGetText(*this, index));
    case GUIHOST_WINDOW_HANDLE: {
      // A context the host does not know (the parent of the top one) answers
      // with the top window, so an owner-window search always ends.
      auto it = m_contexts.find(index);
      if (it != m_contexts.end()) return it->second.window;
      auto top = m_contexts.find(WINDOW_CONTEXT);
      return top == m_contexts.end() ? 0 : top->second.window;
    }
    case GUIHOST_GET_PIN: {
      if (!ptr) return 0;
      int32_t bits = 0;
      const bool known = m_router->GuiGetPin(*this, index, &bits);
      *static_cast<int32_t*>(ptr) = bits;
      return known ? 1 : 0;
    }
    case GUIHOST_SET_PIN:
      m_router->GuiSetPin(*this, index, value, opt);
      return 0;
    case GUIHOST_CAPTURE:
      m_captured = true;
      return 0;
    case GUIHOST_RELEASE:
      m_captured = false;
      return 0;
    case GUIHOST_IS_CAPTURED:
      return m_captured ? 1 : 0;
    case GUIHOST_CLOSING:
      m_closing = true;
      return 0;
    case GUIHOST_PARENT: {
      auto it = m_contexts.find(index);
      return it == m_contexts.end() ? 0 : it->second.parent;
    }
    case GUIHOST_SCREEN_OFFSET: {
      if (!ptr) return 0;
      auto it = m_contexts.find(index);
      *static_cast<SEPoint*>(ptr) =
          it == m_contexts.end() ? SEPoint{0, 0} : it->second.screen_offset;
      return 0;
    }
    default:
      return 0;
  }
}

}  // namespace modhost
