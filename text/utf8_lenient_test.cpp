#include <gtest/gtest.h>

#include "text/encodings.h"

namespace {

struct Case {
  const char* name;
  std::string input;
  std::u16string expected;
};

class Utf8Decode : public testing::TestWithParam<Case> {};

TEST_P(Utf8Decode, DecodesLeniently) { EXPECT_EQ(text::decode_utf8_lenient(GetParam().input), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Table, Utf8Decode,
    testing::Values(
        Case{"ascii", "abc", u"abc"}, Case{"empty", "", u""}, Case{"two_byte", "caf\xC3\xA9", u"caf\u00E9"},
        Case{"three_byte", "\xE2\x82\xAC", u"\u20AC"}, Case{"leading_bom_dropped", "\xEF\xBB\xBFok", u"ok"},
        Case{"later_bom_kept", "a\xEF\xBB\xBF", u"a\uFEFF"}, Case{"lone_lead_at_end", "ab\xC3", u"ab?"},
        Case{"stray_continuation", "a\x80z", u"a?z"}, Case{"invalid_lead_byte", "a\xFFz", u"a?z"},
        Case{"astral_as_surrogates", "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
        Case{"cut_four_byte", "x\xF0\x9F\x98", u"x?"}, Case{"stops_at_zero", std::string("ab\0cd", 5), u"ab"},
        Case{"zero_inside_sequence", std::string("a\xC3\0b", 4), u"a?"},
        // Nothing but a UTF-8 spelling may become markup: C0 BC would otherwise read as "<".
        Case{"overlong_less_than", "a\xC0\xBCscript\xC0\xBE", u"a?script?"},
        Case{"overlong_three_byte_slash", "\xE0\x80\xAF", u"?"}, Case{"overlong_four_byte", "\xF0\x82\x82\xAC", u"?"},
        Case{"encoded_surrogate", "x\xED\xA0\x80y", u"x?y"}, Case{"past_the_last_code_point", "\xF4\x90\x80\x80", u"?"},
        Case{"bad_continuation_is_read_afresh", "\xC3<b>", u"?<b>"}, Case{"bad_third_byte", "\xE2\x82<", u"?<"},
        Case{"largest_valid_four_byte", "\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
        Case{"smallest_valid_two_byte", "\xC2\x80", u"\u0080"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
