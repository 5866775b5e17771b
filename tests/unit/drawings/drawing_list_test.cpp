#include "drawings/drawing_list.h"

#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "base/paths.h"
#include "shell/tmain.h"
#include "support/sim_env.h"
#include "support/tree_shape.h"

using testing_support::SimEnv;
using testing_support::TreeOrder;
using testing_support::treeShape;

namespace {

// Records whether every node arrived while the tree's redraw was suspended.
struct TreeWatch : ui::Peer {
  explicit TreeWatch(ui::TreeView& t) : tree(t) {}
  void sync(ui::Prop) override {}
  void nodeAdded(ui::TreeNode*) override {
    ++added;
    if (!tree.updating()) ++addedWhileDrawing;
  }
  ui::TreeView& tree;
  int added = 0, addedWhileDrawing = 0;
};

struct DrawingListTest : ::testing::Test {
  SimEnv env;
  shell::TMain m;
  std::string data = env.path("data");

  std::string file(const std::string& rel) {
    env.writeFile("data/" + rel, "0\nEOF\n");
    return data + "/" + rel;
  }
  std::string folder(const std::string& rel) {
    base::createFolders(data + "/" + rel);
    return data + "/" + rel;
  }
  void drop(const std::vector<std::string>& paths) {
    ui::dispatch([&] { m.onDropFiles(paths); });
  }
  std::string tree() const { return treeShape(m.TreeView1->roots()); }
  ui::TreeNode* root(size_t i) const { return m.TreeView1->roots().at(i).get(); }
  std::vector<std::string> runList(int sortIndex) {
    m.FileSortRadioGroup->setItemIndex(sortIndex);
    m.CollectRunList();
    return m.RunList;
  }
  void expectRefused() {
    ASSERT_EQ(env.ui.messages.size(), 1u);
    EXPECT_EQ(env.ui.messages[0].text, "データがDropされていません。");
    EXPECT_EQ(env.ui.messages[0].caption, "Wrenlyメッセージ");
    EXPECT_EQ(env.ui.messages[0].ownerClass, "TMain");
    EXPECT_EQ(tree(), "");
  }
};

TEST_F(DrawingListTest, DropIsSortedCaseInsensitivelyAndFilledWithRedrawSuspended) {
  const std::string b = file("b.dwg"), a = file("A.dxf"), c = folder("c"), d = file("D.dwg");
  file("c/x.dwg");
  file("c/notes.txt");
  file("c/sub/deep.dwg");
  auto* watch = new TreeWatch(*m.TreeView1);
  m.TreeView1->attachPeer(std::unique_ptr<ui::Peer>(watch));
  drop({d, b, c, a});
  EXPECT_EQ(m.DroppedItems, (std::vector<std::string>{a, b, c, d}));
  EXPECT_EQ(tree(), "A.dxf b.dwg c{x.dwg} D.dwg");  // subfolders off: c/sub is not shown
  EXPECT_EQ(root(0)->data, a);
  EXPECT_EQ(root(2)->children()[0]->data, c + "/x.dwg");
  EXPECT_EQ(root(2)->imageIndex(), 0);
  EXPECT_NE(root(0)->imageIndex(), root(1)->imageIndex());
  EXPECT_EQ(m.TreeView1->selected(), root(3));
  EXPECT_EQ(m.dwgNoLabel->caption(), "4");
  EXPECT_EQ(watch->added, 5);
  EXPECT_EQ(watch->addedWhileDrawing, 0);
  EXPECT_FALSE(m.TreeView1->updating());
  EXPECT_TRUE(env.ui.messages.empty());
}

TEST_F(DrawingListTest, SubfoldersAppearAsFolderNodesEvenWhenEmpty) {
  const std::string top = folder("top");
  file("top/one/a.dwg");
  file("top/one/two/b.dxf");
  folder("top/empty");
  m.GetChildFolderCheckBox->setChecked(true);
  drop({top});
  EXPECT_EQ(treeShape(m.TreeView1->roots(), TreeOrder::Sorted), "top{empty{} one{a.dwg two{b.dxf}}}");
  EXPECT_EQ(m.DrawingCount, 2);
}

TEST_F(DrawingListTest, OneIconPerKindUntilTheTreeIsEmptied) {
  drop({file("1.dwg"), file("2.DWG"), file("3.dxf"), file("4.dwg")});
  EXPECT_EQ(env.shell.iconRequests, (std::vector<std::string>{"folder", ".dwg", ".dxf"}));
  EXPECT_EQ(root(1)->imageIndex(), m.DwgIconIndex);
  m.ClearBtn->click();
  EXPECT_EQ(m.DwgIconIndex, -1);
  drop({data + "/1.dwg"});
  EXPECT_EQ(env.shell.iconRequests.back(), ".dwg");
  EXPECT_EQ(env.shell.iconRequests.size(), 4u);
}

// Which drops the check boxes refuse.
struct Refusal {
  bool dwg, dxf;
  std::vector<std::string> files;
  bool refused;
  std::string tree;
};

class RefusalTest : public DrawingListTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusalTest, FollowsTheCheckBoxes) {
  const Refusal& r = GetParam();
  m.DwgCheckBox->setChecked(r.dwg);
  m.DxfCheckBox->setChecked(r.dxf);
  std::vector<std::string> paths;
  for (const std::string& f : r.files) paths.push_back(file(f));
  drop(paths);
  if (r.refused) {
    expectRefused();
  } else {
    EXPECT_TRUE(env.ui.messages.empty());
    EXPECT_EQ(tree(), r.tree);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, RefusalTest,
    ::testing::Values(Refusal{true, true, {"a.txt", "b.lnk"}, true, ""},
                      Refusal{true, true, {"a.dwg", "b.dxf"}, false, "a.dwg b.dxf"},
                      Refusal{true, false, {"b.dxf"}, true, ""},
                      Refusal{true, false, {"a.dwg", "b.dxf"}, false, "a.dwg"},
                      Refusal{false, true, {"a.dwg"}, true, ""},
                      Refusal{false, true, {"a.dwg", "b.dxf"}, false, "b.dxf"},
                      Refusal{false, false, {"a.txt"}, false, ""},
                      Refusal{false, false, {"a.dwg", "b.dxf"}, false, ""}),
    // Readable names in the test list: which boxes are on, and the case number.
    [](const ::testing::TestParamInfo<Refusal>& info) {
      return std::string(info.param.dwg ? "Dwg" : "NoDwg") + (info.param.dxf ? "Dxf" : "NoDxf") + "_" +
             std::to_string(info.index);
    });

TEST_F(DrawingListTest, AFolderWithoutDrawingsIsRefusedAndNotAdded) {
  file("plain/readme.txt");
  drop({data + "/plain"});
  expectRefused();
}

TEST_F(DrawingListTest, ShortcutsAddExistingFileTargetsOnly) {
  const std::string target = env.path("elsewhere/PLAN~1.DWG");
  env.writeFile("elsewhere/PLAN~1.DWG", "");
  const std::string toFile = file("a.lnk"), toFolder = file("b.lnk"), broken = file("c.lnk"),
                    gone = file("d.lnk"), inFolder = file("f/e.lnk");
  env.shell.defineShortcut(toFile, target);
  env.shell.defineShortcut(toFolder, env.path("elsewhere"));
  env.shell.defineShortcut(gone, env.path("elsewhere/gone.dwg"));
  env.shell.defineShortcut(inFolder, target);
  file("z.dwg");
  drop({data + "/z.dwg", gone, broken, toFolder, toFile, data + "/f"});
  // Targets follow the dropped items, in the order they were found; the one
  // met inside the folder comes last.
  EXPECT_EQ(tree(), "f{} z.dwg PLAN~1.DWG PLAN~1.DWG");
  EXPECT_EQ(root(2)->data, target);
  EXPECT_EQ(m.DroppedItems.size(), 8u);
  EXPECT_TRUE(env.ui.messages.empty());
}

TEST_F(DrawingListTest, RemovingADrawingOrAFolderUpdatesTheCount) {
  file("f/a.dwg");
  file("f/b.dwg");
  drop({data + "/f", file("c.dxf")});
  ASSERT_EQ(root(0)->text(), "c.dxf");
  EXPECT_EQ(m.DrawingCount, 3);
  m.TreeView1->userSelect(root(1));
  m.DeletePop->click();  // the folder with both its drawings
  EXPECT_EQ(tree(), "c.dxf");
  EXPECT_EQ(m.dwgNoLabel->caption(), "1");
  EXPECT_NE(m.DxfIconIndex, -1);
  m.DeletePop->click();  // nothing selected now: only recounts
  EXPECT_EQ(m.DrawingCount, 1);
  m.TreeView1->userSelect(root(0));
  m.DeletePop->click();
  EXPECT_EQ(tree(), "");
  EXPECT_EQ(m.dwgNoLabel->caption(), "0");
  EXPECT_EQ(m.DwgIconIndex, -1);
  EXPECT_EQ(m.DxfIconIndex, -1);
}

TEST_F(DrawingListTest, DropsAccumulateUntilClearLeavesTheExtractionListsAlone) {
  const std::string a = file("a.dwg");
  drop({a});
  drop({a});
  EXPECT_EQ(tree(), "a.dwg a.dwg");
  m.TempExtractFolders = {"t"};
  m.KeptExtractFolders = {"k"};
  m.ClearBtn->click();
  EXPECT_EQ(tree(), "");
  EXPECT_EQ(m.dwgNoLabel->caption(), "0");
  EXPECT_EQ(m.DrawingCount, 0);
  EXPECT_EQ(m.TempExtractFolders.size(), 1u);
}

TEST_F(DrawingListTest, RunListOrders) {
  const std::string y = file("a/Y.dwg"), b = file("a/sub/b.dwg"), m1 = file("m.dwg");
  m.GetChildFolderCheckBox->setChecked(true);
  drop({file("d/x.dxf"), m1});
  drop({data + "/a"});
  const std::string x = data + "/d/x.dxf";
  const bool yFirst = base::listFolder(data + "/a")[0].name == "Y.dwg";
  EXPECT_EQ(runList(2), yFirst ? (std::vector<std::string>{x, m1, y, b}) : (std::vector<std::string>{x, m1, b, y}));
  EXPECT_EQ(runList(0), (std::vector<std::string>{b, y, x, m1}));  // "a/sub" < "a/Y" without case
  EXPECT_EQ(runList(1), (std::vector<std::string>{m1, x, y, b}));
}

TEST_F(DrawingListTest, TreeOfFoldersOnlyGivesAnEmptyRunList) {
  m.RunList = {"left over"};
  folder("f");
  m.DwgCheckBox->setChecked(false);
  m.DxfCheckBox->setChecked(false);
  drop({data + "/f"});
  EXPECT_EQ(tree(), "f{}");
  EXPECT_TRUE(runList(2).empty());
}

TEST_F(DrawingListTest, KeptCopiesReplaceExtractedPathsWhenDrawingsAreSaved) {
  const std::string temp = folder("tmp/arc"), kept = env.path("kept");
  const std::string drawing = file("tmp/arc/sub/p.dwg");
  m.GetChildFolderCheckBox->setChecked(true);
  drop({temp, file("other.dwg")});
  EXPECT_EQ(runList(0)[1], drawing);  // no extraction folders: unchanged
  m.TempExtractFolders = {env.path("elsewhere"), temp};
  m.KeptExtractFolders = {env.path("elsewhere-kept"), kept};
  EXPECT_EQ(runList(0)[1], drawing);  // only when saving
  m.ModifySaveCheckBox->setChecked(true);
  EXPECT_EQ(runList(0), (std::vector<std::string>{data + "/other.dwg", kept + "/sub/p.dwg"}));
}

TEST_F(DrawingListTest, AFolderThatCannotBeEnteredYieldsAnEmptyFolderNode) {
  const std::string locked = folder("locked");
  file("locked/a.dwg");
  const std::string other = file("b.dwg");
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  // Root reads any folder; without the file-system privileges it cannot.
  const bool root = geteuid() == 0;
  if (root) setfsuid(65534);
  DIR* d = opendir(locked.c_str());
  if (d) closedir(d);
  if (!d) drop({locked, other});
  if (root) setfsuid(0);
  chmod(locked.c_str(), 0755);
  if (d) GTEST_SKIP() << "every folder can be read here";
  EXPECT_EQ(tree(), "b.dwg locked{}");
  EXPECT_TRUE(env.ui.messages.empty());
}

TEST_F(DrawingListTest, LongJapanesePathsWithBlanksAreKeptWhole) {
  std::string rel;
  for (int i = 0; i < 20; ++i) rel += "長い 名前の 図面フォルダ " + std::to_string(i) + "/";
  const std::string drawing = file(rel + "平面 図 Ａ.dwg");
  size_t chars = 0;
  for (unsigned char ch : drawing) chars += (ch & 0xC0) != 0x80;
  ASSERT_GT(chars, 300u);
  m.GetChildFolderCheckBox->setChecked(true);
  drop({drawing, data + "/長い 名前の 図面フォルダ 0"});
  // The folder sorts first: it is a prefix of the drawing's path.
  EXPECT_EQ(m.DroppedItems[1], drawing);
  EXPECT_EQ(root(1)->text(), "平面 図 Ａ.dwg");
  EXPECT_EQ(root(1)->data, drawing);
  EXPECT_EQ(runList(2), (std::vector<std::string>{drawing, drawing}));
}

TEST_F(DrawingListTest, ExtractedFoldersAreListedAfterTheDroppedItems) {
  const std::string extracted = folder("out/pack");
  file("out/pack/p.dwg");
  std::vector<std::string> asked;
  m.Drawings->ExtractArchive = [&](const std::string& a) {
    asked.push_back(base::fileNameOf(a));
    return a.find("cancel") != std::string::npos ? drawings::kExtractCancelled : extracted;
  };
  file("f/sub/deep.zip");
  drop({file("pack.zip"), file("cancel.lzh"), data + "/f", file("z.dwg")});
  EXPECT_EQ(asked, (std::vector<std::string>{"cancel.lzh", "pack.zip"}));  // not f/sub/deep.zip
  EXPECT_EQ(tree(), "f{} z.dwg pack{p.dwg}");
  m.ClearBtn->click();
  m.GetChildFolderCheckBox->setChecked(true);
  drop({data + "/f"});
  EXPECT_EQ(asked.back(), "deep.zip");
  EXPECT_EQ(tree(), "f{sub{}} pack{p.dwg}");
}

TEST_F(DrawingListTest, AFailingExtractionEndsTheDropWithItsError) {
  m.Drawings->ExtractArchive = [](const std::string&) -> std::string {
    throw std::runtime_error("ZIP 形式書庫の解凍には UNZIP32.DLL または LMZIP32.DLL が必要です。");
  };
  drop({file("a.dwg"), file("b.zip")});
  EXPECT_EQ(tree(), "");
  ASSERT_EQ(env.ui.messages.size(), 1u);
  EXPECT_EQ(env.ui.messages[0].text, "ZIP 形式書庫の解凍には UNZIP32.DLL または LMZIP32.DLL が必要です。");
  EXPECT_FALSE(m.TreeView1->updating());
}

}  // namespace

