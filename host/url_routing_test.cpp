#include "host/url_routing.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* name;
  std::u16string url;
  UrlRoute::Kind kind;
  std::u16string target;
  std::u16string type;
};

class UrlRouting : public testing::TestWithParam<Case> {};

TEST_P(UrlRouting, RoutesTheWholeUrl) {
  const UrlRoute route = route_url(GetParam().url);
  EXPECT_EQ(route.kind, GetParam().kind);
  EXPECT_EQ(route.name, GetParam().target);
  EXPECT_EQ(route.type, GetParam().type);
}

const std::u16string kLongName(300, u'n');

INSTANTIATE_TEST_SUITE_P(Table, UrlRouting,
                         testing::Values(Case{"main_page", u"this://app/html/main.html", UrlRoute::ArchiveItem,
                                              u"html/main.html", u""},
                                         Case{"extra_slashes", u"this://app///x", UrlRoute::ArchiveItem, u"x", u""},
                                         Case{"res_res", u"res:res:page.htm", UrlRoute::Resource, u"page", u""},
                                         Case{"res_html_any_case", u"res:page.HtMl", UrlRoute::Resource, u"page", u""},
                                         Case{"res_htm", u"res:page.htm", UrlRoute::Resource, u"page", u""},
                                         Case{"res_png", u"res:logo.png", UrlRoute::Resource, u"logo", u"png"},
                                         Case{"res_slashes", u"res://logo.png", UrlRoute::Resource, u"logo", u"png"},
                                         Case{"res_no_dot", u"res:page", UrlRoute::Resource, u"page", u""},
                                         Case{"res_last_dot", u"res:a.b.css", UrlRoute::Resource, u"a.b", u"css"},
                                         Case{"bare_res", u"res:", UrlRoute::Refuse, u"", u""},
                                         Case{"name_too_long", u"res:" + kLongName, UrlRoute::Refuse, u"", u""},
                                         Case{"scheme_case_matters", u"RES:page.htm", UrlRoute::Refuse, u"", u""},
                                         Case{"engine_resource", u"sciter:msgbox.htm", UrlRoute::EngineLoads, u"", u""},
                                         Case{"engine_path", u"path:M 0 0 Z", UrlRoute::EngineLoads, u"", u""},
                                         Case{"web", u"https://example.com/x", UrlRoute::Refuse, u"", u""},
                                         Case{"file", u"file:///C:/x.html", UrlRoute::Refuse, u"", u""},
                                         Case{"archive_of_another_app", u"this://other/x", UrlRoute::Refuse, u"", u""},
                                         Case{"empty", u"", UrlRoute::Refuse, u"", u""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UrlRouting, ResourceNameUpToTheBufferFits) {
  EXPECT_EQ(route_url(u"res:" + std::u16string(kMaxResourceName, u'a')).kind, UrlRoute::Resource);
  EXPECT_EQ(route_url(u"res:" + std::u16string(kMaxResourceName + 1, u'a')).kind, UrlRoute::Refuse);
}

}  // namespace
