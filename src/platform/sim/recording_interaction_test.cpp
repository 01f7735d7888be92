#include "platform/sim/recording_interaction.h"

#include <gtest/gtest.h>

namespace quorel::sim {
namespace {

TEST(RecordingInteraction, RecordsEverythingInOrder) {
    RecordingInteraction ui;
    ui.setStatusText(0, L"Ready.");
    ui.showProgressText(L"C:\\data");
    ui.showMessage(L"text", L"caption", MessageIcon::Error);
    ASSERT_EQ(ui.events().size(), 3u);
    EXPECT_EQ(ui.events()[0].kind, Interaction::Kind::Status);
    EXPECT_EQ(ui.events()[2], (Interaction{Interaction::Kind::Message, L"text", L"caption",
                                           MessageIcon::Error, MessageButtons::Ok, 0}));
    EXPECT_EQ(ui.progressTexts(), std::vector<std::wstring>{L"C:\\data"});
    EXPECT_EQ(ui.statusTexts(0), std::vector<std::wstring>{L"Ready."});
    EXPECT_TRUE(ui.statusTexts(2).empty());
}

TEST(RecordingInteraction, AnswersQuestionsFromItsScript) {
    RecordingInteraction ui;
    ui.scriptAnswers({MessageAnswer::No, MessageAnswer::Cancel});
    EXPECT_EQ(ui.showMessage(L"a", L"", MessageIcon::Question, MessageButtons::YesNo),
              MessageAnswer::No);
    // A plain box does not use up the script.
    EXPECT_EQ(ui.showMessage(L"b", L"", MessageIcon::Information), MessageAnswer::Ok);
    EXPECT_EQ(ui.showMessage(L"c", L"", MessageIcon::Question, MessageButtons::YesNoCancel),
              MessageAnswer::Cancel);
    EXPECT_EQ(ui.showMessage(L"d", L"", MessageIcon::Question, MessageButtons::YesNo),
              MessageAnswer::Yes);
}

TEST(RecordingInteraction, CancelIsPressedAtTheScriptedProgressUpdate) {
    RecordingInteraction ui;
    ui.cancelAtProgress(2);
    ui.showProgressText(L"one");
    EXPECT_FALSE(ui.cancelRequested());
    ui.showProgressText(L"two");
    EXPECT_TRUE(ui.cancelRequested());
    ui.clearCancel();
    EXPECT_FALSE(ui.cancelRequested());
}

}  // namespace
}  // namespace quorel::sim