// Drawings whose paths AutoCAD 2000-2006 cannot be given (no CP932 form).
struct UnreachablePathTest : DrawingListTest {
  const std::string kIntro =
      "次の図面は、パスに AutoCAD で扱えない文字が含まれているため、AutoCAD で開くことができません。\r\n"
      "これらの図面は一覧に加えませんでした。\r\n\r\n";
  const std::string kOutro = "\r\nフォルダ名やファイル名をこれらの文字を含まないものに変えてから、もう一度Dropしてください。";
  static std::string line(const std::string& path, const std::string& culprit) {
    return path + "\r\n      扱えない文字: " + culprit + "\r\n";
  }
};

TEST_F(UnreachablePathTest, AreLeftOutOfTheTreeAndNamedWithTheirFirstBadCharacter) {
  const std::string top = folder("top");
  file("top/ok.dxf");
  const std::string korean = file("top/図面_한글/k1.dxf");
  file("top/髙橋①/t1.dxf");
  file("top/ｱ～/x.dwg");
  const std::string emoji = file("top/e😀.dwg");
  const std::string combining = file("top/か\xE3\x82\x99.dxf");
  file("top/한.txt");  // not a drawing: not the message's business
  m.GetChildFolderCheckBox->setChecked(true);
  drop({top});

  EXPECT_EQ(treeShape(m.TreeView1->roots(), TreeOrder::Sorted), "top{ok.dxf 図面_한글{} 髙橋①{t1.dxf} ｱ～{x.dwg}}");
  EXPECT_EQ(m.DrawingCount, 3);
  EXPECT_EQ(m.dwgNoLabel->caption(), "3");
  ASSERT_EQ(env.ui.messages.size(), 1u);
  const auto& msg = env.ui.messages[0];
  EXPECT_EQ(msg.caption, "Kestrel メッセージ");
  EXPECT_EQ(msg.ownerClass, "TMain");
  EXPECT_EQ(0u, msg.text.find(kIntro)) << msg.text;
  EXPECT_NE(std::string::npos, msg.text.find(line(korean, "「한」(U+D55C)"))) << msg.text;
  EXPECT_NE(std::string::npos, msg.text.find(line(emoji, "「😀」(U+1F600)"))) << msg.text;
  EXPECT_NE(std::string::npos, msg.text.find(line(combining, "「\xE3\x82\x99」(U+3099)"))) << msg.text;
  EXPECT_EQ(std::string::npos, msg.text.find("한.txt"));
  EXPECT_EQ(msg.text.size() - kOutro.size(), msg.text.rfind(kOutro));
  // The run list never holds them either.
  EXPECT_EQ(runList(0).size(), 3u);
}

