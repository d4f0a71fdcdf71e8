// Binary interface of the UI engine (sciter.dll) as this program uses it: the function table returned by
// the export SciterAPI, the engine value record, notifications, native-object records and constants.
// Declared here in our own words from the engine's published interface; the stand-in engine in
// standins/ui-engine implements the same table, so one program runs on either.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// Table entries and engine callbacks use stdcall; native-object thunks and the asset class table use the
// compiler's default (cdecl). The difference exists on i386 only.
#define SCAPI __stdcall

namespace sciter::abi {

using SBOOL = int32_t;
using UINT = uint32_t;
using INT = int32_t;

struct VALUE {
  UINT t;
  UINT u;
  uint64_t d;
};

enum ValueType : UINT {
  T_UNDEFINED = 0,
  T_NULL = 1,
  T_BOOL = 2,
  T_INT = 3,
  T_FLOAT = 4,
  T_STRING = 5,
  T_ARRAY = 9,
  T_MAP = 10,
  T_OBJECT = 13,  // a script object handed out by reference; ValueIsolate makes it plain data
};

// Units of a T_OBJECT value: what kind of script object it refers to.
enum ObjectUnits : UINT {
  UT_OBJECT_ARRAY = 0,
  UT_OBJECT_OBJECT = 1,
  UT_OBJECT_CLASS = 2,
  UT_OBJECT_NATIVE = 3,
  UT_OBJECT_FUNCTION = 4,
  UT_OBJECT_ERROR = 5,
};

enum StringUnits : UINT {
  UT_STRING_STRING = 0,
  UT_STRING_ERROR = 1,
  UT_STRING_SYMBOL = 0xFFFF,
};

enum ValueResult : UINT { HV_OK = 0, HV_BAD_PARAMETER = 1, HV_INCOMPATIBLE_TYPE = 2 };

// Host notifications (SciterSetCallback).
enum NotificationCode : UINT {
  SC_LOAD_DATA = 1,
  SC_DATA_LOADED = 2,
  SC_ATTACH_BEHAVIOR = 4,
  SC_ENGINE_DESTROYED = 5,
  SC_POSTED_NOTIFICATION = 6,
  SC_GRAPHICS_CRITICAL_FAILURE = 7,
};

enum LoadDataResult : UINT { LOAD_OK = 0, LOAD_DISCARD = 1, LOAD_DELAYED = 2, LOAD_MYSELF = 3 };

struct SCITER_CALLBACK_NOTIFICATION {
  UINT code;
  HWND hwnd;
};

struct SCN_LOAD_DATA {
  UINT code;
  HWND hwnd;
  const wchar_t* uri;
  const uint8_t* outData;
  UINT outDataSize;
  UINT dataType;
  void* requestId;
  void* principal;
  void* initiator;
};

struct SCN_DATA_LOADED {
  UINT code;
  HWND hwnd;
  const wchar_t* uri;
  const uint8_t* data;
  UINT dataSize;
  UINT dataType;
  UINT status;
};

struct SCN_ATTACH_BEHAVIOR {
  UINT code;
  HWND hwnd;
  void* element;
  const char* behaviorName;
  void* elementProc;
  void* elementTag;
};

// Event groups of the element event procedure.
enum EventGroup : UINT {
  HANDLE_INITIALIZATION = 0x0000,
  HANDLE_MOUSE = 0x0001,
  HANDLE_KEY = 0x0002,
  HANDLE_FOCUS = 0x0004,
  HANDLE_SCROLL = 0x0008,
  HANDLE_TIMER = 0x0010,
  HANDLE_SIZE = 0x0020,
  HANDLE_DRAW = 0x0040,
  HANDLE_DATA_ARRIVED = 0x0080,
  HANDLE_BEHAVIOR_EVENT = 0x0100,
  HANDLE_METHOD_CALL = 0x0200,
  HANDLE_SCRIPTING_METHOD_CALL = 0x0400,
  HANDLE_EXCHANGE = 0x1000,
  HANDLE_GESTURE = 0x2000,
  HANDLE_ATTRIBUTE_CHANGE = 0x4000,
  HANDLE_SOM = 0x8000,
  HANDLE_ALL = 0xFFFF,
  SUBSCRIPTIONS_REQUEST = 0xFFFFFFFF,
};

enum InitializationCommand : UINT { BEHAVIOR_DETACH = 0, BEHAVIOR_ATTACH = 1 };

struct INITIALIZATION_PARAMS {
  UINT cmd;
};

enum SomCommand : UINT { SOM_GET_PASSPORT = 0, SOM_GET_ASSET = 1 };

struct SOM_PARAMS {
  UINT cmd;
  void* data;  // out: passport or asset
};

// Window creation flags.
enum WindowFlags : UINT {
  SW_CHILD = 0x1,
  SW_TITLEBAR = 0x2,
  SW_RESIZEABLE = 0x4,
  SW_TOOL = 0x8,
  SW_CONTROLS = 0x10,
  SW_GLASSY = 0x20,
  SW_ALPHA = 0x40,
  SW_MAIN = 0x80,
  SW_POPUP = 0x100,
  SW_ENABLE_DEBUG = 0x200,
  SW_OWNS_VM = 0x400,
};

enum RuntimeOption : UINT { SCITER_SET_SCRIPT_RUNTIME_FEATURES = 8, SCITER_SET_UX_THEMING = 11 };

enum ScriptFeature : UINT {
  ALLOW_FILE_IO = 0x1,
  ALLOW_SOCKET_IO = 0x2,
  ALLOW_EVAL = 0x4,
  ALLOW_SYSINFO = 0x8,
};

enum DebugSubsystem : UINT { OT_DOM = 0, OT_CSSS = 1, OT_CSS = 2, OT_TIS = 3 };
enum DebugSeverity : UINT { OS_INFO = 0, OS_WARNING = 1, OS_ERROR = 2 };

using LPSciterHostCallback = UINT(SCAPI*)(SCITER_CALLBACK_NOTIFICATION* notification, void* param);
using LPElementEventProc = SBOOL(SCAPI*)(void* tag, void* element, UINT group, void* params);
using SciterWindowDelegate = LRESULT(SCAPI*)(HWND, UINT, WPARAM, LPARAM, void* param, SBOOL* handled);
using DEBUG_OUTPUT_PROC = void(SCAPI*)(void* param, UINT subsystem, UINT severity, const wchar_t* text, UINT length);

// Native objects exposed to the page.
struct som_passport_t;
struct som_asset_t;

struct som_asset_class_t {
  long (*asset_add_ref)(som_asset_t* thing);
  long (*asset_release)(som_asset_t* thing);
  long (*asset_get_interface)(som_asset_t* thing, const char* name, void** out);
  som_passport_t* (*asset_get_passport)(som_asset_t* thing);
};

struct som_asset_t {
  som_asset_class_t* isa;
};

using som_method_t = SBOOL (*)(som_asset_t* thing, UINT argc, const VALUE* argv, VALUE* result);
using som_atom_t = uint64_t;

struct som_method_def_t {
  void* reserved;
  som_atom_t name;
  size_t params;
  som_method_t func;
};

struct som_passport_t {
  uint64_t flags;
  som_atom_t name;
  const void* properties;
  size_t n_properties;
  const som_method_def_t* methods;
  size_t n_methods;
  void* item_getter;
  void* item_setter;
  void* item_next;
  void* prop_getter;
  void* prop_setter;
  // Read by newer engines only when flags says so; allocated and left null so every version is served.
  void* name_resolver;
  void* reserved;
};

// The engine's function table. Entry i (i >= 1) is a pointer at i * pointer size; entries this program
// does not use are kept as untyped slots so the indices stay right.
struct ISciterAPI {
  UINT version;                                                                                   // 0
  void* SciterClassName;                                                                          // 1
  void* SciterVersion;                                                                            // 2
  SBOOL(SCAPI* SciterDataReady)(HWND, const wchar_t* uri, const uint8_t* data, UINT length);      // 3
  void* SciterDataReadyAsync;                                                                     // 4
  void* SciterProc;                                                                               // 5
  void* SciterProcND;                                                                             // 6
  SBOOL(SCAPI* SciterLoadFile)(HWND, const wchar_t* url);                                         // 7
  void* SciterLoadHtml;                                                                           // 8
  void(SCAPI* SciterSetCallback)(HWND, LPSciterHostCallback, void* param);                        // 9
  void* unused_10_16[7];                                                                          // 10-16
  SBOOL(SCAPI* SciterCall)(HWND, const char* name, UINT argc, const VALUE* argv, VALUE* result);  // 17
  void* unused_18_20[3];                                                                          // 18-20
  SBOOL(SCAPI* SciterSetOption)(HWND, UINT option, UINT_PTR value);                               // 21
  void* unused_22_30[9];                                                                          // 22-30
  HWND(SCAPI* SciterCreateWindow)
  (UINT flags, RECT* frame, SciterWindowDelegate delegate, void* delegateParam, HWND parent);  // 31
  void(SCAPI* SciterSetupDebugOutput)(HWND, void* param, DEBUG_OUTPUT_PROC proc);              // 32
  void* unused_33_82[50];                                                                      // 33-82
  INT(SCAPI* SciterWindowAttachEventHandler)(HWND, LPElementEventProc proc, void* tag,
                                             UINT subscription);                          // 83
  void* unused_84_128[45];                                                                // 84-128
  UINT(SCAPI* ValueInit)(VALUE*);                                                         // 129
  UINT(SCAPI* ValueClear)(VALUE*);                                                        // 130
  void* ValueCompare;                                                                     // 131
  UINT(SCAPI* ValueCopy)(VALUE* dst, const VALUE* src);                                   // 132
  UINT(SCAPI* ValueIsolate)(VALUE*);                                                      // 133
  void* ValueType;                                                                        // 134
  UINT(SCAPI* ValueStringData)(const VALUE*, const wchar_t** chars, UINT* count);         // 135
  UINT(SCAPI* ValueStringDataSet)(VALUE*, const wchar_t* chars, UINT count, UINT units);  // 136
  UINT(SCAPI* ValueIntData)(const VALUE*, INT* out);                                      // 137
  UINT(SCAPI* ValueIntDataSet)(VALUE*, INT data, UINT type, UINT units);                  // 138
  void* unused_139_140[2];                                                                // 139-140
  UINT(SCAPI* ValueFloatData)(const VALUE*, double* out);                                 // 141
  void* unused_142_144[3];                                                                // 142-144
  UINT(SCAPI* ValueElementsCount)(const VALUE*, INT* count);                              // 145
  UINT(SCAPI* ValueNthElementValue)(const VALUE*, INT n, VALUE* out);                     // 146
  UINT(SCAPI* ValueNthElementValueSet)(VALUE*, INT n, const VALUE* element);              // 147
  void* ValueNthElementKey;                                                               // 148
  void* ValueEnumElements;                                                                // 149
  UINT(SCAPI* ValueSetValueToKey)(VALUE*, const VALUE* key, const VALUE* element);        // 150
  UINT(SCAPI* ValueGetValueOfKey)(const VALUE*, const VALUE* key, VALUE* out);            // 151
  UINT(SCAPI* ValueToString)(VALUE*, UINT how);                                           // 152
  void* unused_153_160[8];                                                                // 153-160
  void*(SCAPI* SciterOpenArchive)(const uint8_t* data, UINT length);                      // 161
  SBOOL(SCAPI* SciterGetArchiveItem)(void* archive, const wchar_t* path, const uint8_t** data,
                                     UINT* length);      // 162
  SBOOL(SCAPI* SciterCloseArchive)(void* archive);       // 163
  void* unused_164_172[9];                               // 164-172
  som_atom_t(SCAPI* SciterAtomValue)(const char* name);  // 173
  void* unused_174_185[12];                              // 174-185
};

using SciterAPI_ptr = ISciterAPI*(SCAPI*)();

}  // namespace sciter::abi
