// Dropped archives through the main window: extraction folders, the kept
// copy and its questions, and archives that cannot be unpacked whole.
#include "drawings/archive_folders.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/paths.h"
#include "base/profile.h"
#include "base/zip_writer.h"
#include "drawings/drawing_list.h"
#include "shell/tmain.h"
#include "support/sim_env.h"
#include "support/tree_shape.h"

using testing_support::SimEnv;

namespace {

struct ArchiveDropTest : ::testing::Test {
  SimEnv env;
  shell::TMain m;
  std::string data = env.path("data");
  std::string tmp = env.path("tmp");

  ArchiveDropTest() { m.show(); }

  // A ZIP of the given members (name, bytes) below the data folder.
  std::string zip(const std::string& rel, const std::vector<std::pair<std::string, std::string>>& members) {
    base::ZipWriter w;
    for (const auto& [name, bytes] : members) w.add(name, bytes);
    env.writeFile("data/" + rel, w.finish());
    return data + "/" + rel;
  }
  std::string twoFolders(const std::string& rel) {
    return zip(rel, {{"x/a.dwg", "0\nEOF\n"}, {"y/b.dwg", "0\nEOF\n"}});
  }
  std::string keptFolder(const std::string& rel) {
    base::createFolders(env.path(rel));
    return env.path(rel);
  }
  void drop(const std::vector<std::string>& paths) {
    ui::dispatch([&] { m.onDropFiles(paths); });
  }
  std::string tree() const { return testing_support::treeShape(m.TreeView1->roots(), testing_support::TreeOrder::SortedBelowTop); }
  std::vector<std::string> files(const std::string& folder) const {
    std::vector<std::string> names;
    for (const base::DirEntry& e : base::listFolder(folder)) names.push_back(e.name + (e.isFolder ? "/" : ""));
    std::sort(names.begin(), names.end());
    return names;
  }
  using Names = std::vector<std::string>;
};

TEST_F(ArchiveDropTest, WithoutKeptFilesOneExtractionIntoTmpAndNoQuestion) {
  drop({twoFolders("pack.zip")});
  EXPECT_EQ(files(tmp + "/pack"), (Names{"a.dwg", "b.dwg"}));  // "ﾌｫﾙﾀﾞ付解凍" off: no folders
  EXPECT_EQ(tree(), "pack{a.dwg b.dwg}");
  EXPECT_EQ(m.dwgNoLabel->caption(), "2");
  EXPECT_TRUE(env.ui.folderDialogs.empty());
  EXPECT_TRUE(env.ui.messages.empty());
  EXPECT_TRUE(m.TempExtractFolders.empty());
  EXPECT_TRUE(m.KeptExtractFolders.empty());
}

TEST_F(ArchiveDropTest, FolderPathsAreKeptOnlyWithFolderExtractionAndWalkedOnlyWithChildFolders) {
  m.UnLzhAddFolderCheckBox->setChecked(true);
  drop({twoFolders("pack.zip")});
  EXPECT_EQ(files(tmp + "/pack"), (Names{"x/", "y/"}));
  EXPECT_EQ(files(tmp + "/pack/x"), (Names{"a.dwg"}));
  // The folder holds no drawing of its own: nothing to list.
  ASSERT_EQ(env.ui.messages.size(), 1u);
  EXPECT_EQ(env.ui.messages[0].text, "データがDropされていません。");
  EXPECT_EQ(tree(), "");

  m.GetChildFolderCheckBox->setChecked(true);
  drop({twoFolders("pack.zip"), data + "/pack.zip"});  // the same archive twice shares its folder
  EXPECT_EQ(tree(), "pack{x{a.dwg} y{b.dwg}} pack{x{a.dwg} y{b.dwg}}");
}

TEST_F(ArchiveDropTest, ArchivesComeAfterTheOtherDroppedItemsNamedWithoutBlanks) {
  const std::string a = zip(" 図面 一式 .ZIP", {{"図1.dwg", "x"}});
  env.writeFile("data/z.dwg", "x");
  drop({a, data + "/z.dwg"});
  EXPECT_TRUE(base::folderExists(tmp + "/図面 一式"));
  EXPECT_EQ(tree(), "z.dwg 図面 一式{図1.dwg}");
}

TEST_F(ArchiveDropTest, KeptFilesAskOncePerArchiveAndACancelSkipsThatArchiveOnly) {
  m.UnLzhFolderCheckBox->setChecked(true);
  m.UnLzhAddFolderCheckBox->setChecked(true);
  m.GetChildFolderCheckBox->setChecked(true);
  const std::string kept = keptFolder("kept");
  env.ui.folderAnswers = {kept, std::nullopt};
  drop({twoFolders("a.zip"), zip("b.lzh", {{"c.dwg", "x"}})});
  ASSERT_EQ(env.ui.folderDialogs.size(), 2u);
  EXPECT_EQ(env.ui.folderDialogs[0].caption, "解凍先のフォルダ : a.zip");
  EXPECT_EQ(env.ui.folderDialogs[0].rootName, "ﾏｲ ｺﾝﾋﾟｭｰﾀ");
  EXPECT_EQ(env.ui.folderDialogs[0].initialFolder, "");
  EXPECT_EQ(env.ui.folderDialogs[0].ownerClass, "TMain");
  EXPECT_EQ(env.ui.folderDialogs[1].caption, "解凍先のフォルダ : b.lzh");
  EXPECT_EQ(tree(), "a{x{a.dwg} y{b.dwg}}");
  EXPECT_FALSE(base::folderExists(tmp + "/b"));  // nothing extracted for the cancelled one
  // The kept copy receives the members themselves, not a folder per archive.
  EXPECT_EQ(files(kept), (Names{"x/", "y/"}));
  EXPECT_EQ(m.TempExtractFolders, (Names{tmp + "/a"}));
  EXPECT_EQ(m.KeptExtractFolders, (Names{kept}));

  // Saving with the new print device redirects the run to the kept copy.
  m.FileSortRadioGroup->setItemIndex(0);  // 昇順: the folders come in the file system's order
  m.CollectRunList();
  EXPECT_EQ(m.RunList, (Names{tmp + "/a/x/a.dwg", tmp + "/a/y/b.dwg"}));
  m.ModifySaveCheckBox->setChecked(true);
  m.CollectRunList();
  EXPECT_EQ(m.RunList, (Names{kept + "/x/a.dwg", kept + "/y/b.dwg"}));
}

TEST_F(ArchiveDropTest, TheFixedFolderIsAskedFirstRememberedAndStoredAtClose) {
  m.UnLzhFolderCheckBox->setChecked(true);
  m.UnLzhFolderCheckBoxClick();
  m.UnLzhFolderFixCheckBox->setChecked(true);
  const std::string fixed = keptFolder("固定");
  env.ui.folderAnswers = {fixed};
  drop({zip("a.zip", {{"a.dwg", "x"}}), zip("b.zip", {{"b.dwg", "x"}})});
  ASSERT_EQ(env.ui.folderDialogs.size(), 1u);
  EXPECT_EQ(env.ui.folderDialogs[0].caption, "固定解凍先のフォルダ");
  EXPECT_EQ(env.ui.folderDialogs[0].rootName, "ﾏｲ ｺﾝﾋﾟｭｰﾀ");
  EXPECT_EQ(env.ui.folderDialogs[0].initialFolder, "");  // "ﾏｲ ｺﾝﾋﾟｭｰﾀ" is no folder
  EXPECT_EQ(m.FixedExtractFolder, fixed);
  EXPECT_EQ(m.FolderFixSpeedButton->hint(), fixed);
  EXPECT_EQ(files(fixed), (Names{"a.dwg", "b.dwg"}));
  EXPECT_EQ(tree(), "a{a.dwg} b{b.dwg}");
  EXPECT_EQ(m.KeptExtractFolders, (Names{fixed, fixed}));

  // The button starts at the fixed folder; a cancel keeps it.
  m.FolderFixSpeedButton->click();
  ASSERT_EQ(env.ui.folderDialogs.size(), 2u);
  EXPECT_EQ(env.ui.folderDialogs[1].initialFolder, fixed);
  EXPECT_EQ(m.FixedExtractFolder, fixed);
  m.close();
  EXPECT_EQ(base::ProfileFile(env.path("kestrel20.ini")).readString("MainWindow", "FIXARCHIVEOPENDIR", ""), fixed);
}

TEST_F(ArchiveDropTest, ACancelledFixedFolderQuestionSkipsTheArchiveAndAsksAgain) {
  m.UnLzhFolderCheckBox->setChecked(true);
  m.UnLzhFolderFixCheckBox->setChecked(true);
  env.writeFile("data/c.dwg", "x");
  drop({zip("a.zip", {{"a.dwg", "x"}}), data + "/c.dwg"});
  EXPECT_EQ(tree(), "c.dwg");
  EXPECT_EQ(m.FixedExtractFolder, "");
  EXPECT_EQ(m.FolderFixSpeedButton->hint(), "");
  EXPECT_FALSE(base::folderExists(tmp + "/a"));
  EXPECT_TRUE(m.TempExtractFolders.empty());
  drop({data + "/a.zip"});
  EXPECT_EQ(env.ui.folderDialogs.size(), 2u);
}

TEST_F(ArchiveDropTest, AFolderInTheArchiveMapsToTheSameFolderOfTheKeptCopy) {
  m.UnLzhFolderCheckBox->setChecked(true);
  m.UnLzhAddFolderCheckBox->setChecked(true);
  m.GetChildFolderCheckBox->setChecked(true);
  m.ModifySaveCheckBox->setChecked(true);
  const std::string kept = keptFolder("keep");
  env.ui.folderAnswers = {kept};
  drop({zip("set.zip", {{"sub/deep/s.dwg", "x"}})});
  m.CollectRunList();
  EXPECT_EQ(m.RunList, (Names{kept + "/sub/deep/s.dwg"}));
  EXPECT_TRUE(base::fileExists(m.RunList[0]));
}

TEST_F(ArchiveDropTest, AnArchiveThatIsNotOneIsToldAndTheRestOfTheDropGoesOn) {
  env.writeFile("data/fake.zip", "this is no archive at all");
  env.writeFile("data/d.dwg", "x");
  drop({data + "/fake.zip", data + "/d.dwg"});
  EXPECT_EQ(tree(), "d.dwg");
  ASSERT_EQ(env.ui.messages.size(), 1u);
  EXPECT_NE(env.ui.messages[0].text.find(data + "/fake.zip"), std::string::npos);
  EXPECT_NE(env.ui.messages[0].text.find("完全には解凍できませんでした"), std::string::npos);
  EXPECT_FALSE(base::folderExists(tmp + "/fake"));
}

TEST_F(ArchiveDropTest, ATruncatedArchiveListsWhatCameOutAndSaysSoOnce) {
  base::ZipWriter w;
  w.add("a.dwg", std::string(4000, 'a'));
  w.add("b.dwg", std::string(4000, 'b'));
  const std::string whole = w.finish();
  env.writeFile("data/cut.zip", whole.substr(0, 4000 + 200));  // a.dwg whole, b.dwg cut short
  m.UnLzhFolderCheckBox->setChecked(true);
  env.ui.folderAnswers = {keptFolder("k")};
  drop({data + "/cut.zip"});
  ASSERT_EQ(env.ui.messages.size(), 1u);  // one message for both copies
  EXPECT_NE(env.ui.messages[0].text.find(data + "/cut.zip"), std::string::npos);
  EXPECT_EQ(env.ui.messages[0].ownerClass, "TMain");
  EXPECT_EQ(tree().rfind("cut{a.dwg", 0), 0u) << tree();
}

TEST_F(ArchiveDropTest, MembersThatClimbOutAreNamedAndNeverWritten) {
  drop({zip("evil.zip", {{"../outside.dwg", "x"}, {"ok.dwg", "x"}})});
  EXPECT_EQ(tree(), "evil{ok.dwg}");
  EXPECT_FALSE(base::fileExists(tmp + "/outside.dwg"));
  EXPECT_FALSE(base::fileExists(env.path("outside.dwg")));
  ASSERT_EQ(env.ui.messages.size(), 1u);
  EXPECT_NE(env.ui.messages[0].text.find("../outside.dwg"), std::string::npos);
}

TEST(ArchiveBaseName, DropsTheExtensionAndBlanksOrControlsAround) {
  EXPECT_EQ(drawings::ArchiveBaseName("/d/ \t図面.lzh"), "図面");
  EXPECT_EQ(drawings::ArchiveBaseName("/d/a b .zip"), "a b");
  EXPECT_EQ(drawings::ArchiveBaseName("/d/x.tar.zip"), "x.tar");
}

}  // namespace
