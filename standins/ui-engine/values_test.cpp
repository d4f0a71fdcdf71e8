// The stand-in's values keep to the engine's documented contract and forgive nothing: containers the engine
// did not make are refused, and what a script hands back stays a script object until it is isolated.
#include <gtest/gtest.h>

#include <functional>

#include "standins/ui-engine/test_journal.h"
#include "standins/ui-engine/values.h"

namespace {

namespace abi = sciter::abi;
using standin::json;
using standin::VALUE;

struct Refusal {
  const char* call;
  std::function<abi::UINT(VALUE* foreign, VALUE* made)> make_call;
};

// Containers set up by hand (the type field written, no storage behind it) and a value used after it was
// cleared: each operation refuses them, with a journal line that names it.
TEST(StandinValues, AValueTheEngineDidNotMakeIsRefusedByEveryOperation) {
  standin_test::journal_file();
  const Refusal cases[] = {
      {"ValueNthElementValueSet", [](VALUE* f, VALUE* m) { return standin::value_nth_element_set(f, 0, m); }},
      {"ValueSetValueToKey", [](VALUE* f, VALUE* m) { return standin::value_set_value_to_key(f, m, m); }},
      {"ValueElementsCount", [](VALUE* f, VALUE*) { return standin::value_elements_count(f, nullptr); }},
      {"ValueNthElementValue", [](VALUE* f, VALUE* m) { return standin::value_nth_element(f, 0, m); }},
      {"ValueGetValueOfKey", [](VALUE* f, VALUE* m) { return standin::value_get_value_of_key(f, m, m); }},
      {"ValueCopy", [](VALUE* f, VALUE* m) { return standin::value_copy(m, f); }},
      {"ValueIsolate", [](VALUE* f, VALUE*) { return standin::value_isolate(f); }},
      {"ValueClear", [](VALUE* f, VALUE*) { return standin::value_clear(f); }},
  };
  for (const abi::UINT type : {abi::T_ARRAY, abi::T_MAP}) {
    for (const Refusal& c : cases) {
      SCOPED_TRACE(std::string(c.call) + " on type " + std::to_string(type));
      VALUE by_hand{type, 0, 0};
      VALUE made;
      standin::value_init(&made);
      const size_t before = standin_test::journal_size();
      EXPECT_EQ(c.make_call(&by_hand, &made), abi::HV_BAD_PARAMETER);
      const auto refused = standin_test::entries_of("ValueRefused", before);
      ASSERT_EQ(refused.size(), 1u);
      EXPECT_EQ(refused[0].args["call"], c.call);
      EXPECT_EQ(refused[0].args["type"], type);
      standin::value_clear(&made);
    }
  }

  VALUE array;
  standin::value_init(&array);
  ASSERT_EQ(standin::value_int_data_set(&array, 0, abi::T_ARRAY, 0), abi::HV_OK);
  const VALUE stale = array;  // the record copied, not the value
  standin::value_clear(&array);
  EXPECT_EQ(standin::value_elements_count(&stale, nullptr), abi::HV_BAD_PARAMETER) << "used after it was cleared";
  EXPECT_EQ(standin::value_to_json(&stale), json({{"refused", "not made by the engine"}}));
}

TEST(StandinValues, ContainersMadeByTheEngineHoldWhatIsSet) {
  standin_test::journal_file();
  VALUE array, map, key, element, out;
  for (VALUE* v : {&array, &map, &key, &element, &out}) standin::value_init(v);
  ASSERT_EQ(standin::value_int_data_set(&array, 2, abi::T_ARRAY, 0), abi::HV_OK);
  ASSERT_EQ(standin::value_int_data_set(&map, 0, abi::T_MAP, 0), abi::HV_OK);
  int32_t count = -1;
  ASSERT_EQ(standin::value_elements_count(&array, &count), abi::HV_OK);
  EXPECT_EQ(count, 2) << "an array of that many undefined elements";
  ASSERT_EQ(standin::value_elements_count(&map, &count), abi::HV_OK);
  EXPECT_EQ(count, 0);

  const std::wstring name = L"id";
  standin::value_string_data_set(&key, name.data(), static_cast<abi::UINT>(name.size()), 0xFFFF);
  standin::value_int_data_set(&element, 7, abi::T_INT, 0);
  ASSERT_EQ(standin::value_set_value_to_key(&map, &key, &element), abi::HV_OK);
  ASSERT_EQ(standin::value_nth_element_set(&array, 3, &map), abi::HV_OK);
  EXPECT_EQ(standin::value_to_json(&array), json::parse(R"([null, null, null, {"id": 7}])"));
  ASSERT_EQ(standin::value_nth_element(&array, 3, &out), abi::HV_OK);
  ASSERT_EQ(standin::value_get_value_of_key(&out, &key, &out), abi::HV_OK);
  int32_t id = 0;
  EXPECT_EQ(standin::value_int_data(&out, &id), abi::HV_OK);
  EXPECT_EQ(id, 7);
  EXPECT_EQ(standin::value_int_data_set(&out, 0, abi::T_STRING, 0), abi::HV_BAD_PARAMETER) << "no such container";
  for (VALUE* v : {&array, &map, &key, &element, &out}) EXPECT_EQ(standin::value_clear(v), abi::HV_OK);
}

TEST(StandinValues, WhatAScriptHandsBackIsAnObjectUntilItIsIsolated) {
  standin_test::journal_file();
  VALUE answer;
  standin::value_init(&answer);
  standin::script_value_from_json(&answer, json::parse(R"([{"id": 1.0, "checked": true}, {"id": 3}])"));
  EXPECT_EQ(answer.t, abi::T_OBJECT);
  EXPECT_EQ(answer.u, abi::UT_OBJECT_ARRAY);

  const size_t before = standin_test::journal_size();
  int32_t count = -1;
  EXPECT_EQ(standin::value_elements_count(&answer, &count), abi::HV_INCOMPATIBLE_TYPE);
  VALUE element;
  standin::value_init(&element);
  EXPECT_EQ(standin::value_nth_element(&answer, 0, &element), abi::HV_INCOMPATIBLE_TYPE);
  const auto refused = standin_test::entries_of("ValueRefused", before);
  ASSERT_EQ(refused.size(), 2u);
  EXPECT_EQ(refused[0].args["why"], "a script object that was not isolated");

  VALUE copy;
  standin::value_init(&copy);
  ASSERT_EQ(standin::value_copy(&copy, &answer), abi::HV_OK);
  ASSERT_EQ(standin::value_isolate(&copy), abi::HV_OK);
  EXPECT_EQ(copy.t, abi::T_ARRAY);
  ASSERT_EQ(standin::value_elements_count(&copy, &count), abi::HV_OK);
  EXPECT_EQ(count, 2);
  ASSERT_EQ(standin::value_nth_element(&copy, 0, &element), abi::HV_OK);
  EXPECT_EQ(element.t, abi::T_MAP) << "isolation reaches the elements";
  EXPECT_EQ(standin::value_to_json(&copy), json::parse(R"([{"id": 1.0, "checked": true}, {"id": 3}])"));

  VALUE id, key;
  standin::value_init(&id);
  standin::value_init(&key);
  const std::wstring name = L"id";
  standin::value_string_data_set(&key, name.data(), 2, 0xFFFF);
  ASSERT_EQ(standin::value_get_value_of_key(&element, &key, &id), abi::HV_OK);
  EXPECT_EQ(id.t, abi::T_FLOAT) << "1.0 comes as a floating value";
  int32_t as_int = 0;
  EXPECT_EQ(standin::value_int_data(&id, &as_int), abi::HV_INCOMPATIBLE_TYPE);
  double as_float = 0;
  ASSERT_EQ(standin::value_float_data(&id, &as_float), abi::HV_OK);
  EXPECT_EQ(as_float, 1.0);
  EXPECT_EQ(answer.t, abi::T_OBJECT) << "the original stays a script object";
  for (VALUE* v : {&answer, &element, &copy, &id, &key}) EXPECT_EQ(standin::value_clear(v), abi::HV_OK);
}

}  // namespace
