// The headless page double. A scenario file, named by the environment variable STANDIN_ENGINE_SCENARIO,
// says what the page's functions answer and what the user does, one directive per line:
//
//   answer <function> <json>        the function returns this value (default: undefined)
//   error <function> <text>         the function raises a script error with this text
//   on load [delay <ms>] <action>   after the document has loaded
//   on call <function>[#<n>] [delay <ms>] <action>
//                                   after the n-th call of the function (default: every call)
//
//   <action>: close                                   the user closes the window
//             native <method> [<json args>]           the page calls frame.<method>(...)
//             message <subsystem> <severity> <text>   the engine reports a diagnostic message
//
// Lines that are empty or start with '#' are ignored. Actions run on the window's thread after the call
// that triggered them has returned.
#pragma once

#include <memory>
#include <string>

#include "standins/ui-engine/page.h"

namespace standin {

std::unique_ptr<Page> make_scenario_page(const std::string& scenario_text);

}  // namespace standin
