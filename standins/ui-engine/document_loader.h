// Loading a document as an engine does: the host is asked for the URL through its load-data
// notification, then for every style sheet, script, image and included fragment the document refers to.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace standin {

bool load_document(HWND window, const std::wstring& url);

// One more file asked of the host the same way, on the window's thread; nothing when the host has none.
std::optional<std::string> request_url(HWND window, const std::wstring& url);

// The host answers a request with SciterDataReady while the notification is being handled.
void data_ready(HWND window, const wchar_t* uri, const uint8_t* data, uint32_t length);

}  // namespace standin
