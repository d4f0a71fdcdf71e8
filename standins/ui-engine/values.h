// Engine values of the stand-in: scalars live in the record, strings, arrays and maps on the heap behind
// its data field. Copies are deep and clearing frees, as the program expects of the engine.
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
void value_clear(VALUE* v);
void value_copy(VALUE* dst, const VALUE* src);

UINT value_string_data(const VALUE* v, const wchar_t** chars, UINT* count);
UINT value_string_data_set(VALUE* v, const wchar_t* chars, UINT count, UINT units);
UINT value_int_data(const VALUE* v, int32_t* out);
UINT value_int_data_set(VALUE* v, int32_t data, UINT type, UINT units);
UINT value_elements_count(const VALUE* v, int32_t* count);
UINT value_nth_element(const VALUE* v, int32_t n, VALUE* out);
UINT value_nth_element_set(VALUE* v, int32_t n, const VALUE* element);
UINT value_set_value_to_key(VALUE* v, const VALUE* key, const VALUE* element);
UINT value_get_value_of_key(const VALUE* v, const VALUE* key, VALUE* out);
UINT value_to_string(VALUE* v, UINT how);

// Conversions used by the journal and the page doubles. An error string becomes {"error": text}.
json value_to_json(const VALUE* v);
// Fills an initialised value from JSON (objects become maps, arrays arrays, text strings with units 0xFFFF).
void value_from_json(VALUE* v, const json& j);
void value_set_error(VALUE* v, const std::wstring& text);

using text::utf8_from_wide;
using text::wide_from_utf8;

}  // namespace standin