TEST_F(UnreachablePathTest, TenArePathsTheRestACount) {
  std::vector<std::string> paths;
  for (int i = 0; i < 12; ++i) paths.push_back(file("한" + std::string(1, static_cast<char>('a' + i)) + ".dwg"));
  paths.push_back(file("ok.dwg"));
  drop(paths);
  EXPECT_EQ(tree(), "ok.dwg");
  ASSERT_EQ(env.ui.messages.size(), 1u);
  std::string expected = kIntro;
  for (int i = 0; i < 10; ++i) expected += line(paths[i], "「한」(U+D55C)");
  expected += "ほか 2 件\r\n" + kOutro;
  EXPECT_EQ(env.ui.messages[0].text, expected);
}

TEST_F(UnreachablePathTest, ADropWithNothingLeftGetsOnlyThisMessage) {
  const std::string k = file("한/k.dxf");
  drop({data + "/한"});
  // Refused as a whole: not even the folder is listed.
  EXPECT_EQ(tree(), "");
  ASSERT_EQ(env.ui.messages.size(), 1u);
  EXPECT_EQ(env.ui.messages[0].text, kIntro + line(k, "「한」(U+D55C)") + kOutro);
  EXPECT_EQ(env.ui.messages[0].caption, "Kestrel メッセージ");
}

TEST_F(UnreachablePathTest, KindsThatAreNotChosenAreNotCounted) {
  m.DxfCheckBox->setChecked(false);
  drop({file("한.dxf")});
  expectRefused();
  env.ui.messages.clear();
  drop({file("한.dxf"), file("a.dwg")});
  EXPECT_TRUE(env.ui.messages.empty());
  EXPECT_EQ(tree(), "a.dwg");
}
