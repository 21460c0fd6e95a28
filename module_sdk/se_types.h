// Host-visible records and numeric vocabularies. Everything here is a wire
// format shared with the host: 32-bit fields, 32-bit addresses, cdecl entries.
#pragma once

#include <cstddef>
#include <cstdint>

static_assert(sizeof(void*) == 4, "modules are 32-bit plug-ins");
static_assert(sizeof(float) == 4 && sizeof(int32_t) == 4, "32-bit fields");

// Data types.
enum : int32_t {
  DT_ENUM = 0,
  DT_TEXT = 1,
  DT_BOOL = 4,
  DT_FSAMPLE = 5,
  DT_FLOAT = 6,
  DT_INT = 8,
};

// Pin directions.
enum : int32_t {
  DR_IN = 0,
  DR_OUT = 1,
  DR_INTERNAL = 3,
};

// Pin flags.
enum : int32_t {
  IO_REPEATING = 0x8,
  IO_PRIVATE = 0x100,
  IO_UI_COMMUNICATION = 0x400,
  IO_HOST_HINT = 0x4000,
  IO_UI_AND_DSP = 0x8000,
  IO_PATCH_STORE = 0x10000,
};

// Pin status.
enum : int32_t {
  PS_STATIC = 0,
  PS_ONE_CHANGE = 1,
  PS_STREAMING = 2,
};

// Timed event types.
enum : int32_t {
  EV_PIN_STATUS = 0,
  EV_DATA = 2,
  EV_RESET = 6,
  EV_CALL = 21,
};

// Host to DSP object.
enum : int32_t {
  MOD_OPEN = 0,
  MOD_CLOSE = 1,
  MOD_SET_SAMPLE_RATE = 2,
  MOD_SET_BLOCK_SIZE = 3,
  MOD_GET_PIN_PROPERTIES = 6,
  MOD_RESET = 8,
  MOD_NOTIFY = 12,
  MOD_GET_PROCESS_INFO = 13,
};

// DSP object to host.
enum : int32_t {
  HOST_PIN_STATUS = 0,
  HOST_PIN_CONNECTED = 1,
  HOST_SAMPLE_CLOCK = 3,
  HOST_PIN_BUFFER = 7,
  HOST_PIN_BLOCK_START = 8,
  HOST_SLEEP = 10,
  HOST_FIRST_CLONE = 12,
  HOST_NEXT_CLONE = 13,
  HOST_PIN_COUNT = 14,
  HOST_SEND_TO_GUI = 17,
  HOST_PROCESS_CHANGED = 22,
  HOST_VERSION = 24,
};

// Host to GUI object.
enum : int32_t {
  GUI_INITIALISE = 0,
  GUI_CLOSE = 1,
  GUI_PAINT = 2,
  GUI_BUTTON_DOWN = 3,
  GUI_BUTTON_UP = 4,
  GUI_MOUSE_MOVE = 5,
  GUI_MODULE_MESSAGE = 6,
  GUI_PIN_CHANGED = 7,
};

// GUI object to host.
enum : int32_t {
  GUIHOST_REPAINT = 0,
  GUIHOST_SEND_TO_DSP = 2,
  GUIHOST_SET_SIZE = 3,
  GUIHOST_INIT_OPTION = 4,
  GUIHOST_SET_TEXT = 6,
  GUIHOST_GET_TEXT = 7,
  GUIHOST_WINDOW_HANDLE = 12,
  GUIHOST_GET_PIN = 14,
  GUIHOST_SET_PIN = 15,
  GUIHOST_CAPTURE = 18,
  GUIHOST_RELEASE = 19,
  GUIHOST_IS_CAPTURED = 20,
  GUIHOST_CLOSING = 22,
  GUIHOST_PARENT = 27,
  GUIHOST_SCREEN_OFFSET = 29,
};

// Identity values every module writes.
constexpr int32_t SE_MODULE_FLAGS = 0x8C0;
constexpr int32_t SE_GUI_FLAGS_OWN_PANEL = 0x180;

constexpr int32_t SE_MODULE_MAGIC = 0x5345507B;
constexpr int32_t SE_GUI_MAGIC = 0x5345504D;

struct SEModuleRecord;
struct SEGuiRecord;
struct SETimedEvent;

// callback(record, opcode, index, value, ptr, opt); record is the caller's
// SEModuleRecord or SEGuiRecord.
typedef int32_t (*SEHostCallback)(void* record, int32_t opcode, int32_t index, int32_t value,
                                  void* ptr, float opt);
typedef int32_t (*SEDispatcherEntry)(SEModuleRecord* record, int32_t opcode, int32_t index,
                                     int32_t value, void* ptr, float opt);
