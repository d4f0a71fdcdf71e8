// The stand-in's windows take the size they are given: a rectangle, even an empty one, or else the size
// their document asks for.
#include <gtest/gtest.h>

#include "standins/ui-engine/engine_state.h"
#include "standins/ui-engine/test_journal.h"
#include "standins/ui-engine/window_size.h"

namespace {

using standin::json;

TEST(StandinWindows, TheDocumentsRootSaysHowLargeTheWindowIs) {
  const struct {
    const char* html;
    std::optional<int> width, height;
  } cases[] = {
      {R"(<html lang="en" window-width="798dip" window-height="542dip"><body>)", 798, 542},
      {R"(<HTML window-height = "300px"  window-width="400">)", 400, 300},
      {R"(<html window-width="12.6dip">)", 13, std::nullopt},
      {R"(<html window-width="50%" window-height="auto">)", std::nullopt, std::nullopt},
      {R"(<html><body window-width="798dip">)", std::nullopt, std::nullopt},
      {"no markup", std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.html);
    const standin::WindowSize size = standin::window_size_in(c.html);
    EXPECT_EQ(size.width, c.width);
    EXPECT_EQ(size.height, c.height);
  }
}

TEST(StandinWindows, AnEmptyRectangleMakesAWindowOfNoSizeAndNoRectangleOneSizedByItsDocument) {
  standin_test::journal_file();
  const char* document = R"(<html window-width="798dip" window-height="542dip">)";

  size_t before = standin_test::journal_size();
  RECT empty{0, 0, 0, 0};
  HWND placed = standin::create_engine_window(0, &empty, nullptr, nullptr, nullptr);
  ASSERT_NE(placed, nullptr);
  standin::size_from_document(placed, document);
  auto sized = standin_test::entries_of("WindowSized", before);
  ASSERT_EQ(sized.size(), 1u) << "the document does not resize a window that was given a rectangle";
  EXPECT_EQ(sized[0].args, json({{"width", 0}, {"height", 0}, {"from", "rectangle"}}));

  before = standin_test::journal_size();
  HWND unplaced = standin::create_engine_window(0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(unplaced, nullptr);
  EXPECT_TRUE(standin_test::entries_of("WindowSized", before).empty()) << "its size waits for the document";
  standin::size_from_document(unplaced, document);
  standin::size_from_document(unplaced, R"(<html window-width="100dip" window-height="100dip">)");
  sized = standin_test::entries_of("WindowSized", before);
  ASSERT_EQ(sized.size(), 1u) << "the first document decides";
  EXPECT_EQ(sized[0].args, json({{"width", 798}, {"height", 542}, {"from", "document"}}));
  RECT frame{};
  ASSERT_TRUE(GetWindowRect(unplaced, &frame));
  EXPECT_EQ(frame.right - frame.left, 798);
  EXPECT_EQ(frame.bottom - frame.top, 542);

  before = standin_test::journal_size();
  HWND silent = standin::create_engine_window(0, nullptr, nullptr, nullptr, nullptr);
  standin::size_from_document(silent, "<html>");
  sized = standin_test::entries_of("WindowSized", before);
  ASSERT_EQ(sized.size(), 1u);
  EXPECT_EQ(sized[0].args["from"], "default");
  for (HWND w : {placed, unplaced, silent}) DestroyWindow(w);
}

}  // namespace
