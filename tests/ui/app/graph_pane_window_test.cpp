#include "core/catalogue/recent_documents.h"
#include "core/playback/media_controller.h"
#include "core/playback/media_controller_manager.h"
#include "support/temp_card.h"
#include "ui/app/main_window_controller.h"
#include "ui/app/my_document.h"
#include "ui/app/my_document_controller.h"
#include "ui/graph/graph_view.h"
#include "ui/graph/graph_view_controller.h"
#include "ui/playback/player_inline_controls.h"
#include "ui/playback/zoom_player_view_controller.h"

#include <QLabel>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

constexpr int kWait = 60000;

class GraphPaneWindow : public ::testing::Test {
 protected:
  void SetUp() override { RecentDocuments::clearRecentDocuments(); }
  void TearDown() override {
    MediaControllerManager::sharedInstance()->updateMasterController(nullptr);
    MyDocumentController::sharedDocumentController()->reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
};

TEST_F(GraphPaneWindow, TheCursorFollowsPlaybackAndTheSliderHoldsBothPlayers) {
  auto* documents = MyDocumentController::sharedDocumentController();
  MyDocument* document = documents->openDocumentWithContentsOfURL(test::sharedCard().root(), true);
  ASSERT_NE(document, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !document->windowControllers().isEmpty(); }, kWait));
  MainWindowController* window = document->windowControllers().first();
  auto* graph = qobject_cast<GraphViewController*>(window->graphView());
  ASSERT_NE(graph, nullptr);
  ZoomPlayerViewController* front = window->playerVC();
  ZoomPlayerViewController* rear = window->playerVCSecondary();

  ASSERT_TRUE(QTest::qWaitFor([&] { return front->isPlaying() && rear->isPlaying() && graph->currentInfo() != nullptr; },
                              kWait));
  const float start = graph->graphView()->progressLayerDrawer()->progress();
  ASSERT_TRUE(QTest::qWaitFor([&] { return graph->graphView()->progressLayerDrawer()->progress() > start; }, kWait));
  EXPECT_NE(graph->labelSpeed()->text(), "Speed:---");
  EXPECT_TRUE(front->inlineControls()->isVisibleTo(front));
  EXPECT_FALSE(rear->inlineControls()->isVisibleTo(rear));

  // Held at the middle: both players go there and stand still until released.
  QSlider* slider = graph->timeSlider();
  slider->setSliderDown(true);
  slider->setValue(slider->maximum() / 2);
  EXPECT_TRUE(graph->userControlIsActive());
  ASSERT_TRUE(QTest::qWaitFor([&] {
    return !front->isPlaying() && !rear->isPlaying() && std::abs(front->progress() - 0.5f) < 0.05f &&
           std::abs(rear->progress() - 0.5f) < 0.05f;
  }, kWait)) << front->isPlaying() << rear->isPlaying() << " " << front->progress() << " " << rear->progress()
             << " " << graph->progress() << " " << slider->value();
  slider->setSliderDown(false);
  EXPECT_FALSE(graph->userControlIsActive());
  EXPECT_FALSE(front->isPlaying());
}

}  // namespace
}  // namespace dashcard