typedef int32_t (*SEGuiDispatcherEntry)(SEGuiRecord* record, int32_t opcode, int32_t index,
                                        int32_t value, void* ptr, float opt);
typedef void (*SEProcessEntry)(void* object, int32_t start, int32_t count);
typedef void (*SEEventEntry)(void* object, SETimedEvent* event);
typedef void (*SECallEntry)(void* object);

struct SEModuleInfo {
  const char* name;
  const char* id;
  const char* about;
  int32_t unused;
  int32_t gui_flags;
  int32_t module_flags;
};
static_assert(sizeof(SEModuleInfo) == 24);
static_assert(offsetof(SEModuleInfo, name) == 0);
static_assert(offsetof(SEModuleInfo, id) == 4);
static_assert(offsetof(SEModuleInfo, about) == 8);
static_assert(offsetof(SEModuleInfo, gui_flags) == 16);
static_assert(offsetof(SEModuleInfo, module_flags) == 20);

struct SEModuleRecord {
  int32_t magic;
  int32_t version;
  void* host_context;
  void* object;
  int32_t reserved1;
  SEDispatcherEntry dispatcher;
  SEProcessEntry process;
  SEEventEntry event;
  int32_t reserved2[4];
};
static_assert(sizeof(SEModuleRecord) == 48);
static_assert(offsetof(SEModuleRecord, magic) == 0);
static_assert(offsetof(SEModuleRecord, version) == 4);
static_assert(offsetof(SEModuleRecord, host_context) == 8);
static_assert(offsetof(SEModuleRecord, object) == 12);
static_assert(offsetof(SEModuleRecord, reserved1) == 16);
static_assert(offsetof(SEModuleRecord, dispatcher) == 20);
static_assert(offsetof(SEModuleRecord, process) == 24);
static_assert(offsetof(SEModuleRecord, event) == 28);
static_assert(offsetof(SEModuleRecord, reserved2) == 32);

struct SEGuiRecord {
  int32_t magic;
  int32_t version;
  SEGuiDispatcherEntry dispatcher;
  void* host_context;
  void* object;
  int32_t reserved[5];
};
static_assert(sizeof(SEGuiRecord) == 40);
static_assert(offsetof(SEGuiRecord, magic) == 0);
static_assert(offsetof(SEGuiRecord, version) == 4);
static_assert(offsetof(SEGuiRecord, dispatcher) == 8);
static_assert(offsetof(SEGuiRecord, host_context) == 12);
static_assert(offsetof(SEGuiRecord, object) == 16);
static_assert(offsetof(SEGuiRecord, reserved) == 20);

struct SEPinProperties {
  void* variable_address;
  int32_t direction;
  int32_t datatype;
  const char* name;
  const char* default_value;
  const char* value_list;
  int32_t flags;
  int32_t spare;
};
static_assert(sizeof(SEPinProperties) == 32);
static_assert(offsetof(SEPinProperties, variable_address) == 0);
static_assert(offsetof(SEPinProperties, direction) == 4);
static_assert(offsetof(SEPinProperties, datatype) == 8);
static_assert(offsetof(SEPinProperties, name) == 12);
static_assert(offsetof(SEPinProperties, default_value) == 16);
static_assert(offsetof(SEPinProperties, value_list) == 20);
static_assert(offsetof(SEPinProperties, flags) == 24);
static_assert(offsetof(SEPinProperties, spare) == 28);

struct SETimedEvent {
  int32_t time_stamp;
  int32_t event_type;
  int32_t param1;
  int32_t param2;
  int32_t param3;  // pin index, or the address of an SECallEntry
};
static_assert(sizeof(SETimedEvent) == 20);
static_assert(offsetof(SETimedEvent, time_stamp) == 0);
static_assert(offsetof(SETimedEvent, event_type) == 4);
static_assert(offsetof(SETimedEvent, param1) == 8);
static_assert(offsetof(SETimedEvent, param2) == 12);
static_assert(offsetof(SETimedEvent, param3) == 16);

// Three words: the process entry, then two words that are always 0.
struct SEProcessDescriptor {
  SEProcessEntry function;
  int32_t zero1;
  int32_t zero2;
};
static_assert(sizeof(SEProcessDescriptor) == 12);

// The panel a GUI object paints into or receives mouse input for; host-owned.
struct SEPanel {
  int32_t width;
  int32_t height;
  int32_t context;  // window context handle
};
static_assert(sizeof(SEPanel) == 12);

// Screen point filled by GUIHOST_SCREEN_OFFSET.
struct SEPoint {
  int32_t x;
  int32_t y;
};
static_assert(sizeof(SEPoint) == 8);
