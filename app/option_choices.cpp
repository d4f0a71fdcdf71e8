#include "app/option_choices.h"

#include <cmath>
#include <cstdint>
#include <fmt/format.h>
#include <limits>
#include <optional>
#include <string>

#include "host/text_conversions.h"

using sciter::value;

namespace {

OptionsAnswer unreadable(std::string why) { return {{}, std::move(why)}; }

// An id is an integer, or a floating value that holds a whole number in the range of the ids (a number the
// page computed). Ids above the signed range travel as negative integers, so both read back the same way.
std::optional<uint32_t> wholeNumberId(const value& id) {
  int32_t whole = 0;
  if (id.type() == sciter::abi::T_INT && id.get_int(whole)) return static_cast<uint32_t>(whole);
  double number = 0;
  if (!id.get_float(number) || !std::isfinite(number) || number != std::floor(number)) return std::nullopt;
  if (number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<uint32_t>::max())
    return std::nullopt;
  return number < 0 ? static_cast<uint32_t>(static_cast<int32_t>(number)) : static_cast<uint32_t>(number);
}

// Checked when it reads as a boolean or a number other than zero; absent or of another kind: unchecked.
bool isChecked(const value& checked) {
  int32_t flag = 0;
  if (checked.get_int(flag)) return flag != 0;
  double number = 0;
  return checked.get_float(number) && number != 0;
}

}  // namespace

OptionsAnswer readOptionChoices(const value& answer) {
  if (answer.is_error_string())
    return unreadable("the page answered the error \"" + sciter::ansi_from_wide(answer.get_chars()) + "\"");
  value list = answer;
  if (!list.isolate()) return unreadable("the engine could not turn the answer into plain data");
  if (!list.is_array_like()) return unreadable(fmt::format("the answer is not a list (value type {})", list.type()));

  OptionsAnswer read;
  // The count is read anew before each element.
  for (int32_t index = 0;; ++index) {
    const std::optional<int32_t> count = list.length();
    if (!count) return unreadable("the number of its elements cannot be read");
    if (index >= *count) break;
    const std::optional<value> item = list.get_item(index);
    if (!item) return unreadable(fmt::format("element {} cannot be read", index));
    if (!item->is_map())
      return unreadable(fmt::format("element {} is not a record (value type {})", index, item->type()));
    const std::optional<value> id = item->get_item(value::from_wstring(L"id"));
    const std::optional<uint32_t> idNumber = id ? wholeNumberId(*id) : std::nullopt;
    if (!idNumber) return unreadable(fmt::format("element {} has no whole-number id", index));
    const std::optional<value> checked = item->get_item(value::from_wstring(L"checked"));
    if (!checked) return unreadable(fmt::format("the checked state of element {} cannot be read", index));
    read.choices.push_back({isChecked(*checked), *idNumber});
  }
  return read;
}
