#include "app/window_texts.h"

#include "app/start_mode.h"

#include <gtest/gtest.h>

#include "core/dataset_builder.h"
#include "core/dir_list.h"
#include "platform/sim/recording_interaction.h"
#include "view/display_list.h"

namespace quorel {
namespace {

TEST(WindowTexts, VersionAboutAndMailTexts) {
    EXPECT_EQ(StartWindowVersionLine(), L"Version 1.4 Build 251");
    EXPECT_EQ(AboutText(),
              L"This is Quorel\r\nVerion 1.4 build 251\r\nVisit our website at\r\n"
              L"https://quorel.example.org/\r\nFor support send an e-mail to:\r\n"
              L"support@quorel.example.org");
    EXPECT_EQ(SupportMailUrl(),
              L"mailto:support@quorel.example.org?body=%0A%0AQuorel Version 1.4 Build 251");
}

TEST(WindowTexts, FileDialogFiltersAreDoubleNulTerminatedPairs) {
    const FileDialogSpec open = FileDialogSpecOf(FileDialog::OpenDataset);
    EXPECT_EQ(open.filter,
              std::wstring(L"Quorel Save Files (*.ACL)\0*.acl\0All Files (*.*)\0*.*\0\0", 53));
    EXPECT_EQ(open.defaultExtension, L"txt");
    const FileDialogSpec compare = FileDialogSpecOf(FileDialog::CompareFile);
    EXPECT_EQ(compare.filter, std::wstring(L"Quorel Save Files (*.ACL)\0*.acl\0\0", 33));
    const FileDialogSpec csv = FileDialogSpecOf(FileDialog::ExportCsv);
    EXPECT_EQ(csv.filter.substr(0, 18), std::wstring(L"CSV Files (*.CSV)\0", 18));
    const FileDialogSpec saveProject = FileDialogSpecOf(FileDialog::SaveProject);
    EXPECT_NE(saveProject.filter.find(L"All files (*.*)"), std::wstring::npos);
    EXPECT_NE(FileDialogSpecOf(FileDialog::OpenProject).filter.find(L"All Files (*.*)"),
              std::wstring::npos);
    // The save dialogs ask before overwriting; only opening a dataset offers
    // to create a file.
    const std::pair<FileDialog, bool> kinds[] = {
        {FileDialog::OpenDataset, false}, {FileDialog::SaveDataset, true},
        {FileDialog::ExportCsv, true},    {FileDialog::LoadSettings, false},
        {FileDialog::SaveSettings, true}, {FileDialog::CompareFile, false},
        {FileDialog::OpenProject, false}, {FileDialog::SaveProject, true}};
    for (const auto& [kind, save] : kinds) {
        const FileDialogSpec spec = FileDialogSpecOf(kind);
        EXPECT_EQ(spec.save, save) << static_cast<int>(kind);
        EXPECT_EQ(spec.overwritePrompt, save) << static_cast<int>(kind);
        EXPECT_EQ(spec.createPrompt, kind == FileDialog::OpenDataset) << static_cast<int>(kind);
    }
}

TEST(WindowTexts, ErrorNumberOfLine) {
    EXPECT_EQ(ErrorNumberOfLine(L"12 - C:\\a: Cannot resolve SID"), 12);
    EXPECT_EQ(ErrorNumberOfLine(L"0 - x: y"), 0);
    EXPECT_EQ(ErrorNumberOfLine(L"1090: y"), 1090);
    EXPECT_EQ(ErrorNumberOfLine(L"  7"), 7);
    EXPECT_EQ(ErrorNumberOfLine(L""), std::nullopt);
    EXPECT_EQ(ErrorNumberOfLine(L"- C:\\a"), std::nullopt);
    EXPECT_EQ(ErrorNumberOfLine(L"abc 12"), std::nullopt);
    EXPECT_EQ(ErrorNumberOfLine(L"\t-3: x"), -3);
    EXPECT_EQ(ErrorNumberOfLine(L"+9"), 9);
    EXPECT_EQ(ErrorNumberOfLine(L"2147483647 - x"), 2147483647);
    EXPECT_EQ(ErrorNumberOfLine(L"2147483648 - x"), std::nullopt);
    // Only the first 255 characters are read.
    EXPECT_EQ(ErrorNumberOfLine(std::wstring(255, L' ') + L"5"), std::nullopt);
    EXPECT_EQ(ErrorNumberOfLine(std::wstring(254, L' ') + L"5"), 5);
}

TEST(WindowTexts, ErrorReportAndJumpToShownEntry) {
    sim::RecordingInteraction ui;
    CDirList list(ui);
    DatasetBuilder listBuild(list);
    CDirEntry* root = listBuild.addLoadChild();
    root->setPath(L"C:\\Data");
    CDirEntry* hidden = listBuild.addLoadChild();
    hidden->setPath(L"C:\\Data\\x");
    list.errorList().addError(L"Cannot resolve SID", root);
    list.errorList().addError(L"Error reading directory", hidden);
    list.errorList().addError(L"No entry", nullptr);
    EXPECT_EQ(FormatErrorReport(list.errorList()),
              L"0 - C:\\Data: Cannot resolve SID\r\n1 - C:\\Data\\x: Error reading directory\r\n"
              L"2 - : No entry\r\n");
    DisplayList lines;
    lines.append(root);
    EXPECT_EQ(DisplayLineOfError(list.errorList(), 0, lines), 0u);
    EXPECT_EQ(DisplayLineOfError(list.errorList(), 1, lines), std::nullopt);
    EXPECT_EQ(DisplayLineOfError(list.errorList(), 2, lines), std::nullopt);
    EXPECT_EQ(DisplayLineOfError(list.errorList(), 3, lines), std::nullopt);
    EXPECT_EQ(DisplayLineOfError(list.errorList(), -1, lines), std::nullopt);
    lines.append(hidden);
    EXPECT_EQ(DisplayLineOfError(list.errorList(), 1, lines), 1u);
    list.errorList().clear();
    EXPECT_EQ(FormatErrorReport(list.errorList()), L"");
}

TEST(WindowTexts, ProgressTextClipsOnlyBeyondTheBox) {
    EXPECT_FALSE(LayoutProgressText(570).clipped);
    const ProgressTextLayout wide = LayoutProgressText(571);
    EXPECT_TRUE(wide.clipped);
    EXPECT_EQ(wide.beginLeft, 20);
    EXPECT_EQ(wide.beginRight, 288);
    EXPECT_EQ(wide.dotsX, 288);
    EXPECT_EQ(wide.endLeft, 302);
    EXPECT_EQ(wide.endRight, 570);
    EXPECT_EQ(PaddedProgressText(L"C:\\a"), L"C:\\a" + std::wstring(40, L' '));
}

TEST(StartMode, ArgumentsOfCommandLineSkipTheProgramName) {
    EXPECT_EQ(ArgumentsOfCommandLine(L"\"C:\\Program Files\\quorel.exe\" \"D:\\My Data\""),
              L"\"D:\\My Data\"");
    EXPECT_EQ(ArgumentsOfCommandLine(L"quorel.exe  C:\\x "), L"C:\\x ");
    EXPECT_EQ(ArgumentsOfCommandLine(L"quorel.exe"), L"");
    EXPECT_EQ(ArgumentsOfCommandLine(L"\"quorel.exe\""), L"");
    EXPECT_EQ(ArgumentsOfCommandLine(L"\"unclosed quote"), L"");
    EXPECT_EQ(ArgumentsOfCommandLine(L""), L"");
    // The result is what CleanCommandLine then trims and unquotes.
    EXPECT_EQ(CleanCommandLine(ArgumentsOfCommandLine(L"q.exe \t\"C:\\\u00C4 b\"")),
              L"C:\\\u00C4 b");
}

TEST(StartMode, ALeadingVolumeOptionIsTakenOffTheArguments) {
    struct Case {
        std::wstring arguments, volume, rest;
        bool missing;
    };
    for (const Case& c : std::initializer_list<Case>{
             {L"--volume d.qvol C:\\", L"d.qvol", L"C:\\", false},
             {L"--volume \t\"My d.qvol\"  \"C:\\a b\"", L"My d.qvol", L"\"C:\\a b\"", false},
             {L"--volume x.qvol", L"x.qvol", L"", false},
             {L"--volume", L"", L"", true},
             {L"--volume \"\" C:\\", L"", L"C:\\", true},
             {L"--volumes C:\\", L"", L"--volumes C:\\", false},
             {L"C:\\ --volume x", L"", L"C:\\ --volume x", false},
         }) {
        const VolumeArgument taken = TakeVolumeArgument(c.arguments);
        EXPECT_EQ(taken.volume, c.volume) << testing::PrintToString(c.arguments);
        EXPECT_EQ(taken.rest, c.rest) << testing::PrintToString(c.arguments);
        EXPECT_EQ(taken.missingVolume, c.missing) << testing::PrintToString(c.arguments);
    }
}

}  // namespace
}  // namespace quorel
