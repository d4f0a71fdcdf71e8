// Compile-time checks that our declarations match the engine's binary layout on both processors.
#include "host/sciter_abi.h"

namespace sciter::abi {

constexpr size_t W = sizeof(void*);
constexpr bool k64 = W == 8;

#define ENTRY_AT(name, index) static_assert(offsetof(ISciterAPI, name) == (index)*W, #name)
ENTRY_AT(SciterDataReady, 3);
ENTRY_AT(SciterLoadFile, 7);
ENTRY_AT(SciterSetCallback, 9);
ENTRY_AT(SciterCall, 17);
ENTRY_AT(SciterSetOption, 21);
ENTRY_AT(SciterCreateWindow, 31);
ENTRY_AT(SciterSetupDebugOutput, 32);
ENTRY_AT(SciterWindowAttachEventHandler, 83);
ENTRY_AT(ValueInit, 129);
ENTRY_AT(ValueClear, 130);
ENTRY_AT(ValueCopy, 132);
ENTRY_AT(ValueIsolate, 133);
ENTRY_AT(ValueStringData, 135);
ENTRY_AT(ValueStringDataSet, 136);
ENTRY_AT(ValueIntData, 137);
ENTRY_AT(ValueIntDataSet, 138);
ENTRY_AT(ValueFloatData, 141);
ENTRY_AT(ValueElementsCount, 145);
ENTRY_AT(ValueNthElementValue, 146);
ENTRY_AT(ValueNthElementValueSet, 147);
ENTRY_AT(ValueSetValueToKey, 150);
ENTRY_AT(ValueGetValueOfKey, 151);
ENTRY_AT(ValueToString, 152);
ENTRY_AT(SciterOpenArchive, 161);
ENTRY_AT(SciterGetArchiveItem, 162);
ENTRY_AT(SciterCloseArchive, 163);
ENTRY_AT(SciterAtomValue, 173);
#undef ENTRY_AT
static_assert(sizeof(ISciterAPI) == 186 * W);

static_assert(sizeof(VALUE) == 16 && offsetof(VALUE, u) == 4 && offsetof(VALUE, d) == 8);
static_assert(sizeof(SCITER_CALLBACK_NOTIFICATION) == (k64 ? 16 : 8));
static_assert(offsetof(SCN_LOAD_DATA, uri) == (k64 ? 16 : 8));
static_assert(offsetof(SCN_LOAD_DATA, outData) == (k64 ? 24 : 12));
static_assert(offsetof(SCN_LOAD_DATA, outDataSize) == (k64 ? 32 : 16));
static_assert(offsetof(SCN_LOAD_DATA, dataType) == (k64 ? 36 : 20));
static_assert(offsetof(SCN_LOAD_DATA, requestId) == (k64 ? 40 : 24));
static_assert(offsetof(SCN_LOAD_DATA, initiator) == (k64 ? 56 : 32));
static_assert(sizeof(SCN_LOAD_DATA) == (k64 ? 64 : 36));
static_assert(sizeof(SCN_DATA_LOADED) == (k64 ? 48 : 28));
static_assert(offsetof(SCN_ATTACH_BEHAVIOR, behaviorName) == (k64 ? 24 : 12));
static_assert(sizeof(SCN_ATTACH_BEHAVIOR) == (k64 ? 48 : 24));
static_assert(sizeof(som_method_def_t) == (k64 ? 32 : 24));
static_assert(offsetof(som_method_def_t, func) == (k64 ? 24 : 20));
static_assert(offsetof(som_passport_t, n_properties) == (k64 ? 24 : 20));
static_assert(offsetof(som_passport_t, methods) == (k64 ? 32 : 24));
static_assert(offsetof(som_passport_t, n_methods) == (k64 ? 40 : 28));
static_assert(offsetof(som_passport_t, prop_setter) == (k64 ? 80 : 48));
static_assert(sizeof(som_passport_t) == (k64 ? 104 : 64));
static_assert(sizeof(SOM_PARAMS) == (k64 ? 16 : 8));
static_assert(sizeof(long) == 4);

}  // namespace sciter::abi
