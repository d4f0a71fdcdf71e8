// The page in a real browser, reached through the preview relay (relay_connection.h). The relay asks for the
// document's files, which the host serves through its load-data notification on the window's thread; native
// code calls the page's global functions and waits for their answers; the page calls the window's native
// methods and closes the window.
#pragma once

#include <memory>

#include "standins/ui-engine/page.h"
#include "standins/ui-engine/relay_connection.h"

namespace standin {

std::unique_ptr<Page> make_browser_page(std::shared_ptr<RelayConnection> relay);

}  // namespace standin
