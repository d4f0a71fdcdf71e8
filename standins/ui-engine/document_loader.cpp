#include "standins/ui-engine/document_loader.h"

#include <optional>
#include <regex>
#include <set>
#include <vector>

#include "standins/ui-engine/engine_state.h"
#include "standins/ui-engine/journal.h"
#include "standins/ui-engine/journal_lines.h"
#include "standins/ui-engine/page.h"

namespace standin {
namespace {

enum DataType : UINT { DataHtml = 0, DataImage = 1, DataStyle = 2, DataScript = 4, DataRaw = 5 };

struct PendingRequest {
  std::wstring uri;
  std::optional<std::string> data;
};
thread_local PendingRequest* pending = nullptr;

std::optional<std::string> request(HWND window, const WindowRecord& record, const std::wstring& url, UINT type) {
  if (!record.host_callback) return std::nullopt;
  PendingRequest here{url, std::nullopt};
  pending = &here;
  abi::SCN_LOAD_DATA notification{};
  notification.code = abi::SC_LOAD_DATA;
  notification.hwnd = window;
  notification.uri = url.c_str();
  notification.dataType = type;
  const UINT answer =
      record.host_callback(reinterpret_cast<abi::SCITER_CALLBACK_NOTIFICATION*>(&notification), record.host_param);
  pending = nullptr;
  if (!here.data && notification.outData)
    here.data = std::string(reinterpret_cast<const char*>(notification.outData), notification.outDataSize);
  journal("LoadDataAnswered", {{"url", utf8_from_wide(url)},
                               {"answer", answer},
                               {"bytes", here.data ? json(here.data->size()) : json(nullptr)},
                               {"digest", here.data ? json(journal_digest(*here.data)) : json(nullptr)}});
  if (answer != abi::LOAD_OK) return std::nullopt;
  return here.data;
}

UINT data_type_of(const std::wstring& url) {
  const auto ends = [&url](const wchar_t* ext) {
    const std::wstring e(ext);
    return url.size() >= e.size() && url.compare(url.size() - e.size(), e.size(), e) == 0;
  };
  if (ends(L".css")) return DataStyle;
  if (ends(L".js") || ends(L".mjs")) return DataScript;
  if (ends(L".png") || ends(L".svg") || ends(L".jpg") || ends(L".gif")) return DataImage;
  if (ends(L".html") || ends(L".htm")) return DataHtml;
  return DataRaw;
}

// Resolves a relative reference against the folder of the document that holds it.
std::optional<std::wstring> resolve(const std::wstring& base, const std::string& reference) {
  if (reference.empty() || reference[0] == '#' || reference.find(':') != std::string::npos) return std::nullopt;
  const size_t scheme_end = base.find(L"://");
  if (scheme_end == std::wstring::npos) return std::nullopt;
  const size_t root_end = base.find(L'/', scheme_end + 3);
  if (root_end == std::wstring::npos) return std::nullopt;
  std::vector<std::wstring> parts;
  std::wstring path = base.substr(root_end + 1);
  path = path.substr(0, path.rfind(L'/') == std::wstring::npos ? 0 : path.rfind(L'/') + 1);
  path += wide_from_utf8(reference);
  size_t start = 0;
  while (start <= path.size()) {
    const size_t slash = std::min(path.find(L'/', start), path.size());
    const std::wstring part = path.substr(start, slash - start);
    if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  std::wstring out = base.substr(0, root_end + 1);
  for (size_t i = 0; i < parts.size(); ++i) out += (i ? L"/" : L"") + parts[i];
  return out;
}

std::vector<std::string> references_in(const std::string& text, UINT type) {
  static const std::regex markup(R"re((?:src|href)\s*=\s*"([^"]*)")re");
  static const std::regex style(R"re(url\(\s*['"]?([^'")]+?)['"]?\s*\))re");
  std::vector<std::string> found;
  const auto collect = [&](const std::regex& pattern) {
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it)
      found.push_back((*it)[1].str());
  };
  if (type == DataHtml) collect(markup);
  if (type == DataHtml || type == DataStyle) collect(style);
  return found;
}

}  // namespace

void data_ready(HWND, const wchar_t* uri, const uint8_t* data, uint32_t length) {
  if (pending && uri && pending->uri == uri) pending->data = std::string(reinterpret_cast<const char*>(data), length);
}

std::optional<std::string> request_url(HWND window, const std::wstring& url) {
  const std::optional<WindowRecord> record = find_window(window);
  if (!record) return std::nullopt;
  return request(window, *record, url, data_type_of(url));
}

bool load_document(HWND window, const std::wstring& url) {
  const std::optional<WindowRecord> record = find_window(window);
  if (!record) return false;
  const std::optional<std::string> document = request(window, *record, url, DataHtml);
  if (!document) {
    journal("DocumentFailed", {{"url", utf8_from_wide(url)}});
    return false;
  }
  size_from_document(window, *document);
  // Everything the document refers to, and what its style sheets refer to, once each.
  std::set<std::wstring> seen{url};
  std::vector<std::pair<std::wstring, std::string>> queue{{url, *document}};
  for (size_t i = 0; i < queue.size(); ++i) {
    const auto [base, text] = queue[i];
    for (const std::string& reference : references_in(text, data_type_of(base))) {
      const std::optional<std::wstring> target = resolve(base, reference);
      if (!target || !seen.insert(*target).second) continue;
      const UINT type = data_type_of(*target);
      if (std::optional<std::string> data = request(window, *record, *target, type))
        queue.emplace_back(*target, std::move(*data));
    }
  }
  journal("DocumentLoaded", {{"url", utf8_from_wide(url)}, {"resources", queue.size()}});
  page().document_loaded(window, utf8_from_wide(url));
  return true;
}

}  // namespace standin
