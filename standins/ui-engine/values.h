// Engine values of the stand-in, no kinder than the engine's documented contract: scalars live in the
// record; strings, arrays, maps and script objects in storage that the stand-in made, behind the data field.
//
// - Containers are made by the engine (ValueIntDataSet with T_ARRAY and a length, or T_MAP), or by the
//   setters that turn a plain value into one. A value whose type field says it has storage that the
//   stand-in never made (a container set up by hand, a value already cleared) is refused: the call answers
//   HV_BAD_PARAMETER and the journal gets a ValueRefused line naming the call.
// - What a script hands back is a script value: its arrays and objects come as T_OBJECT values (units
//   UT_OBJECT_ARRAY or UT_OBJECT_OBJECT) that no element or key operation reads (HV_INCOMPATIBLE_TYPE and a
//   ValueRefused line) until ValueIsolate has turned them into plain arrays and maps. A number with a
//   fraction part in its JSON form (2.0) comes as T_FLOAT.
// Copies are deep and clearing frees.
#pragma once

#include <nlohmann/json.hpp>

namespace standin {
using json = nlohmann::ordered_json;
}

#include <string>

#include "host/sciter_abi.h"
#include "text/encodings.h"

namespace standin {

using sciter::abi::UINT;
using sciter::abi::VALUE;

void value_init(VALUE* v);
UINT value_clear(VALUE* v);
UINT value_copy(VALUE* dst, const VALUE* src);
UINT value_isolate(VALUE* v);

UINT value_string_data(const VALUE* v, const wchar_t** chars, UINT* count);
UINT value_string_data_set(VALUE* v, const wchar_t* chars, UINT count, UINT units);
UINT value_int_data(const VALUE* v, int32_t* out);
UINT value_int_data_set(VALUE* v, int32_t data, UINT type, UINT units);
UINT value_float_data(const VALUE* v, double* out);
UINT value_elements_count(const VALUE* v, int32_t* count);
UINT value_nth_element(const VALUE* v, int32_t n, VALUE* out);
UINT value_nth_element_set(VALUE* v, int32_t n, const VALUE* element);
UINT value_set_value_to_key(VALUE* v, const VALUE* key, const VALUE* element);
UINT value_get_value_of_key(const VALUE* v, const VALUE* key, VALUE* out);
UINT value_to_string(VALUE* v, UINT how);

// Whether the value is one the stand-in made (or a scalar, which needs no storage).
bool engine_made(const VALUE* v);

// The value as JSON, for the journal and the page doubles: script objects as their content, an error string
// as {"error": text}, a value the stand-in did not make as {"refused": "not made by the engine"}.
json value_to_json(const VALUE* v);
// Fills an initialised value with what a script would hand over for this JSON: script objects for arrays and
// objects, T_FLOAT for a number written with a fraction part or an exponent, plain strings.
void script_value_from_json(VALUE* v, const json& j);
void value_set_error(VALUE* v, const std::wstring& text);

using text::utf8_from_wide;
using text::wide_from_utf8;

}  // namespace standin
